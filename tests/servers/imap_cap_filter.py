#!/usr/bin/env python3
"""A pass-through in front of a real IMAP server that takes words out of the
capability lists the server sends (for example AUTH=PLAIN or STARTTLS), so
that a client meets a real server that offers less. It records every line a
client sends, one connection after the other, in the transcript file.
  imap_cap_filter.py --upstream PORT --drop WORD[,WORD...] --port-file F --transcript T
"""
import argparse
import socket
import threading


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--upstream", type=int, required=True)
    p.add_argument("--drop", required=True)
    p.add_argument("--port-file", required=True)
    p.add_argument("--transcript", required=True)
    a = p.parse_args()
    drop = [w.encode() for w in a.drop.split(",")]
    lock = threading.Lock()
    transcript = open(a.transcript, "ab", buffering=0)

    def filtered(line):
        if b"CAPABILITY" not in line.upper():
            return line
        words = line.rstrip(b"\r\n").split(b" ")
        # A word may stand last before "]" in a response code.
        kept = []
        for w in words:
            bare = w.rstrip(b"]")
            if bare.upper() in (d.upper() for d in drop):
                if w.endswith(b"]") and kept:
                    kept[-1] += b"]"
                continue
            kept.append(w)
        return b" ".join(kept) + b"\r\n"

    def server_to_client(up, down):
        pending = b""
        while True:
            data = up.recv(65536)
            if not data:
                break
            pending += data
            out = b""
            while b"\r\n" in pending:
                line, pending = pending.split(b"\r\n", 1)
                out += filtered(line + b"\r\n")
            down.sendall(out)
        down.shutdown(socket.SHUT_WR)

    def client_to_server(down, up):
        pending = b""
        while True:
            data = down.recv(65536)
            if not data:
                break
            up.sendall(data)
            pending += data
            while b"\r\n" in pending:
                line, pending = pending.split(b"\r\n", 1)
                with lock:
                    transcript.write(b"C: " + line + b"\n")
        up.shutdown(socket.SHUT_WR)

    def serve(down):
        up = socket.create_connection(("127.0.0.1", a.upstream))
        t = threading.Thread(target=client_to_server, args=(down, up), daemon=True)
        t.start()
        try:
            server_to_client(up, down)
        except OSError:
            pass
        t.join(30)
        down.close()
        up.close()

    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    with open(a.port_file + ".tmp", "w") as f:
        f.write(str(listener.getsockname()[1]))
    import os
    os.rename(a.port_file + ".tmp", a.port_file)
    while True:
        down, _ = listener.accept()
        threading.Thread(target=serve, args=(down,), daemon=True).start()


if __name__ == "__main__":
    main()
