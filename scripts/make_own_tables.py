#!/usr/bin/env python3
"""Writes src/pages/own_tables.inc: what our own converters know of the Encoding Standard's
encodings where Debian's ICU lacks them or reads them otherwise, from the index files of
the standard's source and from ICU itself (libicuuc, through ctypes):
- the whole index of each single-byte encoding that ICU lacks or reads otherwise;
- for the double-byte encodings that ICU reads almost as the standard does (Big5, whose
  standard index holds HKSCS, and gb18030), the pointers ICU reads otherwise.

    python3 scripts/make_own_tables.py path/to/encoding-standard > src/pages/own_tables.inc
"""
import ctypes
import ctypes.util
import os
import sys

# The standard's name of each single-byte encoding and ICU's name for it (None: ICU has none).
SINGLE_BYTE = [("ISO-8859-16", None), ("KOI8-U", "KOI8-U"), ("windows-874", "windows-874-2000"),
               ("windows-1253", "windows-1253"), ("windows-1255", "windows-1255")]


def big5_bytes(pointer):
    trail = pointer % 157
    return bytes([pointer // 157 + 0x81, trail + (0x40 if trail < 0x3F else 0x62)])


def gb18030_bytes(pointer):
    trail = pointer % 190
    return bytes([pointer // 190 + 0x81, trail + (0x40 if trail < 0x3F else 0x41)])


# The standard's name, its index, ICU's converter and how a pointer becomes bytes.
DOUBLE_BYTE = [("Big5", "big5", "Big5-HKSCS", big5_bytes),
               ("gb18030", "gb18030", "gb18030", gb18030_bytes)]


class Icu:
    def __init__(self):
        self.lib = ctypes.CDLL(ctypes.util.find_library("icuuc"))
        self.suffix = next(s for s in [""] + ["_%d" % v for v in range(50, 100)]
                           if hasattr(self.lib, "ucnv_open" + s))
        self.open = getattr(self.lib, "ucnv_open" + self.suffix)
        self.open.restype = ctypes.c_void_p
        self.to_uchars = getattr(self.lib, "ucnv_toUChars" + self.suffix)
        self.to_uchars.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int32,
                                   ctypes.c_char_p, ctypes.c_int32, ctypes.POINTER(ctypes.c_int)]

    def decode(self, name, data):
        error = ctypes.c_int(0)
        converter = self.open(name.encode(), ctypes.byref(error))
        out = (ctypes.c_uint16 * 16)()
        length = self.to_uchars(converter, out, 16, data, len(data), ctypes.byref(error))
        return bytes(out)[:2 * length].decode("utf-16-le", "replace")


def index(folder, name):
    table = {}
    with open(os.path.join(folder, "index-%s.txt" % name), encoding="utf-8") as f:
        for line in f:
            fields = line.split()
            if fields and not fields[0].startswith("#"):
                table[int(fields[0])] = int(fields[1], 16)
    return table


def main():
    folder = sys.argv[1]
    icu = Icu()
    out = sys.stdout
    out.write("// Made by scripts/make_own_tables.py from the Encoding Standard's indexes and\n")
    out.write("// Debian's ICU; do not edit.\n\n")
    out.write("// Bytes 0x80 to 0xFF, U+FFFD where the index has none.\n")
    out.write("constexpr SingleByteTable kOwnTables[] = {\n")
    for name, icu_name in SINGLE_BYTE:
        table = index(folder, name.lower())
        codes = [table.get(i, 0xFFFD) for i in range(128)]
        if icu_name is not None:
            read = icu.decode(icu_name, bytes(range(0x80, 0x100)))
            assert [ord(c) for c in read] != codes, "%s: ICU reads it as the standard" % name
        out.write('    {"%s",\n     {' % name)
        out.write(",\n      ".join(", ".join("0x%04X" % c for c in codes[row:row + 8])
                                    for row in range(0, 128, 8)))
        out.write("}},\n")
    out.write("};\n\n")
    out.write("// Two-byte sequences ICU reads otherwise than the standard, and what the standard\n")
    out.write("// reads them as (UTF-16, one or two characters).\n")
    out.write("constexpr ByteOverride kOverrides[] = {\n")
    for name, index_name, icu_name, to_bytes in DOUBLE_BYTE:
        for pointer, code in sorted(index(folder, index_name).items()):
            data = to_bytes(pointer)
            if icu.decode(icu_name, data) != chr(code):
                units = chr(code).encode("utf-16-le")
                pair = [int.from_bytes(units[i:i + 2], "little") for i in range(0, len(units), 2)]
                out.write('    {"%s", 0x%02X%02X, {%s}},\n' % (
                    name, data[0], data[1], ", ".join("0x%04X" % u for u in pair)))
    # The four Big5 pointers the standard reads as two characters each.
    for pointer, chars in [(1133, "\u00CA\u0304"), (1135, "\u00CA\u030C"),
                           (1164, "\u00EA\u0304"), (1166, "\u00EA\u030C")]:
        data = big5_bytes(pointer)
        if icu.decode("Big5-HKSCS", data) != chars:
            out.write('    {"Big5", 0x%02X%02X, {0x%04X, 0x%04X}},\n' % (
                data[0], data[1], ord(chars[0]), ord(chars[1])))
    out.write("};\n")


if __name__ == "__main__":
    main()
