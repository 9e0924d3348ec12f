"""Checks pixels of an X window dump: reads lines "x y min_alpha max_alpha" on
standard input and fails when a pixel's alpha lies outside its range. With a
second argument, also writes the dump as a PNG there (premultiplied alpha kept
as straight alpha for viewing); a third, "X,Y,W,H", crops it first."""
import struct
import sys
import zlib


def read_dump(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, depth, width, height = fields[0], fields[3], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line, colours = fields[7], fields[11], fields[12], fields[19]
    if bits_per_pixel not in (24, 32):
        sys.exit(f"unexpected {bits_per_pixel} bits per pixel")
    size = bits_per_pixel // 8
    start = header_size + colours * 12

    def pixel(x, y):
        at = start + y * bytes_per_line + x * size
        raw = data[at:at + size] + b"\0" * (4 - size)
        value = struct.unpack("<I" if byte_order == 0 else ">I", raw)[0]
        if byte_order != 0 and size == 3:
            value >>= 8
        alpha = value >> 24 if depth == 32 else 255
        return alpha, (value >> 16) & 255, (value >> 8) & 255, value & 255

    return width, height, pixel


def write_png(path, width, height, pixel, left=0, top=0):
    rows = bytearray()
    for y in range(top, top + height):
        rows.append(0)
        for x in range(left, left + width):
            a, r, g, b = pixel(x, y)
            if a:
                r, g, b = (min(255, c * 255 // a) for c in (r, g, b))
            rows += bytes((r, g, b, a))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(bytes(rows))) + chunk(b"IEND", b""))


def main():
    width, height, pixel = read_dump(sys.argv[1])
    if len(sys.argv) > 3:
        left, top, width, height = map(int, sys.argv[3].split(","))
        write_png(sys.argv[2], width, height, pixel, left, top)
    elif len(sys.argv) > 2 and sys.argv[2]:
        write_png(sys.argv[2], width, height, pixel)
    failed = False
    for line in sys.stdin:
        if not line.strip():
            continue
        x, y, low, high = map(int, line.split())
        alpha = pixel(x, y)[0]
        if not low <= alpha <= high:
            print(f"pixel {x},{y}: alpha {alpha}, wanted {low}..{high}")
            failed = True
    sys.exit(1 if failed else 0)


main()
