#!/usr/bin/env python3
"""Pictures for the desktop test, worked out here on their own, independently of the program.

  check_pictures.py levels ORIGINAL SAVED BR BG BB WR WG WB
      the saved picture is the levels rule applied to the original, from the typed texts:
      black = floor(text), moved below a white point that is not above it, clamped to 0..255;
      factor = 255 / (white - black) as a 32-bit float; each channel value becomes
      round-half-even(factor * (value - black)), clamped
  check_pictures.py blocks BMP WIDTH HEIGHT    write one of 100 x 100 blocks, each a colour of
                                               its own, with a red 200 x 160 bottom-right corner
  check_pictures.py shown GRAB.ppm X Y         print "R G B" of one pixel of a screen grab
  check_pictures.py fitted WIDTH HEIGHT AREA_W AREA_H DPR
                                               print the size of the picture fitted into the area
  check_pictures.py shows GRAB.ppm BMP X Y [W H]
      the screen grab shows the picture 1:1 with its top-left pixel at X, Y (only its first
      W x H pixels when given)
  check_pictures.py level R G B BR BG BB WR WG WB
                                               print "R G B" of one colour after the levels rule
  check_pictures.py find GRAB.ppm R G B        print "LEFT TOP RIGHT BOTTOM BAND" of where the
                                               colour shows, BAND the last row of its first band
"""
import math
import struct
import subprocess
import sys


def read_pixels(path):
    """A picture file as ImageMagick reads it: its width, height and RGB bytes, row by row."""
    run = lambda *command: subprocess.run(command, capture_output=True, check=True).stdout
    width, height = map(int, run("identify", "-format", "%w %h", path).split())
    return width, height, run("convert", path, "-depth", "8", "rgb:-")


def read_bmp24(path):
    width, height, data = read_pixels(path)
    return [[tuple(data[3 * (y * width + x):3 * (y * width + x) + 3]) for x in range(width)]
            for y in range(height)]


def write_bmp24(path, width, height, pixel):
    data = bytes(c for y in range(height) for x in range(width) for c in pixel(x, y))
    subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "rgb:-", "-type",
                    "TrueColor", f"BMP3:{path}"], input=data, check=True)


def block_colour(x, y, width, height):
    if x >= width - 200 and y >= height - 160:
        return 255, 0, 0
    bx, by = x // 100, y // 100
    return (bx * 29 + 10) % 200, (by * 59 + 30) % 256, (bx * by * 13 + 90) % 256


def channel_levels(black_text, white_text):
    black = math.floor(float(black_text))
    white = float(white_text)
    if not white > black:
        black = round(white - 1)  # Python rounds half to even
    black = min(max(black, 0), 255)
    factor = struct.unpack("f", struct.pack("f", 255.0 / (white - black)))[0]
    return black, factor


def level(value, black, factor):
    return min(max(round(factor * (value - black)), 0), 255)


def check_levels(original_path, saved_path, texts):
    original, saved = read_bmp24(original_path), read_bmp24(saved_path)
    levels = [channel_levels(texts[c], texts[3 + c]) for c in range(3)]
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


def check_shows(grab_path, bmp_path, left, top, width=None, height=None):
    screen_width, screen_height, screen = read_pixels(grab_path)
    picture = read_bmp24(bmp_path)
    height = height or len(picture)
    width = width or len(picture[0])
    if left + width > screen_width or top + height > screen_height:
        print(f"the picture would end at {left + width},{top + height}, off the screen")
        return 1
    wrong = 0
    for y in range(height):
        for x in range(width):
            at = 3 * ((top + y) * screen_width + left + x)
            shown = tuple(screen[at:at + 3])
            if shown != picture[y][x]:
                if wrong < 5:
                    print(f"picture pixel {x},{y} is {picture[y][x]}, the screen shows {shown}")
                wrong += 1
    print(f"{wrong} of {width * height} picture pixels are not shown 1:1")
    return 1 if wrong else 0


def main(argv):
    command, args = argv[1], argv[2:]
    if command == "levels":
        return check_levels(args[0], args[1], args[2:8])
    if command == "blocks":
        width, height = int(args[1]), int(args[2])
        write_bmp24(args[0], width, height, lambda x, y: block_colour(x, y, width, height))
        return 0
    if command == "shown":
        width, _, screen = read_pixels(args[0])
        at = 3 * (int(args[2]) * width + int(args[1]))
        print(*screen[at:at + 3])
        return 0
    if command == "fitted":  # never enlarged; whole logical pixels, rounded up
        width, height, area_w, area_h, dpr = map(float, args)
        zoom = min(1.0, area_w * dpr / width, area_h * dpr / height)
        print(math.ceil(width * zoom / dpr - 1e-9), math.ceil(height * zoom / dpr - 1e-9))
        return 0
    if command == "shows":
        return check_shows(args[0], args[1], *map(int, args[2:]))
    if command == "find":  # where a colour shows: its box, and the bottom of its first band
        width, height, screen = read_pixels(args[0])
        want = tuple(map(int, args[1:4]))
        rows = [y for y in range(height)
                if any(tuple(screen[3 * (y * width + x):3 * (y * width + x) + 3]) == want
                       for x in range(0, width, 4))]
        if not rows:
            return 1
        band = rows[0]
        while band + 1 in rows:
            band += 1
        xs = [x for x in range(width)
              if tuple(screen[3 * (rows[0] * width + x):3 * (rows[0] * width + x) + 3]) == want]
        print(xs[0], rows[0], xs[-1], rows[-1], band)
        return 0
    if command == "level":
        levels = [channel_levels(args[3 + c], args[6 + c]) for c in range(3)]
        print(*(level(int(args[c]), *levels[c]) for c in range(3)))
        return 0
    raise SystemExit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
