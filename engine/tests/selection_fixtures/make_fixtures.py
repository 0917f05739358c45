#!/usr/bin/env python3
"""Makes the small JPEG images of the selection and operations tests (needs cjpeg).

Each image is a smooth two-colour gradient of its own size and colours; the sizes are what the
tests rely on: three images that meet the default limits (sides above 400 and below 4000, the
smaller side above half the larger), one excluded that would meet them, and one square 400 x 400
that the strict lower bound rejects, and a 16 x 12 one as small as a thumbnail, which tests write
thousands of times. exif_dated_2011-12-24.jpg (640 x 480, EXIF orientation 6 and
the date 2011:12:24 09:08:07) is the imaging tests' exif_o6_be_640x480.jpg, made by their
make_exif_fixtures.py.
"""
import subprocess
import sys

IMAGES = [
    ("good_a.jpg", 480, 420, (200, 60, 40), (250, 220, 90)),
    ("good_b.jpg", 560, 420, (30, 90, 180), (160, 220, 250)),
    ("good_c.jpg", 640, 480, (20, 120, 40), (200, 240, 160)),
    ("excluded.jpg", 480, 420, (90, 20, 120), (240, 180, 250)),
    ("small_400x400.jpg", 400, 400, (120, 120, 120), (240, 240, 240)),
    ("tiny_16x12.jpg", 16, 12, (60, 60, 160), (220, 220, 250)),
]


def ppm(width, height, top, bottom):
    rows = []
    for y in range(height):
        t = y / (height - 1)
        row = bytes(int(a + (b - a) * t) for a, b in zip(top, bottom))
        rows.append(row * width)
    return b"P6 %d %d 255\n" % (width, height) + b"".join(rows)


def main():
    for name, width, height, top, bottom in IMAGES:
        data = subprocess.run(["cjpeg", "-quality", "60"], input=ppm(width, height, top, bottom),
                              stdout=subprocess.PIPE, check=True).stdout
        with open(name, "wb") as out:
            out.write(data)
    with open("broken.jpg", "wb") as out:
        out.write(b"This file is named like a JPEG image but holds only text.\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
