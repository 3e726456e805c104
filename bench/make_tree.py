#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Builds benchmark trees.

search DIR: about 100,000 folders, two thirds of them empty leaves
  (334 parents x 100 middles x 2 leaves; every middle also holds a file).
empty DIR N: N empty leaf folders, every parent holds a file.
raise DIR N: N raise rows: DIR/rK holds only DIR/rK/inner, which holds two files.
junk DIR N: N folders holding only junk: a 16 KiB Thumbs.db and an empty desktop.ini each.
"""
import os
import sys


def search_tree(root):
    for p in range(334):
        for q in range(100):
            mid = os.path.join(root, f"p{p}", f"q{q}")
            for leaf in ("l1", "l2"):
                os.makedirs(os.path.join(mid, leaf))
            open(os.path.join(mid, "f"), "w").close()


def empty_tree(root, n):
    per = 100
    for p in range((n + per - 1) // per):
        parent = os.path.join(root, f"p{p}")
        os.makedirs(parent)
        open(os.path.join(parent, "f"), "w").close()
        for k in range(min(per, n - p * per)):
            os.mkdir(os.path.join(parent, f"e{k}"))


def raise_tree(root, n):
    for k in range(n):
        inner = os.path.join(root, f"r{k}", "inner")
        os.makedirs(inner)
        for f in ("a", "b"):
            open(os.path.join(inner, f), "w").close()
    open(os.path.join(root, "keep"), "w").close()


def junk_tree(root, n):
    empty_tree(root, n)
    data = bytes(range(256)) * 64
    for p in os.listdir(root):
        for e in os.listdir(os.path.join(root, p)):
            folder = os.path.join(root, p, e)
            if os.path.isdir(folder):
                with open(os.path.join(folder, "Thumbs.db"), "wb") as f:
                    f.write(data)
                open(os.path.join(folder, "desktop.ini"), "w").close()


if __name__ == "__main__":
    kind, root = sys.argv[1], sys.argv[2]
    os.makedirs(root, exist_ok=True)
    if kind == "search":
        search_tree(root)
    elif kind == "empty":
        empty_tree(root, int(sys.argv[3]))
    elif kind == "raise":
        raise_tree(root, int(sys.argv[3]))
    elif kind == "junk":
        junk_tree(root, int(sys.argv[3]))
