#!/usr/bin/python3
"""A real SMTP server on 127.0.0.1 for the mail tests (Debian's aiosmtpd).

usage: smtp_test_server.py OUT_DIR LOGIN PASSWORD

AUTH LOGIN is offered without TLS and accepts only LOGIN/PASSWORD (535
otherwise). A recipient whose local part is "refused" gets 550. Every mail
taken is written to OUT_DIR/mail-N.eml (the DATA bytes as received) with its
envelope in OUT_DIR/mail-N.env. The port is printed on the first line of
standard output once the server listens; it runs until its standard input
closes.
"""
import socket
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Handler:
    def __init__(self, out_dir):
        self.out_dir = out_dir
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.split("@")[0] == "refused":
            return "550 5.1.1 no such mailbox here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = "%s/mail-%d" % (self.out_dir, self.count)
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".env", "w") as f:
            f.write("from %s\n" % envelope.mail_from)
            for r in envelope.rcpt_tos:
                f.write("to %s\n" % r)
        return "250 Message accepted for delivery"


def main():
    out_dir, login, password = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (mechanism == "LOGIN" and isinstance(auth_data, LoginPassword)
              and auth_data.login == login and auth_data.password == password)
        return AuthResult(success=ok, handled=False)

    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    controller = Controller(Handler(out_dir), hostname="127.0.0.1", port=port,
                            authenticator=authenticator, auth_require_tls=False,
                            auth_required=True)
    controller.start()
    print(port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
