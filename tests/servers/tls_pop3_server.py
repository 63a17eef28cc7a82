#!/usr/bin/env python3
"""A scripted POP3 server with TLS for the tests: it plays one behaviour per
run (good or bad certificate, STLS refused, garbage, a hang-up in the middle
of the handshake, silence) and records every line the client sent, in the
clear and after TLS, so a test can prove that no credential left the client.

  tls_pop3_server.py --mode MODE [--cert PEM] --port-file F --transcript F [--count N]

Modes:
  pop3s          TLS from the first byte with --cert, then a small POP3 server
  stls           greeting in the clear, STLS, TLS with --cert, then POP3
  stls-refused   greeting in the clear, STLS answered -ERR, then POP3 in the clear
  stls-injected  STLS answered "+OK" with a second plain reply in the same packet
  garbage        answers whatever comes with bytes that are not TLS
  close-mid      reads the client's first handshake bytes, then hangs up
  silent         accepts, reads, never answers
  stall          POP3S with --cert, greeting, then no answer to anything
  close-notify   POP3S with --cert, greeting, then close_notify, with the TCP
                 connection kept open until the client closes it

Transcript lines: "C: <line>" for a line the client sent (the clear and the
decrypted alike), "# tls up <version>" or "# tls failed <reason>" for the
handshake, "# raw <n> bytes" for bytes read before TLS that were not a line.
"""
import argparse
import socket
import ssl
import sys

GREETING = b"+OK scripted TLS server ready <1896.697170952@localhost>\r\n"


def log(transcript, text):
    with open(transcript, "a", encoding="utf-8") as f:
        f.write(text + "\n")


def read_line(conn, limit=4096):
    data = b""
    while not data.endswith(b"\n") and len(data) < limit:
        chunk = conn.recv(1)
        if not chunk:
            return None if not data else data
        data += chunk
    return data


def serve_pop3(conn, transcript):
    """Answers like a POP3 server with an empty mailbox until QUIT or close."""
    while True:
        line = read_line(conn)
        if line is None:
            return
        text = line.decode("latin-1").rstrip("\r\n")
        log(transcript, "C: " + text)
        verb = text.split(" ", 1)[0].upper()
        if verb == "STAT":
            conn.sendall(b"+OK 0 0\r\n")
        elif verb == "UIDL":
            conn.sendall(b"+OK\r\n.\r\n")
        elif verb == "QUIT":
            conn.sendall(b"+OK bye\r\n")
            return
        else:
            conn.sendall(b"+OK\r\n")


def wrap(conn, context, transcript):
    try:
        tls = context.wrap_socket(conn, server_side=True)
    except (ssl.SSLError, OSError) as e:
        log(transcript, "# tls failed " + str(e).replace("\n", " "))
        return None
    log(transcript, "# tls up " + str(tls.version()))
    return tls


def handle(conn, mode, context, transcript):
    if mode == "pop3s":
        tls = wrap(conn, context, transcript)
        if tls:
            tls.sendall(GREETING)
            serve_pop3(tls, transcript)
        return
    if mode in ("stls", "stls-refused", "stls-injected"):
        conn.sendall(GREETING)
        line = read_line(conn)
        if line is None:
            return
        text = line.decode("latin-1").rstrip("\r\n")
        log(transcript, "C: " + text)
        if text.upper() != "STLS" or mode == "stls-refused":
            conn.sendall(b"-ERR no TLS here\r\n")
            serve_pop3(conn, transcript)
            return
        if mode == "stls-injected":
            conn.sendall(b"+OK begin TLS\r\n+OK injected\r\n")
        else:
            conn.sendall(b"+OK begin TLS\r\n")
        tls = wrap(conn, context, transcript)
        if tls:
            serve_pop3(tls, transcript)
        return
    if mode == "stall":
        tls = wrap(conn, context, transcript)
        if tls:
            tls.sendall(GREETING)
            while True:
                line = read_line(tls)
                if line is None:
                    return
                log(transcript, "C: " + line.decode("latin-1").rstrip("\r\n"))
        return
    if mode == "close-notify":
        raw = conn.dup()  # keeps the TCP connection open whatever TLS does
        tls = wrap(conn, context, transcript)
        if tls:
            tls.sendall(GREETING)
            log(transcript, "# close_notify sent")
            try:
                tls.unwrap()  # sends close_notify, then waits for the client's
            except (ssl.SSLError, OSError) as e:
                log(transcript, "# after close_notify: " + str(e).replace("\n", " "))
            try:
                while raw.recv(4096):
                    pass
            except OSError:
                pass
        raw.close()
        return
    if mode == "garbage":
        data = conn.recv(4096)
        log(transcript, "# raw %d bytes" % len(data))
        conn.sendall(b"+OK this is not TLS\r\n" + bytes(range(256)) * 4)
        while conn.recv(4096):
            pass
        return
    if mode == "close-mid":
        data = conn.recv(4096)
        log(transcript, "# raw %d bytes" % len(data))
        return
    if mode == "silent":
        while True:
            data = conn.recv(4096)
            if not data:
                return
            log(transcript, "# raw %d bytes" % len(data))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--mode", required=True)
    p.add_argument("--cert")
    p.add_argument("--port-file", required=True)
    p.add_argument("--transcript", required=True)
    p.add_argument("--count", type=int, default=1)
    args = p.parse_args()

    context = None
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.minimum_version = ssl.TLSVersion.TLSv1_2
        context.load_cert_chain(args.cert)
    open(args.transcript, "w").close()
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    listener.settimeout(60)
    with open(args.port_file + ".tmp", "w") as f:
        f.write("%d\n" % listener.getsockname()[1])
    import os
    os.replace(args.port_file + ".tmp", args.port_file)
    for _ in range(args.count):
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            break
        conn.settimeout(30)
        try:
            handle(conn, args.mode, context, args.transcript)
        except OSError as e:
            log(args.transcript, "# connection error " + str(e))
        finally:
            conn.close()
    log(args.transcript, "# done")


if __name__ == "__main__":
    sys.exit(main())
