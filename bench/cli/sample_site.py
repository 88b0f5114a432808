#!/usr/bin/env python3
"""Writes a small shop's site of 300 pages into FOLDER, with the faults real sites have:
fragments without a title, pages copied from a template and never retitled, product
titles stuffed with words, a blog index too short to say anything, a page with a second
title from a pasted snippet, a title never closed, one page in ISO-8859-1.

    python3 bench/cli/sample_site.py /tmp/site && titora-cli check -r /tmp/site
"""
import os
import random
import sys

random.seed(19)
root = sys.argv[1]

WORDS = ("garden oak chair table lamp linen wool bowl mug vase shelf rug basket stool bench "
         "cushion throw clock mirror frame candle kettle tray jar").split()


def page(path, head, body="<p>Lorem ipsum dolor sit amet.</p>", charset="utf-8", data=None):
    full = os.path.join(root, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    text = (f'<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="{charset}">\n'
            f'{head}\n<link rel="stylesheet" href="/style.css">\n</head>\n<body>\n'
            f'<header><a href="/">Hazel &amp; Birch</a></header>\n{body}\n</body>\n</html>\n')
    with open(full, "wb") as f:
        f.write(data if data is not None else text.encode(charset))


page("index.html", "<title>Hazel &amp; Birch \u2013 Furniture and Homeware</title>")
for n in range(120):
    a, b = random.sample(WORDS, 2)
    name = f"{a.capitalize()} {b} no. {n + 1}"
    if n % 9 == 0:  # stuffed with words for search engines
        title = f"{name} | Buy {a} {b} online | Best {a} {b} deals | Hazel &amp; Birch"
    elif n % 23 == 0:  # copied from a sibling and never changed
        title = "Oak chair \u2013 Hazel &amp; Birch"
    else:
        title = f"{name} \u2013 Hazel &amp; Birch"
    page(f"products/{a}-{b}-{n + 1}.html", f"<title>{title}</title>")
for n in range(100):
    if n % 10 == 3:
        head = "<title>Untitled Document</title>"
    elif n % 25 == 7:
        head = "<title>\n   \n</title>"
    else:
        head = f"<title>Journal: notes from the workshop, part {n + 1}</title>"
    page(f"blog/{2019 + n // 20}/post-{n + 1:03}.html", head)
page("blog/index.html", "<title>Blog</title>")
for n in range(60):  # fragments the server includes: no head of their own
    full = os.path.join(root, f"includes/part-{n + 1:02}.shtml")
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w") as f:
        f.write(f'<nav class="part-{n}"><a href="/">Home</a> <a href="/blog/">Journal</a></nav>\n')
for n in range(15):
    page(f"help/topic-{n + 1:02}.htm", f"<title>Help: delivery, returns and care, topic {n + 1}</title>")
page("help/snippet.htm", "<title>Care of oiled wood</title>",
     body='<div class="pasted"><title>Old page</title><p>Oil twice a year.</p></div>')
page("help/broken.htm", "<title>Care of linen</head><body><p>Wash cold.</p>")
page("about/caf\u00e9.html", "", charset="iso-8859-1",
     data='<html><head><meta charset="iso-8859-1"><title>Our caf\xe9 in the shop</title>'
          '</head></html>'.encode("latin-1"))
