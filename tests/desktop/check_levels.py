#!/usr/bin/env python3
"""Checks a saved picture against the levels rule applied to the original, worked out here on
its own, from the typed texts: black = floor(text), moved below a white point that is not above
it, clamped to 0..255; factor = 255 / (white - black) as a 32-bit float; each channel value
becomes round-half-even(factor * (value - black)), clamped.

  check_levels.py ORIGINAL SAVED BR BG BB WR WG WB    compare the whole pictures
  check_levels.py --pixel SAVED X Y                   print "R G B" of one pixel
"""
import math
import struct
import sys


def read_bmp24(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise SystemExit(f"{path}: not a bitmap")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise SystemExit(f"{path}: {bits} bits per pixel, expected 24")
    stride = (width * 3 + 3) // 4 * 4
    top_down = height < 0
    height = abs(height)
    rows = []
    for y in range(height):
        file_row = y if top_down else height - 1 - y
        start = offset + file_row * stride
        row = data[start:start + width * 3]
        rows.append([(row[3 * x + 2], row[3 * x + 1], row[3 * x]) for x in range(width)])
    return rows


def channel_levels(black_text, white_text):
    black = math.floor(float(black_text))
    white = float(white_text)
    if not white > black:
        black = round(white - 1)  # Python rounds half to even
    black = min(max(black, 0), 255)
    factor = struct.unpack("f", struct.pack("f", 255.0 / (white - black)))[0]
    return black, factor


def level(value, black, factor):
    product = factor * (value - black)
    return min(max(round(product), 0), 255)


def main(argv):
    if argv[1] == "--pixel":
        rows = read_bmp24(argv[2])
        r, g, b = rows[int(argv[4])][int(argv[3])]
        print(r, g, b)
        return 0
    original, saved = read_bmp24(argv[1]), read_bmp24(argv[2])
    levels = [channel_levels(argv[3 + c], argv[6 + c]) for c in range(3)]
    if len(original) != len(saved) or len(original[0]) != len(saved[0]):
        print("sizes differ")
        return 1
    wrong = 0
    for y, (row_in, row_out) in enumerate(zip(original, saved)):
        for x, (pin, pout) in enumerate(zip(row_in, row_out)):
            want = tuple(level(pin[c], *levels[c]) for c in range(3))
            if want != pout:
                if wrong < 5:
                    print(f"pixel {x},{y}: {pin} became {pout}, expected {want}")
                wrong += 1
    print(f"{wrong} of {len(original) * len(original[0])} pixels differ from the rule")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
