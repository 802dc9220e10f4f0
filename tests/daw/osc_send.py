#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Sends one OSC message over UDP: osc_send.py PORT PATH [ARG...]; integer
# arguments go as int32, the rest as strings. Enough to drive Ardour's OSC
# surface without liblo's tools.
import socket
import struct
import sys


def padded(data: bytes) -> bytes:
    return data + b"\0" * (4 - len(data) % 4)


def message(path: str, args: list[str]) -> bytes:
    tags, payload = ",", b""
    for arg in args:
        try:
            payload += struct.pack(">i", int(arg))
            tags += "i"
        except ValueError:
            payload += padded(arg.encode())
            tags += "s"
    return padded(path.encode()) + padded(tags.encode()) + payload


def main() -> int:
    if len(sys.argv) < 3:
        print("usage: osc_send.py PORT PATH [ARG...]", file=sys.stderr)
        return 2
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        sock.sendto(message(sys.argv[2], sys.argv[3:]), ("127.0.0.1", int(sys.argv[1])))
    return 0


if __name__ == "__main__":
    sys.exit(main())
