#!/usr/bin/env python3
"""Draws the tray icons: a four-pointed sparkle (enabled), the same in grey
(disabled) and nine animation frames in which the sparkle turns and changes
colour (32x32 RGBA), and the strip of rating stars. Writes PNG files next to
this script."""

import colorsys
import math
import os
import struct
import zlib

SIZE = 32
SAMPLES = 4  # per axis, for smooth edges


def sparkle_coverage(x, y, angle, scale):
    """How much of the sparkle shape covers the point (0 or 1)."""
    cx = cy = SIZE / 2
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy) / (SIZE / 2 * scale)
    a = math.atan2(dy, dx) - angle
    # A star with four long rays: radius falls off between the rays.
    ray = abs(math.cos(2 * a)) ** 6
    limit = 0.28 + 0.72 * ray
    return 1.0 if r <= limit else 0.0


def draw(color, angle=0.0, scale=1.0, glow=0.0):
    pixels = bytearray()
    for py in range(SIZE):
        pixels.append(0)  # PNG filter type: none
        for px in range(SIZE):
            cover = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    cover += sparkle_coverage(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES,
                                              angle, scale)
            cover /= SAMPLES * SAMPLES
            # A soft round glow behind the star.
            d = math.hypot(px + 0.5 - SIZE / 2, py + 0.5 - SIZE / 2) / (SIZE / 2)
            halo = glow * max(0.0, 1.0 - d) ** 2
            alpha = min(1.0, cover + halo * (1 - cover))
            # The centre of the star is lighter.
            light = max(0.0, 1.0 - d * 2.2) * cover
            rgb = [min(255, int(c * 255 + (255 - c * 255) * light)) for c in color]
            pixels += bytes(rgb) + bytes([int(alpha * 255)])
    return bytes(pixels)


def star_strip():
    """Five cells of 60x12 pixels side by side; cell k shows k + 1 gold stars."""
    cell_w, cell_h, star = 60, 12, 12
    width = cell_w * 5
    pixels = bytearray()
    for py in range(cell_h):
        pixels.append(0)
        for px in range(width):
            cell, x = divmod(px, cell_w)
            index, sx = divmod(x, star)
            cover = 0.0
            if index <= cell:
                for yy in range(SAMPLES):
                    for xx in range(SAMPLES):
                        dx = sx + (xx + 0.5) / SAMPLES - star / 2
                        dy = py + (yy + 0.5) / SAMPLES - star / 2
                        r = math.hypot(dx, dy) / (star / 2)
                        a = math.atan2(dy, dx) + math.pi / 2
                        # five points: radius between 0.45 and 1 with the angle
                        k = (math.cos(5 * a) + 1) / 2
                        cover += 1.0 if r <= 0.45 + 0.55 * k ** 3 else 0.0
                cover /= SAMPLES * SAMPLES
            pixels += bytes([255, 190, 30, int(cover * 255)])
    return width, cell_h, bytes(pixels)


def png(raw, width=SIZE, height=SIZE):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    icons = {
        "ico_def": draw((1.0, 0.78, 0.15), glow=0.35),
        "ico_dis": draw((0.55, 0.55, 0.55), glow=0.0),
    }
    for i in range(1, 10):
        hue = (i - 1) / 9.0
        color = colorsys.hsv_to_rgb(hue, 0.75, 1.0)
        icons["ico_e%d" % i] = draw(color, angle=(i - 1) * math.pi / 18,
                                    scale=0.8 + 0.2 * math.sin(i * 0.7) ** 2, glow=0.5)
    for name, raw in icons.items():
        with open(os.path.join(here, name + ".png"), "wb") as f:
            f.write(png(raw))
    width, height, raw = star_strip()
    with open(os.path.join(here, "stars.png"), "wb") as f:
        f.write(png(raw, width, height))


if __name__ == "__main__":
    main()
