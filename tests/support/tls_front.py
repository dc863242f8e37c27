#!/usr/bin/python3
"""A TLS front for a plain-HTTP test server on 127.0.0.1, as a company would
put nginx in front of its order server:  tls_front.py PORT BACKEND_PORT DIR
makes an authority (DIR/ca.pem) and a certificate for 127.0.0.1 with openssl,
passes each connection on to the backend with "X-Forwarded-Proto: https" added
to its request, and logs "handshake ok" or "handshake failed: <reason>" per
connection. PHP's server answers one request per connection and closes it;
so does the front. Stops on SIGTERM, or after ten minutes."""
import os
import re
import signal
import socket
import ssl
import subprocess
import sys
import threading

port, backend, certs = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
os.makedirs(certs, exist_ok=True)
key = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2"]
for arguments in (
        ["-keyout", "ca.key", "-out", "ca.pem", "-subj", "/CN=Field Book test authority",
         "-addext", "basicConstraints=critical,CA:TRUE",
         "-addext", "keyUsage=critical,keyCertSign,cRLSign"],
        ["-keyout", "server.key", "-out", "server.pem", "-CA", "ca.pem", "-CAkey", "ca.key",
         "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
         "-addext", "extendedKeyUsage=serverAuth", "-addext", "basicConstraints=CA:FALSE"]):
    made = subprocess.run(["openssl", "req", "-x509", *key, *arguments], cwd=certs,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if made.returncode:
        sys.exit("openssl failed: %s" % made.stderr.decode(errors="replace"))
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(os.path.join(certs, "server.pem"), os.path.join(certs, "server.key"))


def serve(connection):
    connection.settimeout(30)  # a stalled handshake holds up no one else
    try:
        if not connection.recv(1, socket.MSG_PEEK):
            return  # closed before a word was said: a readiness probe
        client = context.wrap_socket(connection, server_side=True)
    except (ssl.SSLError, OSError) as error:
        print("handshake failed: %s" % error, flush=True)
        return
    print("handshake ok", flush=True)
    with client, socket.create_connection(("127.0.0.1", backend), timeout=60) as upstream:
        # The whole request (the client always sends a Content-Length), then the whole answer.
        request = b""
        while b"\r\n\r\n" not in request and (data := client.recv(65536)):
            request += data
        length = re.search(rb"(?im)^content-length:\s*(\d+)", request.split(b"\r\n\r\n")[0])
        end = request.find(b"\r\n\r\n") + 4 + (int(length[1]) if length else 0)
        while len(request) < end and (data := client.recv(65536)):
            request += data
        upstream.sendall(request.replace(b"\r\n", b"\r\nX-Forwarded-Proto: https\r\n", 1))
        while data := upstream.recv(65536):
            client.sendall(data)


listener = socket.create_server(("127.0.0.1", port))
signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
signal.alarm(600)
while True:
    threading.Thread(target=serve, args=(listener.accept()[0],), daemon=True).start()
