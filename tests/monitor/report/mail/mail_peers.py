#!/usr/bin/python3
"""Mail peers for the mail tests, on loopback only.

An SMTP server (aiosmtpd) that offers STARTTLS and requires AUTH (or, with
--pop-before-smtp, a prior POP3 login), and a small POP3 responder that offers
STLS. Every step the client takes is appended to <out>/events.log; every
accepted message is taken apart into <out>/msgN/ (envelope, decoded subject,
body and attachment).

The test program listens on loopback and passes its port as --control: the
peers connect there, say "READY <smtp port> <pop port>" once both listen, and
end when the test closes that connection (or its process ends). No pipe or
signal is needed, so a Windows test program under Wine can drive them as well.
With --make-certificate the script only makes a test CA and a server
certificate it signed (see make_certificate) and says "CERTIFICATE ok" or why
not.

Attacks on the way to the server: --no-starttls and --pop-no-stls leave the
upgrade out, and --strip-starttls puts a relay in front of the SMTP server that
deletes "250-STARTTLS" from its greeting and logs every client line ("RELAY
..."); the reported SMTP port is then the relay's.
"""
import argparse
import asyncio
import email
import email.policy
import os
import socket
import socketserver
import ssl
import subprocess
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

LOCK = threading.Lock()
STATE = {"messages": 0, "pop_login": False}


def event(out, text):
    with LOCK:
        with open(os.path.join(out, "events.log"), "a", encoding="utf-8") as f:
            f.write(text + "\n")


def write(folder, name, data):
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


class Handler:
    def __init__(self, args):
        self.args = args

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        event(self.args.out, "SMTP MAIL " + address)
        if self.args.pop_before_smtp and not STATE["pop_login"]:
            return "530 5.7.0 POP before SMTP required"
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address == self.args.refuse:
            event(self.args.out, "SMTP RCPT refused " + address)
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        event(self.args.out, "SMTP RCPT " + address)
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        with LOCK:
            STATE["messages"] += 1
            folder = os.path.join(self.args.out, "msg%d" % STATE["messages"])
        os.makedirs(folder)
        raw = envelope.original_content or envelope.content
        write(folder, "raw", raw)
        write(folder, "mail_from", envelope.mail_from)
        write(folder, "rcpt_tos", "\n".join(envelope.rcpt_tos))
        tls = session.ssl or server.transport.get_extra_info("ssl_object")
        write(folder, "tls", "yes" if tls else "no")
        message = email.message_from_bytes(raw, policy=email.policy.default)
        write(folder, "subject", str(message["subject"] or ""))
        write(folder, "from", str(message["from"] or ""))
        write(folder, "to", str(message["to"] or ""))
        for part in message.walk():
            if part.is_multipart():
                continue
            if part.get_filename():
                write(folder, "attachment_name", part.get_filename())
                write(folder, "attachment", part.get_payload(decode=True))
            elif part.get_content_type() == "text/plain":
                write(folder, "body", part.get_payload(decode=True))
        event(self.args.out, "SMTP DATA")
        if self.args.stall_after_data:
            # Silent after the message, as a server (or anyone on the path) can choose to be.
            await asyncio.sleep(3600)
        return "250 Message accepted"


class LoopbackController(Controller):
    # Port 0 lets the kernel choose; the base class needs the real port to reach itself.
    def _trigger_server(self):
        self.port = self.server.sockets[0].getsockname()[1]
        super()._trigger_server()


def make_pop_handler(args, context):
    class Pop3(socketserver.StreamRequestHandler):
        def reply(self, text):
            self.wfile.write((text + "\r\n").encode())
            self.wfile.flush()

        def start_tls(self):
            self.reply("+OK begin TLS")
            self.request = context.wrap_socket(self.request, server_side=True)
            self.rfile = self.request.makefile("rb")
            self.wfile = self.request.makefile("wb")

        def handle(self):
            user = None
            logged_in = False
            self.reply("+OK POP3 ready")
            while True:
                line = self.rfile.readline()
                if not line:
                    return
                words = line.decode(errors="replace").rstrip("\r\n").split(" ", 1)
                verb = words[0].upper()
                rest = words[1] if len(words) > 1 else ""
                event(args.out, ("POP %s %s" % (verb, rest)).rstrip())
                if verb == "CAPA":
                    self.reply("+OK\r\nUSER\r\n" + ("" if args.pop_no_stls else "STLS\r\n") + ".")
                elif verb == "STLS" and not args.pop_no_stls:
                    self.start_tls()
                elif verb == "USER":
                    user = rest
                    self.reply("+OK")
                elif verb == "PASS":
                    logged_in = user == args.user and rest == args.password
                    if logged_in:
                        STATE["pop_login"] = True
                        self.reply("+OK logged in")
                    else:
                        self.reply("-ERR [AUTH] invalid user name or password")
                elif verb in ("STAT", "NOOP"):
                    self.reply("+OK 0 0" if logged_in else "-ERR not logged in")
                elif verb == "QUIT":
                    self.reply("+OK bye")
                    return
                else:
                    self.reply("-ERR unknown command")

    return Pop3


def pump_lines(source, sink, keep):
    """Copies lines from one socket to the other while keep(line) says so."""
    try:
        for line in source.makefile("rb"):
            if keep(line):
                sink.sendall(line)
    except OSError:
        pass
    finally:
        for s in (source, sink):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


