#!/usr/bin/python3
"""Answers with what the request brought: method, content type, user agent, accepted types and body."""
import os
import sys

body = sys.stdin.buffer.read(int(os.environ.get("CONTENT_LENGTH") or 0))
out = sys.stdout.buffer
out.write(b"Content-Type: text/plain\r\n\r\n")
for name, variable in (("method", "REQUEST_METHOD"), ("type", "CONTENT_TYPE"), ("agent", "HTTP_USER_AGENT"),
                       ("accept", "HTTP_ACCEPT"), ("cache", "HTTP_CACHE_CONTROL")):
    out.write(("%s=%s\n" % (name, os.environ.get(variable, ""))).encode())
out.write(b"body=" + body + b"\n")
