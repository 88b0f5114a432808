#!/usr/bin/env python3
"""Measures how many of the Encoding Standard's labels titora-cli reads as the standard
says: for every label, a page declaring it by <meta charset> holds a title of bytes whose
characters the standard's indexes give, and `titora-cli list --json` must report the
standard's encoding name and exactly those characters.

    python3 scripts/label_sweep.py path/to/encoding-standard build/src/cli/titora-cli

The first argument is a folder holding the standard's encodings.json and index-*.txt.
Prints one line per label that fails, then the share that passes.
"""
import json
import os
import subprocess
import sys
import tempfile

SAMPLE_STEP = int(os.environ.get("SWEEP_STEP", "41"))  # every so many pointers of an index


def read_index(folder, name):
    table = {}
    with open(os.path.join(folder, "index-%s.txt" % name), encoding="utf-8") as f:
        for line in f:
            fields = line.split()
            if fields and not fields[0].startswith("#"):
                table[int(fields[0])] = int(fields[1], 16)
    return table


def sampled(index):
    return [(p, c) for i, (p, c) in enumerate(sorted(index.items())) if i % SAMPLE_STEP == 0]


def double_byte(index, to_bytes, limit=None):
    data, text = b"", ""
    for pointer, code in sampled(index):
        if limit is not None and pointer >= limit:
            continue
        data += to_bytes(pointer)
        text += chr(code)
    return data, text


def four_byte(folder):
    """gb18030's four-byte sequences, by the standard's ranges."""
    ranges = sorted(read_index(folder, "gb18030-ranges").items())

    def code_point(pointer):
        if pointer == 7457:
            return 0xE7C7
        if pointer >= 189000:
            return 0x10000 + pointer - 189000
        start, first = [r for r in ranges if r[0] <= pointer][-1]
        return first + pointer - start

    data, text = b"", ""
    pointers = list(range(0, 39420, max(1, SAMPLE_STEP * 3))) + [7457, 39419]
    pointers += list(range(189000, 1237576, 50000)) + [1237575]
    for pointer in pointers:
        b1, rest = divmod(pointer, 10 * 126 * 10)
        b2, rest = divmod(rest, 10 * 126)
        b3, b4 = divmod(rest, 10)
        data += bytes([b1 + 0x81, b2 + 0x30, b3 + 0x81, b4 + 0x30])
        text += chr(code_point(pointer))
    return data, text


def sample(folder, encoding):
    """Bytes in `encoding` and the text the standard reads them as."""
    # ISO-8859-8-I reads its bytes as ISO-8859-8 does.
    single = {"ISO-8859-8-I": "ISO-8859-8"}.get(encoding, encoding).lower()
    if os.path.exists(os.path.join(folder, "index-%s.txt" % single)) and encoding not in (
        "GBK", "gb18030", "Big5", "EUC-KR"):
        index = read_index(folder, single)
        data = bytes(range(0x80, 0x100))
        return data, "".join(chr(index.get(b - 0x80, 0xFFFD)) for b in data)
    if encoding == "UTF-8":
        return b"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xff", "\u00e9\u20ac\U0001F600\ufffd"
    if encoding in ("GBK", "gb18030"):
        def gb(p):
            trail = p % 190
            return bytes([p // 190 + 0x81, trail + (0x40 if trail < 0x3F else 0x41)])
        data, text = double_byte(read_index(folder, "gb18030"), gb)
        data, text = b"\x80" + data, "\u20ac" + text
        # GBK's decoder is gb18030's: four-byte sequences too.
        four, four_text = four_byte(folder)
        return data + four, text + four_text
    if encoding == "Big5":
        def big5(p):
            trail = p % 157
            return bytes([p // 157 + 0x81, trail + (0x40 if trail < 0x3F else 0x62)])
        data, text = double_byte(read_index(folder, "big5"), big5)
        # The four pointers the standard reads as two characters each.
        special = {1133: "\u00CA\u0304", 1135: "\u00CA\u030C", 1164: "\u00EA\u0304", 1166: "\u00EA\u030C"}
        for pointer, chars in special.items():
            data += big5(pointer)
            text += chars
        return data, text
    if encoding == "EUC-KR":
        return double_byte(read_index(folder, "euc-kr"),
                           lambda p: bytes([p // 190 + 0x81, p % 190 + 0x41]))
    if encoding == "EUC-JP":
        data, text = double_byte(read_index(folder, "jis0208"),
                                 lambda p: bytes([p // 94 + 0xA1, p % 94 + 0xA1]), 94 * 94)
        d212, t212 = double_byte(read_index(folder, "jis0212"),
                                 lambda p: bytes([0x8F, p // 94 + 0xA1, p % 94 + 0xA1]), 94 * 94)
        return data + d212 + b"\x8e\xb1", text + t212 + "\uff71"
    if encoding == "Shift_JIS":
        def sjis(p):
            lead, trail = p // 188, p % 188
            return bytes([lead + (0x81 if lead < 0x1F else 0xC1),
                          trail + (0x40 if trail < 0x3F else 0x41)])
        index = read_index(folder, "jis0208")
        data, text = double_byte(index, sjis)
        data += sjis(8836) + b"\xb1\x80"
        return data, text + "\ue000\uff71\u0080"
    if encoding == "ISO-2022-JP":
        data, text = double_byte(read_index(folder, "jis0208"),
                                 lambda p: bytes([p // 94 + 0x21, p % 94 + 0x21]), 94 * 94)
        return b"\x1b$B" + data + b"\x1b(B", text
    return None


def main():
    folder, cli = sys.argv[1], sys.argv[2]
    with open(os.path.join(folder, "encodings.json"), encoding="utf-8") as f:
        groups = json.load(f)
    cases = []
    for group in groups:
        for encoding in group["encodings"]:
            name = encoding["name"]
            # A <meta> naming UTF-16 means UTF-8, and x-user-defined windows-1252.
            read_as = {"UTF-16LE": "UTF-8", "UTF-16BE": "UTF-8",
                       "x-user-defined": "windows-1252"}.get(name, name)
            for label in encoding["labels"]:
                cases.append((label, read_as))
    with tempfile.TemporaryDirectory() as scratch:
        paths, expected = [], []
        for i, (label, read_as) in enumerate(cases):
            found = None if read_as == "replacement" else sample(folder, read_as)
            data, text = found if found else (b"x", None)
            path = os.path.join(scratch, "%03d.html" % i)
            with open(path, "wb") as page:
                page.write(b'<meta charset="' + label.encode() + b'"><title>' + data + b"</title>")
            paths.append(path)
            expected.append((label, read_as, text))
        env = dict(os.environ, LC_ALL="C.UTF-8")
        out = subprocess.run([cli, "list", "--json"] + paths, check=True, capture_output=True,
                             env=env).stdout
        listed = json.loads(out)
    passed = 0
    for (label, read_as, text), page in zip(expected, listed):
        if page["encoding"] == read_as and page["title"] == text:
            passed += 1
            continue
        got = page["title"] or ""
        first = next((i for i, (a, b) in enumerate(zip(got, text or "")) if a != b),
                     min(len(got), len(text or "")))
        print("FAIL %-20s %-14s got %r, first difference at %d: %r for %r" % (
            label, page["encoding"], got[:12], first, got[first:first + 3],
            (text or "")[first:first + 3]))
    print("%d of %d labels decode as the standard says (%.1f%%)" % (
        passed, len(cases), 100.0 * passed / len(cases)))


if __name__ == "__main__":
    main()