def start_stripping_relay(args, upstream_port):
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)

    def from_client(line):
        event(args.out, "RELAY " + line.decode(errors="replace").rstrip("\r\n"))
        return True

    def from_server(line):
        return line.strip().upper() != b"250-STARTTLS"

    def serve():
        while True:
            client, _ = listener.accept()
            server = socket.create_connection(("127.0.0.1", upstream_port))
            for source, sink, keep in ((client, server, from_client),
                                       (server, client, from_server)):
                threading.Thread(target=pump_lines, args=(source, sink, keep),
                                 daemon=True).start()

    threading.Thread(target=serve, daemon=True).start()
    return listener.getsockname()[1]


def openssl(*args):
    result = subprocess.run(["/usr/bin/openssl", *args], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise RuntimeError(" ".join(result.stderr.decode(errors="replace").split()))


def make_certificate(args):
    """A throwaway CA (or the one in --ca-from) and a server certificate it signs for
    --names, each valid for one day: <folder>/ca.pem, cert.pem and key.pem."""
    folder = args.folder
    # RSA, not ECDSA: Wine's certificate chain check fails about one ECDSA signature in a
    # hundred ("signature not valid"), presumably those whose r or s is shorter than the curve.
    key = ["-newkey", "rsa:2048", "-nodes"]
    ca_folder = args.ca_from or folder
    ca_cert = os.path.join(ca_folder, "ca.pem")
    ca_key = os.path.join(ca_folder, "ca.key")
    try:
        if not args.ca_from:
            openssl("req", "-x509", *key, "-keyout", ca_key, "-out", ca_cert, "-days", "1",
                    "-subj", "/CN=Kestrove test CA",
                    "-addext", "basicConstraints=critical,CA:TRUE",
                    "-addext", "keyUsage=critical,keyCertSign,cRLSign")
        request = os.path.join(folder, "cert.csr")
        openssl("req", *key, "-keyout", os.path.join(folder, "key.pem"), "-out", request,
                "-subj", "/CN=" + args.names.split(",")[0].split(":", 1)[1])
        extensions = os.path.join(folder, "cert.ext")
        with open(extensions, "w") as f:
            f.write("subjectAltName=%s\nbasicConstraints=CA:FALSE\n"
                    "keyUsage=critical,digitalSignature\nextendedKeyUsage=serverAuth\n"
                    % args.names)
            if args.crl_url:
                f.write("crlDistributionPoints=URI:%s\n" % args.crl_url)
        # No CRL or OCSP address unless asked: a private CA as users run them.
        openssl("x509", "-req", "-in", request, "-CA", ca_cert, "-CAkey", ca_key,
                "-set_serial", str(int.from_bytes(os.urandom(8), "big")), "-days", "1",
                "-extfile", extensions, "-out", os.path.join(folder, "cert.pem"))
    except RuntimeError as error:
        return "CERTIFICATE failed " + str(error)
    return "CERTIFICATE ok"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--control", type=int, required=True)
    parser.add_argument("--log", default="")
    parser.add_argument("--make-certificate", action="store_true")
    parser.add_argument("--folder", default="")
    parser.add_argument("--names", default="DNS:localhost,IP:127.0.0.1")
    parser.add_argument("--ca-from", default="")
    parser.add_argument("--crl-url", default="")
    parser.add_argument("--out", default="")
    parser.add_argument("--cert", default="")
    parser.add_argument("--key", default="")
    parser.add_argument("--user", default="reporter")
    parser.add_argument("--password", default="")
    parser.add_argument("--refuse", default="")
    parser.add_argument("--pop-before-smtp", action="store_true")
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--no-starttls", action="store_true")
    parser.add_argument("--strip-starttls", action="store_true")
    parser.add_argument("--pop-no-stls", action="store_true")
    parser.add_argument("--no-auth", action="store_true")
    parser.add_argument("--stall-after-data", action="store_true")
    args = parser.parse_args()
    if args.log:
        sys.stderr = open(args.log, "a", buffering=1)
    control = socket.create_connection(("127.0.0.1", args.control))
    if args.make_certificate:
        control.sendall((make_certificate(args) + "\n").encode())
        control.close()
        return 0

    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login == args.user.encode()
              and auth_data.password == args.password.encode())
        event(args.out, "SMTP AUTH %s %s" % (mechanism, "ok" if ok else "failed"))
        # handled=False makes the server answer a failure with 535 itself.
        return AuthResult(success=ok, handled=False)

    if args.implicit_tls:
        tls = {"ssl_context": context}
    elif args.no_starttls:
        tls = {}
    else:
        tls = {"tls_context": context}
    controller = LoopbackController(
        Handler(args), hostname="127.0.0.1", port=0, authenticator=authenticator,
        auth_required=not (args.pop_before_smtp or args.no_auth),
        auth_require_tls=False, require_starttls=False, **tls)
    controller.start()
    smtp_port = controller.port
    if args.strip_starttls:
        smtp_port = start_stripping_relay(args, controller.port)

    socketserver.ThreadingTCPServer.daemon_threads = True
    pop = socketserver.ThreadingTCPServer(("127.0.0.1", 0), make_pop_handler(args, context))
    threading.Thread(target=pop.serve_forever, daemon=True).start()

    control.sendall(b"READY %d %d\n" % (smtp_port, pop.server_address[1]))
    # Whatever the test sends is ignored; its end of the connection closing ends the peers.
    try:
        while control.recv(256):
            pass
    except OSError:
        pass
    # At once, without the servers' own shutdown: the test has read all it needs, and the
    # control connection closes only as the process ends, so the test waits for exactly that.
    sys.stderr.flush()
    os._exit(0)


if __name__ == "__main__":
    sys.exit(main())
