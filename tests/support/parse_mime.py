#!/usr/bin/python3
"""Reads an Internet message from standard input with Python's own mail
parser and prints what a mail client would see, as JSON: the headers, every
part with its type, charset, disposition and file name, its decoded content
(base64), and every defect the parser found."""
import base64
import json
import sys
from email import policy
from email.parser import BytesParser

raw = sys.stdin.buffer.read()
message = BytesParser(policy=policy.default).parsebytes(raw)


def header_defects(msg):
    found = []
    for name, value in msg.items():
        found += ["%s: %s" % (name, type(d).__name__) for d in getattr(value, "defects", ())]
    return found


def part_info(part):
    payload = part.get_payload(decode=True) or b""
    return {
        "content_type": part.get_content_type(),
        "charset": part.get_content_charset(),
        "disposition": part.get_content_disposition(),
        "filename": part.get_filename(),
        "content": base64.b64encode(payload).decode("ascii"),
        # As a mail program shows a text: decoded from its charset, line
        # breaks as "\n".
        "text": part.get_content().replace("\r\n", "\n") if part.get_content_maintype() == "text" else None,
        "defects": [type(d).__name__ for d in part.defects] + header_defects(part),
    }


result = {
    "mime_version": message.get("MIME-Version"),
    "date": str(message.get("Date")),
    "from": [a.addr_spec for a in message["From"].addresses] if message["From"] else [],
    "from_names": [a.display_name for a in message["From"].addresses] if message["From"] else [],
    "to": [a.addr_spec for a in message["To"].addresses] if message["To"] else [],
    "subject": str(message.get("Subject")),
    "header_names": list(message.keys()),
    "content_type": message.get_content_type(),
    "defects": [type(d).__name__ for d in message.defects] + header_defects(message),
    "parts": [part_info(p) for p in message.iter_parts()] if message.is_multipart() else [],
}
print(json.dumps(result))
