#!/usr/bin/env python3
"""Whether a PNG shows its subject: at least MIN_SHARE of its pixels differ from the background.

usage: subject_check.py PICTURE.png RRGGBB
A pixel differs when a channel is more than 12 off the background (frames are drawn at 32 bits,
but a blend or a dither may move a background pixel by a few steps). Reads 8-bit RGB and RGBA
PNGs, the kinds WritePng makes, with the standard library alone.
"""
import struct
import sys
import zlib

MIN_SHARE = 0.05
TOLERANCE = 12


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, chunks, header = 8, [], None
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("only 8-bit RGB or RGBA, not interlaced")
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(chunks))
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        previous = line
    return width, height, channels, rows


def main():
    path, background = sys.argv[1], bytes.fromhex(sys.argv[2])
    width, height, channels, rows = read_png(path)
    differ = 0
    for line in rows:
        for x in range(0, width * channels, channels):
            if any(abs(line[x + k] - background[k]) > TOLERANCE for k in range(3)):
                differ += 1
    share = differ / float(width * height)
    print("%s: %.1f %% of the pixels differ from #%s" % (path, 100 * share, sys.argv[2]))
    return 0 if share >= MIN_SHARE else 1


if __name__ == "__main__":
    sys.exit(main())
