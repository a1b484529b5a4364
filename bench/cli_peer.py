#!/usr/bin/env python3
"""The peer to beat: thunder links on standard input to addresses on standard output, in
plain Python 3 with its base64 module and gbk codec."""
import base64
import sys


def main():
    addresses = []
    for line in sys.stdin.buffer:
        line = line.strip()
        if not line:
            continue
        address = base64.b64decode(line[len(b"thunder://"):]).decode("gbk", "replace")
        if address.startswith("AA"):
            address = address[2:]
        if address.endswith("ZZ"):
            address = address[:-2]
        addresses.append(address)
    sys.stdout.write("\n".join(addresses) + "\n")


if __name__ == "__main__":
    main()
