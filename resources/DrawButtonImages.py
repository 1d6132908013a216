#!/usr/bin/env python3
"""Draws the manager's button images (8-bit RGBA PNG) into resources/images/.

Every image is built from a few filled shapes, each sampled 4 x 4 times per pixel for smooth
edges, and written with zlib alone so that no imaging library is needed:
    python3 resources/DrawButtonImages.py
"""
import math
import os
import struct
import zlib

SAMPLES = 4


def png_bytes(width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # no filter
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def render(width, height, layers):
    """layers: (inside(x, y) -> bool, colour(x, y) -> (r, g, b, a)) painted in order."""
    image = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    r = g = b = a = 0.0
                    for inside, colour in layers:
                        if inside(x, y):
                            cr, cg, cb, ca = colour(x, y)
                            ca /= 255.0
                            r = cr * ca + r * (1 - ca)
                            g = cg * ca + g * (1 - ca)
                            b = cb * ca + b * (1 - ca)
                            a = ca + a * (1 - ca)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(min(255, c / n / alpha))) for c in acc[:3]) +
                           (int(round(alpha * 255)),))
        image.append(row)
    return image


def solid(hex_colour, alpha=255):
    rgb = tuple(int(hex_colour[i:i + 2], 16) for i in (1, 3, 5))
    return lambda x, y: rgb + (alpha,)


def vertical_gradient(top_hex, bottom_hex, top, bottom):
    a = tuple(int(top_hex[i:i + 2], 16) for i in (1, 3, 5))
    b = tuple(int(bottom_hex[i:i + 2], 16) for i in (1, 3, 5))

    def colour(x, y):
        t = min(1.0, max(0.0, (y - top) / (bottom - top)))
        return tuple(a[i] + (b[i] - a[i]) * t for i in range(3)) + (255,)
    return colour


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def round_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def segment(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= (width / 2) ** 2
    return inside


def page(lines):
    """A sheet with a folded corner, optionally with text lines."""
    outline = [(2.5, 0.5), (10.5, 0.5), (14.5, 4.5), (14.5, 15.5), (2.5, 15.5)]
    sheet = [(3.5, 1.5), (10.0, 1.5), (13.5, 5.0), (13.5, 14.5), (3.5, 14.5)]
    layers = [(polygon(outline), solid("#5b6573")),
              (polygon(sheet), vertical_gradient("#ffffff", "#e8edf3", 1.5, 14.5)),
              (polygon([(10.0, 1.5), (10.0, 5.0), (13.5, 5.0)]), solid("#b9c3cf"))]
    for top in lines:
        layers.append((rect(5.0, top, 12.0, top + 1.0), solid("#6f8fb8")))
    return layers


def new_image():
    return page([]) + [
        (circle(11.5, 11.5, 4.5), solid("#1f7a35")),
        (circle(11.5, 11.5, 3.6), solid("#35b556")),
        (rect(9.3, 10.9, 13.7, 12.1), solid("#ffffff")),
        (rect(10.9, 9.3, 12.1, 13.7), solid("#ffffff")),
    ]


def delete_image():
    return [
        (segment(3.5, 3.5, 12.5, 12.5, 4.4), solid("#8f1d1d")),
        (segment(12.5, 3.5, 3.5, 12.5, 4.4), solid("#8f1d1d")),
        (segment(3.5, 3.5, 12.5, 12.5, 2.6), solid("#e5484d")),
        (segment(12.5, 3.5, 3.5, 12.5, 2.6), solid("#e5484d")),
    ]


def rename_image():
    # A pencil from the lower left (its point) to the upper right, over a writing line.
    ox, oy = 1.5, 14.5
    ux, uy = math.cos(math.radians(-45)), math.sin(math.radians(-45))
    nx, ny = -uy, ux

    def at(u, v):
        return (ox + u * ux + v * nx, oy + u * uy + v * ny)

    body = polygon([at(4.0, -2.3), at(14.5, -2.3), at(14.5, 2.3), at(4.0, 2.3)])
    body_inner = polygon([at(4.6, -1.5), at(14.5, -1.5), at(14.5, 1.5), at(4.6, 1.5)])
    wood = polygon([at(0.6, 0.0), at(4.0, -2.3), at(4.6, -1.5), at(4.6, 1.5), at(4.0, 2.3)])
    lead = polygon([at(0.3, 0.0), at(1.7, -0.9), at(1.7, 0.9)])
    band = polygon([at(14.5, -2.3), at(15.6, -2.3), at(15.6, 2.3), at(14.5, 2.3)])
    rubber = polygon([at(15.6, -2.3), at(17.6, -2.3), at(17.6, 2.3), at(15.6, 2.3)])
    return [
        (rect(7.0, 14.0, 15.0, 15.0), solid("#5b6573")),
        (body, solid("#7a5a12")),
        (body_inner, solid("#f4b942")),
        (wood, solid("#e9c89a")),
        (lead, solid("#3b3b3b")),
        (band, solid("#9aa3ad")),
        (rubber, solid("#e07a8e")),
    ]


def save_image():
    return [
        (round_rect(1.0, 1.0, 15.0, 15.0, 1.5), solid("#1d4f91")),
        (round_rect(2.0, 2.0, 14.0, 14.0, 1.0), vertical_gradient("#4f8fde", "#2f6fbf", 2, 14)),
        (rect(4.5, 2.0, 11.5, 6.5), solid("#dfe6ee")),
        (rect(8.8, 2.8, 10.4, 5.7), solid("#1d4f91")),
        (rect(3.5, 8.5, 12.5, 14.0), solid("#ffffff")),
        (rect(5.0, 10.0, 11.0, 10.8), solid("#b9c3cf")),
        (rect(5.0, 12.0, 11.0, 12.8), solid("#b9c3cf")),
    ]


def open_image():
    return page([4.5, 7.0, 9.5, 12.0])


def import_image():
    # A sheet with a green arrow coming down into it from the right.
    return page([4.5, 7.0]) + [
        (polygon([(9.0, 1.0), (14.0, 1.0), (14.0, 7.5), (16.0, 7.5), (11.5, 13.0), (7.0, 7.5),
                  (9.0, 7.5)]), solid("#1f7a35")),
        (polygon([(9.9, 1.9), (13.1, 1.9), (13.1, 8.4), (14.1, 8.4), (11.5, 11.6), (8.9, 8.4),
                  (9.9, 8.4)]), solid("#35b556")),
    ]


def donate_image():
    # The classic heart curve (x^2 + y^2 - 1)^3 = x^2 y^3, y pointing up.
    def heart(scale, cx=15.5, cy=16.2):
        def inside(x, y):
            u = (x - cx) / scale
            v = -(y - cy) / scale
            return (u * u + v * v - 1) ** 3 - u * u * v ** 3 <= 0
        return inside

    return [
        (heart(11.6), solid("#8f1530")),
        (heart(10.6), vertical_gradient("#ff6b81", "#d61f3c", 4, 28)),
        (circle(10.5, 10.0, 2.2), solid("#ffffff", 110)),
    ]


IMAGES = {
    "New.png": (16, new_image),
    "Delete.png": (16, delete_image),
    "Rename.png": (16, rename_image),
    "Save.png": (16, save_image),
    "Open.png": (16, open_image),
    "Import.png": (16, import_image),
    "Donate.png": (31, donate_image),
}


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")
    os.makedirs(folder, exist_ok=True)
    for name, (size, layers) in IMAGES.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(png_bytes(size, size, render(size, size, layers())))


if __name__ == "__main__":
    main()
