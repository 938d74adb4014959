#!/usr/bin/python3
"""Reads a mail file with Python's email package, for tests to check against an independent reader.

Prints "name=value" lines: the decoded From, To, Subject, X-RcptTo, Date and Message-ID, the body's content
type and text, and "attachment=<file name>" for each attachment, whose bytes go to <folder>/<n> (1, 2, ...).
Line breaks inside values are written as \\r and \\n."""
import email
import email.policy
import pathlib
import sys

mail_file, folder = sys.argv[1], pathlib.Path(sys.argv[2])
with open(mail_file, "rb") as f:
    message = email.message_from_binary_file(f, policy=email.policy.default)


def show(name, value):
    print("%s=%s" % (name, str(value).replace("\r", "\\r").replace("\n", "\\n")))


for name in ("From", "To", "Subject", "X-RcptTo", "Date", "Message-ID"):
    if message[name] is not None:
        show(name.lower(), message[name])
body = message.get_body(preferencelist=("plain", "html"))
if body is not None:
    show("body-type", body.get_content_type())
    show("body", body.get_content())
for n, part in enumerate(message.iter_attachments(), 1):
    (folder / str(n)).write_bytes(part.get_payload(decode=True))
    show("attachment", part.get_filename())
