#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Draws the QL5Config icon: 16 and 32 pixel 16-colour PNGs and a scalable SVG.

The picture is a converter box seen from the front: a serial connector on the
left, a network jack on the right, two status lights, and a network link above
it. Shapes are laid out on a 32-unit grid and scaled, so every size shows the
same picture; the SVG is the 32 pixel drawing as vector shapes, so the desktop
shows the same icon at any size. Run it from anywhere; it writes beside itself:

    python3 resources/icons/draw_icons.py
"""
import os
import struct
import zlib

# Sixteen colours at most, as the icon resource asks; index 0 is transparent.
PALETTE = [
    (0, 0, 0, 0),          # 0 transparent
    (24, 40, 72, 255),     # 1 outline, dark navy
    (52, 101, 164, 255),   # 2 body, blue
    (114, 159, 207, 255),  # 3 body highlight, light blue
    (32, 74, 135, 255),    # 4 body shade
    (186, 189, 182, 255),  # 5 connector metal
    (85, 87, 83, 255),     # 6 connector dark
    (78, 154, 6, 255),     # 7 link light, green
    (252, 175, 62, 255),   # 8 activity light, amber
    (238, 238, 236, 255),  # 9 white
    (46, 52, 54, 255),     # 10 jack inside
]


class PixelCanvas:
    """A square picture of palette indices, drawn on in 32-unit coordinates."""

    def __init__(self, size):
        self.size = size
        self.scale = size / 32
        # A frame is one pixel wide at every size.
        self.inset = 1 / self.scale
        self.img = [[0] * size for _ in range(size)]

    def rect(self, x, y, w, h, colour):
        """Fills a rectangle given in 32-unit coordinates."""
        scale, size = self.scale, self.size
        x0, y0 = int(x * scale), int(y * scale)
        x1, y1 = int((x + w) * scale), int((y + h) * scale)
        for row in range(max(0, y0), min(size, max(y1, y0 + 1))):
            for col in range(max(0, x0), min(size, max(x1, x0 + 1))):
                self.img[row][col] = colour


class SvgCanvas:
    """The same drawing as SVG rectangles on a 32-unit view box."""

    size = 32
    inset = 1

    def __init__(self):
        self.shapes = []

    def rect(self, x, y, w, h, colour):
        red, green, blue, _ = PALETTE[colour]
        self.shapes.append(
            f'  <rect x="{x:g}" y="{y:g}" width="{w:g}" height="{h:g}" '
            f'fill="#{red:02x}{green:02x}{blue:02x}"/>'
        )


def framed(canvas, x, y, w, h, fill, frame=1):
    canvas.rect(x, y, w, h, frame)
    inset = canvas.inset
    canvas.rect(x + inset, y + inset, w - 2 * inset, h - 2 * inset, fill)


def draw(canvas):
    # Network link above the box: a line with two nodes.
    canvas.rect(6, 6, 20, 2, 1)
    framed(canvas, 3, 3, 8, 8, 9)
    framed(canvas, 21, 3, 8, 8, 9)
    canvas.rect(15, 7, 2, 7, 1)
    # The converter body with a light top edge and a shaded bottom.
    framed(canvas, 1, 13, 30, 17, 2)
    canvas.rect(2, 14, 28, 2, 3)
    canvas.rect(2, 27, 28, 2, 4)
    # Serial connector on the left, network jack on the right. At 16 pixels
    # a frame would eat the connectors, so they are drawn as plain shapes.
    if canvas.size >= 32:
        framed(canvas, 3, 18, 10, 7, 5)
        canvas.rect(5, 20, 6, 3, 6)
        framed(canvas, 20, 18, 9, 8, 10)
        canvas.rect(23, 24, 3, 2, 5)
    else:
        canvas.rect(4, 18, 8, 6, 5)
        canvas.rect(6, 20, 4, 2, 6)
        canvas.rect(20, 18, 8, 8, 10)
        canvas.rect(22, 24, 4, 2, 5)
    # Status lights between them.
    canvas.rect(15, 19, 3, 3, 7)
    canvas.rect(15, 23, 3, 3, 8)
    return canvas


def write_png(path, img):
    height, width = len(img), len(img[0])

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    plte = b"".join(bytes(c[:3]) for c in PALETTE)
    trns = bytes(c[3] for c in PALETTE)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 4, 3, 0, 0, 0))
    png += chunk(b"PLTE", plte)
    png += chunk(b"tRNS", trns)
    # Four bits per pixel: pack two palette indices into each byte.
    packed = b""
    for row in img:
        line = bytearray(b"\x00")
        for i in range(0, width, 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < width else 0
            line.append((hi << 4) | lo)
        packed += bytes(line)
    png += chunk(b"IDAT", zlib.compress(packed, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def write_svg(path, canvas):
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        "<!-- SPDX-License-Identifier: Apache-2.0 -->",
        "<!-- Drawn by draw_icons.py beside this file; run it again rather than edit. -->",
        '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
        'viewBox="0 0 32 32" shape-rendering="crispEdges">',
        "  <title>QL5Config</title>",
        *canvas.shapes,
        "</svg>",
    ]
    with open(path, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for size in (16, 32):
        write_png(os.path.join(here, f"ql5config-{size}.png"), draw(PixelCanvas(size)).img)
    write_svg(os.path.join(here, "ql5config.svg"), draw(SvgCanvas()))


if __name__ == "__main__":
    main()
