#!/usr/bin/env python3
"""Counts the pixels of one colour in a rectangle of an X11 window (for the windowed app test).

usage: x11_grab.py WINDOW_ID X Y W H RRGGBB TOLERANCE  -> prints the count
"""
import ctypes
import ctypes.util
import sys


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
        ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
        ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ]


def main():
    wid, x, y, w, h = (int(v, 0) for v in sys.argv[1:6])
    want = int(sys.argv[6], 16)
    tol = int(sys.argv[7])
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    dpy = x11.XOpenDisplay(None)
    if not dpy:
        print("no display", file=sys.stderr)
        return 2
    img = x11.XGetImage(dpy, wid, x, y, w, h, 0xFFFFFFFF, 2)  # ZPixmap
    if not img or img.contents.bits_per_pixel != 32:
        print("cannot read the window", file=sys.stderr)
        return 2
    im = img.contents
    count = 0
    wr, wg, wb = (want >> 16) & 255, (want >> 8) & 255, want & 255
    for row in range(im.height):
        base = row * im.bytes_per_line
        for col in range(im.width):
            p = base + col * 4
            b, g, r = im.data[p], im.data[p + 1], im.data[p + 2]
            if abs(r - wr) <= tol and abs(g - wg) <= tol and abs(b - wb) <= tol:
                count += 1
    print(count)
    return 0


if __name__ == "__main__":
    sys.exit(main())
