#!/usr/bin/env python3
"""The peer to beat, in plain Python 3 with its base64 module and gbk codec. With no argument
(or "http"): thunder links on standard input to addresses on standard output. With "all":
addresses on standard input to four lines each, as `orvanthe-link --to all` writes them (the
address, its thunder, flashget and qqdl links, an empty line between addresses)."""
import base64
import sys


def addresses(lines):
    for line in lines:
        address = base64.b64decode(line[len(b"thunder://"):]).decode("gbk", "replace")
        if address.startswith("AA"):
            address = address[2:]
        if address.endswith("ZZ"):
            address = address[:-2]
        yield address


def all_forms(lines):
    for line in lines:
        raw = line.decode("utf-8").encode("gbk", "replace")
        thunder = base64.b64encode(b"AA" + raw + b"ZZ").decode()
        flashget = base64.b64encode(b"[FLASHGET]" + raw + b"[FLASHGET]").decode()
        qqdl = base64.b64encode(raw).decode()
        yield (line.decode("utf-8") + "\nthunder://" + thunder + "\nflashget://" + flashget
               + "&velkaron777\nqqdl://" + qqdl)


def main():
    lines = [line for line in (raw.strip() for raw in sys.stdin.buffer) if line]
    convert = all_forms if sys.argv[1:] == ["all"] else addresses
    results = convert(lines)
    sys.stdout.write(("\n\n" if convert is all_forms else "\n").join(results) + "\n")


if __name__ == "__main__":
    main()
