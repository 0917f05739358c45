#!/usr/bin/env python3
"""Writes the background textures the engine tints and tiles behind the wallpaper image.

Usage: make_textures.py <output folder>

Every texture is made of functions that repeat with the texture's own size (value noise on a
wrapping lattice, sines of whole periods), so copies placed side by side meet without a seam.
The pseudo-random values come from a fixed hash, so every run writes the same files.
"""

import math
import os
import struct
import sys


def lattice_hash(x, y, seed):
    """A repeatable pseudo-random value in 0..1 for a lattice point."""
    h = (x * 374761393 + y * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    h ^= h >> 16
    return (h & 0xFFFF) / 65535.0


def smooth(t):
    return t * t * (3 - 2 * t)


def value_noise(x, y, period_x, period_y, cells_x, cells_y, seed):
    """Smooth noise with cells_x x cells_y cells over one period, wrapping at the period."""
    fx = x * cells_x / period_x
    fy = y * cells_y / period_y
    x0, y0 = int(math.floor(fx)), int(math.floor(fy))
    tx, ty = smooth(fx - x0), smooth(fy - y0)

    def at(ix, iy):
        return lattice_hash(ix % cells_x, iy % cells_y, seed)

    top = at(x0, y0) * (1 - tx) + at(x0 + 1, y0) * tx
    bottom = at(x0, y0 + 1) * (1 - tx) + at(x0 + 1, y0 + 1) * tx
    return top * (1 - ty) + bottom * ty


def octaves(x, y, w, h, base_cells, count, seed):
    total, weight, norm = 0.0, 1.0, 0.0
    for i in range(count):
        cells = base_cells << i
        total += weight * value_noise(x, y, w, h, cells, cells, seed + i)
        norm += weight
        weight *= 0.5
    return total / norm


def clamp_byte(v):
    return max(0, min(255, int(round(v))))


def bmp_bytes(width, height, bit_count, rows, palette=None):
    """A bottom-up BI_RGB .bmp; rows are lists of pixels from the top (bytes or (r, g, b))."""
    row_bytes = (width * bit_count + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for p in row:
            if bit_count == 8:
                line.append(p)
            else:
                r, g, b = p
                line += bytes((b, g, r))
        line += b"\0" * (row_bytes - len(line))
        pixels += line
    table = b""
    if bit_count == 8:
        table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0, len(pixels), 2835, 2835,
                       256 if bit_count == 8 else 0, 0)
    return header + info + table + bytes(pixels)


def grey_palette():
    return [(i, i, i) for i in range(256)]


def linen(w, h):
    """Woven threads: horizontal and vertical bands with slub noise, 24 bits."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            warp = math.sin(2 * math.pi * x * 16 / w) * 0.5 + 0.5
            weft = math.sin(2 * math.pi * y * 16 / h) * 0.5 + 0.5
            slub = octaves(x, y, w, h, 4, 3, 11)
            over = (x // (w // 32) + y // (h // 32)) % 2
            v = 150 + 40 * (warp if over else weft) + 45 * (slub - 0.5)
            row.append((clamp_byte(v + 6), clamp_byte(v + 2), clamp_byte(v - 6)))
        rows.append(row)
    return bmp_bytes(w, h, 24, rows)


def marble(w, h):
    """Veined stone: sines bent by turbulence, 8 bits with a grey palette."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            turbulence = octaves(x, y, w, h, 2, 4, 23)
            phase = 2 * math.pi * (2 * x / w + 1 * y / h) + 6.0 * turbulence
            v = 128 + 90 * math.sin(phase) * abs(math.sin(phase))
            row.append(clamp_byte(v))
        rows.append(row)
    return bmp_bytes(w, h, 8, rows, grey_palette())


def paper(w, h):
    """Hand-made paper: soft clouds with fine fibres, 24 bits."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            cloud = octaves(x, y, w, h, 3, 3, 37)
            fibre = octaves(x, y, w, h, 24, 2, 41)
            v = 120 + 80 * cloud + 40 * (fibre - 0.5)
            row.append((clamp_byte(v), clamp_byte(v - 3), clamp_byte(v - 10)))
        rows.append(row)
    return bmp_bytes(w, h, 24, rows)


def canvas(w, h):
    """Fine painter's canvas: a tight diagonal twill with grain, 8 bits."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            twill = math.sin(2 * math.pi * (x + y) * 8 / w) * 0.5 + 0.5
            grain = octaves(x, y, w, h, 8, 2, 53)
            row.append(clamp_byte(110 + 70 * twill + 60 * (grain - 0.5)))
        rows.append(row)
    return bmp_bytes(w, h, 8, rows, grey_palette())


TEXTURES = [
    ("texture001.bmp", linen, 128, 128),
    ("texture002.bmp", marble, 128, 128),
    ("texture003.bmp", paper, 96, 96),
    ("texture004.bmp", canvas, 64, 64),
]


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, make, w, h in TEXTURES:
        data = make(w, h)
        path = os.path.join(folder, name)
        temporary = path + ".tmp"
        with open(temporary, "wb") as out:
            out.write(data)
        os.replace(temporary, path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
