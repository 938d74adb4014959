#!/usr/bin/python3
"""An SMTP server for tests: aiosmtpd on 127.0.0.1 delivering into a Maildir; recipients whose
address begins with "refused" are refused. The port it got goes to stdout."""
import asyncio
import sys

from aiosmtpd.handlers import Mailbox
from aiosmtpd.smtp import SMTP


class Handler(Mailbox):
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refused"):
            return "550 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"


async def main(maildir):
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(Handler(maildir)), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


asyncio.run(main(sys.argv[1]))
