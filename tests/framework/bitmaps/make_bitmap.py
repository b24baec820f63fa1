"""Writes the small toolbar bitmap of the framework's tests: 16 x 15 pixels, 24 bits."""
import struct
import sys

WIDTH, HEIGHT = 16, 15
row = b"".join(bytes((40, 120 + 8 * x, 200)) for x in range(WIDTH))
row += b"\0" * ((4 - len(row) % 4) % 4)
pixels = row * HEIGHT
info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
with open(sys.argv[1], "wb") as out:
    out.write(header + info + pixels)
