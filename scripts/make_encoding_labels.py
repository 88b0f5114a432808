#!/usr/bin/env python3
"""Writes src/engine/encoding_labels_table.inc from the Encoding Standard's own list of
encodings and their labels (encodings.json of the standard's source).

    python3 scripts/make_encoding_labels.py path/to/encodings.json > src/engine/encoding_labels_table.inc
"""
import json
import sys


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        groups = json.load(f)
    names = []
    labels = []
    for group in groups:
        for encoding in group["encodings"]:
            index = len(names)
            names.append(encoding["name"])
            labels.extend((label, index) for label in encoding["labels"])
    labels.sort()
    out = sys.stdout
    out.write("// Made by scripts/make_encoding_labels.py from the Encoding Standard's\n")
    out.write("// encodings.json; do not edit. %d encodings, %d labels.\n" % (len(names), len(labels)))
    out.write("constexpr std::string_view kEncodingNames[] = {\n")
    for name in names:
        out.write('    "%s",\n' % name)
    out.write("};\n\n")
    out.write("// Sorted by label, for a binary search.\n")
    out.write("constexpr LabelEntry kLabels[] = {\n")
    for label, index in labels:
        out.write('    {"%s", %d},\n' % (label, index))
    out.write("};\n")


if __name__ == "__main__":
    main()
