#!/usr/bin/env python3
"""Reads a saved report file without the program's code: the header, the
record chain with its trailers, and the splay-tree coded pages.

usage: rpp_reader.py FILE OUTDIR
Prints "pages N compressed C header H" and one "page N START NEXT LENGTH"
line per record; writes each page's metafile to OUTDIR/pageN.emf.
Exits 1 with a message when the file is not sound."""
import os
import struct
import sys


def decode(coded, count):
    up = [0] + [(j - 1) // 2 for j in range(1, 513)]
    left = [2 * i + 1 for i in range(256)]
    right = [2 * i + 2 for i in range(256)]
    out = bytearray()
    bits = []  # the coded bits, least significant first in each byte
    for byte in coded:
        bits.extend((byte >> k) & 1 for k in range(8))
    at = 0
    for _ in range(count):
        node = 0
        while node < 256:
            if at >= len(bits):
                raise ValueError("coded bytes end early")
            node = right[node] if bits[at] else left[node]
            at += 1
        if node == 512:
            raise ValueError("code of no byte")
        out.append(node - 256)
        n = node
        while True:  # splay
            p = up[n]
            if p != 0:
                g = up[p]
                u = left[g]
                if u == p:
                    u = right[g]
                    right[g] = n
                else:
                    left[g] = n
                if n == left[p]:
                    left[p] = u
                else:
                    right[p] = u
                up[n] = g
                up[u] = p
                n = g
            else:
                n = p
            if n == 0:
                break
    return bytes(out)


def main():
    path, outdir = sys.argv[1], sys.argv[2]
    data = open(path, "rb").read()
    fmt, fmt2 = struct.unpack_from("<HH", data, 0)
    if (fmt, fmt2) != (3, 50):
        sys.exit("not a page file")
    if data[26:126] != b"H" * 100 or data[126:128] != b"\0\0":
        sys.exit("header filler")
    count = struct.unpack_from("<i", data, 8)[0]
    compressed = data[25]
    print("pages %d compressed %d header 128" % (count, compressed))
    at = 128
    for n in range(1, count + 1):
        number, nxt = struct.unpack_from("<iI", data, at)
        trailer = struct.unpack_from("<I", data, nxt - 4)[0]
        if number != n or trailer != at or nxt > len(data):
            sys.exit("record %d is broken" % n)
        payload = data[at + 8:nxt - 4]
        if compressed:
            plain = struct.unpack_from("<I", payload, 0)[0]
            emf = decode(payload[4:], plain)
        else:
            emf = payload
        if emf[40:44] != b" EMF":
            sys.exit("page %d is no metafile" % n)
        print("page %d %d %d %d" % (n, at, nxt, len(emf)))
        with open(os.path.join(outdir, "page%d.emf" % n), "wb") as f:
            f.write(emf)
        at = nxt
    if at != len(data):
        sys.exit("bytes after the last record")


main()
