#!/usr/bin/python3
"""A TLS front for a plain-HTTP test server on 127.0.0.1, as a company would
put nginx in front of its order server: makes an authority (DIR/ca.pem) and a
certificate for 127.0.0.1 with openssl, passes each request to the backend with
"X-Forwarded-Proto: https" and logs "handshake ok" or "handshake failed: <reason>"
per connection. Stops on SIGTERM, or after ten minutes."""
import argparse
import http.client
import http.server
import os
import signal
import socket
import ssl
import subprocess
import sys

parser = argparse.ArgumentParser()
parser.add_argument("--port", type=int, required=True)
parser.add_argument("--backend", type=int, required=True)
parser.add_argument("--certs", required=True)
args = parser.parse_args()


def openssl(*arguments):
    subprocess.run(["openssl", *arguments], check=True, cwd=args.certs,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def make_certificates():
    os.makedirs(args.certs, exist_ok=True)
    curve = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    openssl("req", "-x509", *curve, "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
            "-subj", "/CN=Field Book test authority",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl("req", *curve, "-keyout", "server.key", "-out", "server.csr",
            "-subj", "/CN=127.0.0.1")
    with open(os.path.join(args.certs, "server.ext"), "w") as ext:
        ext.write("subjectAltName=IP:127.0.0.1\nextendedKeyUsage=serverAuth\n"
                  "basicConstraints=CA:FALSE\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext")


HOP_BY_HOP = {"connection", "keep-alive", "transfer-encoding", "content-length"}


class Forward(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    timeout = 60

    def forward(self):
        # The client always sends a Content-Length (its bodies are whole in memory).
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else None
        headers = {k: v for k, v in self.headers.items() if k.lower() not in HOP_BY_HOP}
        headers["X-Forwarded-Proto"] = "https"
        backend = http.client.HTTPConnection("127.0.0.1", args.backend, timeout=60)
        try:
            backend.request(self.command, self.path, body=body, headers=headers)
            answer = backend.getresponse()
            data = answer.read()
        except OSError as error:
            self.send_error(502, str(error))
            return
        finally:
            backend.close()
        self.send_response_only(answer.status, answer.reason)
        for name, value in answer.getheaders():
            if name.lower() not in HOP_BY_HOP:
                self.send_header(name, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    do_GET = do_POST = forward

    def log_message(self, *_):
        pass


class Front(http.server.ThreadingHTTPServer):
    daemon_threads = True
    context = None

    def finish_request(self, request, client_address):
        # In the connection's own thread: a stalled handshake holds up no one.
        request.settimeout(30)
        try:
            if not request.recv(1, socket.MSG_PEEK):
                return  # closed before a word was said: a readiness probe
            tls = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as error:
            print("handshake failed: %s" % error, flush=True)
            return
        print("handshake ok", flush=True)
        try:
            Forward(tls, client_address, self)
        finally:
            tls.close()


def main():
    try:
        make_certificates()
    except subprocess.CalledProcessError as error:
        sys.exit("openssl failed: %s" % error.stderr.decode(errors="replace"))
    Front.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    Front.context.load_cert_chain(os.path.join(args.certs, "server.pem"),
                                  os.path.join(args.certs, "server.key"))
    server = Front(("127.0.0.1", args.port), Forward)
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    signal.alarm(600)
    server.serve_forever()


main()
