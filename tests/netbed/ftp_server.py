#!/usr/bin/python3
"""An FTP server for tests: pyftpdlib on 127.0.0.1; the port it got goes to stdout, its log to stderr."""
import argparse
import logging

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer

parser = argparse.ArgumentParser()
parser.add_argument("--root", required=True)
parser.add_argument("--user", action="append", default=[], help="name:password")
parser.add_argument("--port", type=int, default=0)
parser.add_argument("--tls-cert")
parser.add_argument("--tls-key")
parser.add_argument("--rate", type=int, default=0, help="bytes per second on data connections")
parser.add_argument("--extra-name", action="append", default=[], help="a name added to every name listing")
args = parser.parse_args()

logging.basicConfig(level=logging.INFO)
authorizer = DummyAuthorizer()
for entry in args.user:
    name, password = entry.rsplit(":", 1)
    authorizer.add_user(name, password, args.root, perm="elradfmwMT")


class ListingWithExtras(AbstractedFS):
    def listdir(self, path):
        return super().listdir(path) + args.extra_name


base = TLS_FTPHandler if args.tls_cert else FTPHandler


class Handler(base):
    pass


Handler.authorizer = authorizer
Handler.abstracted_fs = ListingWithExtras
if args.tls_cert:
    class EarlyTlsData(TLS_DTPHandler):
        # A client may open the data connection before it sends the transfer command and start TLS at once;
        # pyftpdlib would take that early handshake for a hang-up.
        def readable(self):
            return self._ssl_accepting or super().readable()

    Handler.certfile = args.tls_cert
    Handler.keyfile = args.tls_key
    Handler.tls_control_required = True
    Handler.tls_data_required = True
    Handler.dtp_handler = EarlyTlsData
if args.rate:
    class Throttled(ThrottledDTPHandler):
        read_limit = args.rate
        write_limit = args.rate
    Handler.dtp_handler = Throttled

server = FTPServer(("127.0.0.1", args.port), Handler)
print(server.address[1], flush=True)
server.serve_forever()
