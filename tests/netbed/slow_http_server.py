#!/usr/bin/python3
"""An HTTP server for tests whose every answer trickles: one byte every 50 ms, for ever. The port it got goes to
stdout."""
import http.server
import time


class Trickle(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.end_headers()
        try:
            while True:
                self.wfile.write(b"x")
                self.wfile.flush()
                time.sleep(0.05)
        except OSError:
            pass

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Trickle)
print(server.server_address[1], flush=True)
server.serve_forever()
