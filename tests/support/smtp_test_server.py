#!/usr/bin/python3
"""A real SMTP server on 127.0.0.1 for the mail tests (Debian's aiosmtpd).

usage: smtp_test_server.py OUT_DIR LOGIN PASSWORD [plain|starttls|implicit|noauth]

plain (the default) offers AUTH LOGIN without TLS and no STARTTLS; noauth
offers no AUTH at all and takes mail from anyone.
starttls offers STARTTLS and takes no AUTH and no mail before it; implicit
speaks TLS from the first byte. Both make a certificate for 127.0.0.1 with
openssl and leave it in OUT_DIR/ca.pem for the client to trust.

Only LOGIN/PASSWORD logs in (535 otherwise); every attempt adds a line to
OUT_DIR/auth.log. A recipient whose local part is "refused" gets 550. Every
mail taken is written to OUT_DIR/mail-N.eml (the DATA bytes as received),
its envelope to OUT_DIR/mail-N.env and what a mail program shows of it
(decoded subject, sender and body, and any defects found) to
OUT_DIR/mail-N.txt. The port is printed on the first line of standard output
once the server listens; it runs until its standard input closes.
"""
import email
import email.policy
import os
import socket
import ssl
import subprocess
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
        msg = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
        with open(base + ".txt", "w", encoding="utf-8") as f:
            f.write("Subject: %s\nFrom: %s\nDefects: %d\n\n" %
                    (msg["Subject"], msg["From"], len(msg.defects)))
            f.write(msg.get_content())
        return "250 Message accepted for delivery"


def make_certificate(out_dir):
    cert, key = os.path.join(out_dir, "ca.pem"), os.path.join(out_dir, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


def main():
    out_dir, login, password = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
    mode = sys.argv[4] if len(sys.argv) > 4 else "plain"

    def authenticator(server, session, envelope, mechanism, auth_data):
        with open(os.path.join(out_dir, "auth.log"), "a") as f:
            tls = server.transport.get_extra_info("ssl_object") is not None
            f.write("%s tls=%s\n" % (mechanism, tls))
        ok = (mechanism == "LOGIN" and isinstance(auth_data, LoginPassword)
              and auth_data.login == login and auth_data.password == password)
        return AuthResult(success=ok, handled=False)

    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    kwargs = dict(authenticator=authenticator, auth_required=True, auth_require_tls=False)
    if mode == "noauth":
        kwargs = dict(auth_required=False)
    elif mode == "starttls":
        kwargs.update(tls_context=make_certificate(out_dir), require_starttls=True,
                      auth_require_tls=True)
    elif mode == "implicit":
        # aiosmtpd counts only STARTTLS as TLS for AUTH; this whole session is.
        kwargs.update(ssl_context=make_certificate(out_dir))
    controller = Controller(Handler(out_dir), hostname="127.0.0.1", port=port, **kwargs)
    controller.start()
    print(port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
