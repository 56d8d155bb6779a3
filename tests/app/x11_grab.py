#!/usr/bin/env python3
"""Reads an X11 window's pixels for the window tests (the screen is 24-bit TrueColor).

usage: x11_grab.py WINDOW_ID X Y W H RRGGBB TOLERANCE  -> the count of pixels of that colour
       x11_grab.py WINDOW_ID digest ROWS               -> a digest of all but the last ROWS rows
"""
import ctypes
import ctypes.util
import hashlib
import sys


class XImage(ctypes.Structure):
    _fields_ = [(n, ctypes.c_int) for n in ("width", "height", "xoffset", "format")] + [
        ("data", ctypes.POINTER(ctypes.c_ubyte))] + [(n, ctypes.c_int) for n in (
            "byte_order", "unit", "bit_order", "pad", "depth", "bytes_per_line", "bits_per_pixel")]


x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
x11.XGetImage.restype = ctypes.POINTER(XImage)
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
dpy = x11.XOpenDisplay(None)
wid, digest = int(sys.argv[1], 0), sys.argv[2] == "digest"
if digest:
    root, u = ctypes.c_ulong(), [ctypes.c_uint() for _ in range(6)]
    x11.XGetGeometry(dpy, wid, ctypes.byref(root), *[ctypes.byref(v) for v in u])
    x, y, w, h = 0, 0, u[2].value, u[3].value - int(sys.argv[3])
else:
    x, y, w, h = (int(v, 0) for v in sys.argv[2:6])
img = x11.XGetImage(dpy, wid, x, y, w, h, 0xFFFFFFFF, 2) if dpy else None  # ZPixmap
if not img or img.contents.bits_per_pixel != 32:
    sys.exit("cannot read the window")
data = ctypes.string_at(img.contents.data, img.contents.bytes_per_line * h)
if digest:
    print(hashlib.sha1(data).hexdigest())
    sys.exit(0)
want, tol, line = int(sys.argv[6], 16), int(sys.argv[7]), img.contents.bytes_per_line
rgb = [data[line * r + 4 * c: line * r + 4 * c + 3][::-1] for r in range(h) for c in range(w)]
print(sum(all(abs(p[i] - (want >> (16 - 8 * i) & 255)) <= tol for i in range(3)) for p in rgb))
