#!/usr/bin/env python3
"""Writes src/pages/own_tables.inc: the Encoding Standard's indexes of the single-byte
encodings that Debian's ICU lacks, from the index files of the standard's source.

    python3 scripts/make_own_tables.py path/to/encoding-standard > src/pages/own_tables.inc
"""
import os
import sys

# The standard's name of each encoding our own converter reads and writes.
OWN = ["ISO-8859-16"]


def index(folder, name):
    table = [0xFFFD] * 128
    with open(os.path.join(folder, "index-%s.txt" % name.lower()), encoding="utf-8") as f:
        for line in f:
            fields = line.split()
            if not fields or fields[0].startswith("#"):
                continue
            table[int(fields[0])] = int(fields[1], 16)
    return table


def main():
    folder = sys.argv[1]
    out = sys.stdout
    out.write("// Made by scripts/make_own_tables.py from the Encoding Standard's indexes;\n")
    out.write("// do not edit. Bytes 0x80 to 0xFF, U+FFFD where the index has none.\n")
    out.write("constexpr SingleByteTable kOwnTables[] = {\n")
    for name in OWN:
        table = index(folder, name)
        out.write('    {"%s",\n     {' % name)
        for i, code in enumerate(table):
            if i and i % 8 == 0:
                out.write("\n      ")
            out.write("0x%04X%s" % (code, "," if i < 127 else ""))
            if i % 8 != 7 and i < 127:
                out.write(" ")
        out.write("}},\n")
    out.write("};\n")


if __name__ == "__main__":
    main()
