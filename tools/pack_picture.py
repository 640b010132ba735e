#!/usr/bin/env python3
"""Packs a BMP picture for the browser page: every byte after the header less
the byte three before it (the pixel to the left, for 24-bit rows), then gzip -9
with no name and no time, so that a picture always packs to the same bytes.
The page undoes both (the browser's DecompressionStream, then a running sum).
Usage: pack_picture.py PICTURE.bmp OUT"""
import gzip
import struct
import sys


def pack(data):
    if len(data) < 14 or data[:2] != b"BM":
        raise ValueError("not a BMP file")
    start = struct.unpack_from("<I", data, 10)[0]
    if start < 14 or start > len(data):
        raise ValueError(f"its pixels start at {start}, outside the file")
    out = bytearray(data)
    for i in range(start + 3, len(data)):
        out[i] = (data[i] - data[i - 3]) & 0xFF
    return gzip.compress(bytes(out), compresslevel=9, mtime=0)


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: pack_picture.py PICTURE.bmp OUT")
    try:
        with open(argv[1], "rb") as f:
            packed = pack(f.read())
        with open(argv[2], "wb") as f:
            f.write(packed)
    except (OSError, ValueError) as error:
        sys.exit(f"pack_picture: {argv[1]}: {error}")


if __name__ == "__main__":
    main(sys.argv)
