#!/usr/bin/env python3
"""Counts the pixels of one colour in a rectangle of an X11 window (for the windowed app test).

usage: x11_grab.py WINDOW_ID X Y W H RRGGBB TOLERANCE  -> prints the count
"""
import ctypes
import ctypes.util
import sys


def main():
    wid, x, y, w, h = (int(v, 0) for v in sys.argv[1:6])
    want = int(sys.argv[6], 16)
    tol = int(sys.argv[7])
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XGetImage.restype = ctypes.c_void_p
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XGetPixel.restype = ctypes.c_ulong
    x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    dpy = x11.XOpenDisplay(None)
    img = x11.XGetImage(dpy, wid, x, y, w, h, 0xFFFFFFFF, 2) if dpy else None  # ZPixmap
    if not img:
        print("cannot read the window", file=sys.stderr)
        return 2
    # The screen is 24-bit TrueColor: pixels read as 0xRRGGBB.
    count = 0
    for row in range(h):
        for col in range(w):
            p = x11.XGetPixel(img, col, row)
            count += all(abs((p >> s & 255) - (want >> s & 255)) <= tol for s in (16, 8, 0))
    print(count)
    return 0


if __name__ == "__main__":
    sys.exit(main())
