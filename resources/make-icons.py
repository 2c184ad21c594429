#!/usr/bin/env python3
"""Draws Sortivo's own pictures as PNG files: the toolbar icons that stand in when the desktop's
icon theme lacks one, the 50 x 50 logo, and the program icon in the sizes desktops ask for.

Run it from anywhere after changing a drawing; the PNG files it writes are kept in the
repository, so building never needs Python. Only the standard library is used.

Every picture is a list of shapes described by signed distance functions in a design grid (16
units for most toolbar icons, so that edges on whole and half units land on pixel edges at the
icon's own size), rendered with 4 x 4 samples a pixel for smooth edges at any size.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4


# --- PNG output ------------------------------------------------------------------------------


def write_png(path, size, pixels):
    """pixels: rows of (r, g, b, a) floats in 0..1, straight alpha."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes(int(round(max(0.0, min(1.0, c)) * 255)) for c in (r, g, b, a))

    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data +
                struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# --- Shapes ----------------------------------------------------------------------------------


class Shape:
    def __init__(self, sd, bounds):
        self.sd = sd          # signed distance: negative inside
        self.bounds = bounds  # (x0, y0, x1, y1) in design units

    def minus(self, other):
        return Shape(lambda x, y: max(self.sd(x, y), -other.sd(x, y)), self.bounds)

    def clip(self, other):
        return Shape(lambda x, y: max(self.sd(x, y), other.sd(x, y)), self.bounds)


def box(x0, y0, x1, y1, r=0.0):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def sd(x, y):
        qx = abs(x - cx) - hx + r
        qy = abs(y - cy) - hy + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return Shape(sd, (x0, y0, x1, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def polygon(points):
    n = len(points)

    def sd(x, y):
        d = (x - points[0][0]) ** 2 + (y - points[0][1]) ** 2
        s = 1.0
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            ex, ey = xj - xi, yj - yi
            wx, wy = x - xi, y - yi
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            bx, by = wx - ex * t, wy - ey * t
            d = min(d, bx * bx + by * by)
            c1, c2, c3 = y >= yi, y < yj, ex * wy > ey * wx
            if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
                s = -s
            j = i
        return s * math.sqrt(d)

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sd, (min(xs), min(ys), max(xs), max(ys)))


def segment(ax, ay, bx, by, width):
    ex, ey = bx - ax, by - ay
    length2 = ex * ex + ey * ey

    def sd(x, y):
        t = max(0.0, min(1.0, ((x - ax) * ex + (y - ay) * ey) / length2))
        return math.hypot(x - ax - ex * t, y - ay - ey * t) - width / 2

    h = width / 2
    return Shape(sd, (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h))


def half_plane_above(y0):
    return Shape(lambda x, y: y - y0, (-1e9, -1e9, 1e9, y0))


def star(cx, cy, outer, inner, tips=5):
    points = []
    for k in range(tips * 2):
        angle = -math.pi / 2 + k * math.pi / tips
        r = outer if k % 2 == 0 else inner
        points.append((cx + r * math.cos(angle), cy + r * math.sin(angle)))
    return polygon(points)


def colour(hex_rgb, alpha=1.0):
    v = int(hex_rgb.lstrip("#"), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0, alpha)


# A layer paints a shape's inside ("fill") or a band of the given width centred on its edge.
def fill(shape, hex_rgb, alpha=1.0):
    return (shape, colour(hex_rgb, alpha), None)


def stroke(shape, hex_rgb, width=1.0, alpha=1.0):
    return (shape, colour(hex_rgb, alpha), width)


def filled(shape, inside, edge, width=1.0):
    return [fill(shape, inside), stroke(shape, edge, width)]


# --- Rendering -------------------------------------------------------------------------------


def render(layers, grid, size):
    scale = grid / size
    pixels = [[(0.0, 0.0, 0.0, 0.0) for _ in range(size)] for _ in range(size)]
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    for shape, (cr, cg, cb, ca), width in layers:
        grow = (width or 0.0) / 2 + scale
        x0, y0, x1, y1 = shape.bounds
        px0 = max(0, int(math.floor((x0 - grow) / scale)))
        py0 = max(0, int(math.floor((y0 - grow) / scale)))
        px1 = min(size, int(math.ceil((x1 + grow) / scale)))
        py1 = min(size, int(math.ceil((y1 + grow) / scale)))
        for py in range(py0, py1):
            row = pixels[py]
            for px in range(px0, px1):
                hits = 0
                for oy in offsets:
                    y = (py + oy) * scale
                    for ox in offsets:
                        d = shape.sd((px + ox) * scale, y)
                        if width is None:
                            hits += d <= 0
                        else:
                            hits += abs(d) <= width / 2
                if not hits:
                    continue
                a = ca * hits / (SAMPLES * SAMPLES)
                dr, dg, db, da = row[px]
                out = a + da * (1 - a)
                row[px] = ((cr * a + dr * da * (1 - a)) / out, (cg * a + dg * da * (1 - a)) / out,
                           (cb * a + db * da * (1 - a)) / out, out)
    return pixels


# --- The pictures ----------------------------------------------------------------------------

OUTLINE = "#3b3b3b"


def folder_open():
    back = polygon([(1.5, 2.5), (6, 2.5), (7.5, 4), (13.5, 4), (13.5, 13.5), (1.5, 13.5)])
    sheet = box(3.5, 5.5, 12.5, 11.5)
    front = polygon([(3.5, 7.5), (15.5, 7.5), (13.5, 13.5), (1.5, 13.5)])
    return (filled(back, "#c8901e", "#6e4c0c") + filled(sheet, "#ffffff", "#9a9a9a") +
            filled(front, "#f5c542", "#6e4c0c"))


# 3 x 5 digits, one design unit a dot.
DIGITS = {
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["##.", "..#", ".#.", "#..", "###"],
    "3": ["##.", "..#", ".#.", "..#", "##."],
}


def numbered_list():
    layers = []
    for row, digit in enumerate("123"):
        top = 1 + row * 6.5
        top = round(top)
        for dy, line in enumerate(DIGITS[digit]):
            for dx, dot in enumerate(line):
                if dot == "#":
                    x = 2 + dx
                    layers.append(fill(box(x, top + dy, x + 1, top + dy + 1), "#1f4fa8"))
        layers.append(fill(box(7, top + 1, 18, top + 4, 0.8), "#4a4a4a"))
    return layers


def floppy():
    body = polygon([(1.5, 1.5), (12, 1.5), (14.5, 4), (14.5, 14.5), (1.5, 14.5)])
    return (filled(body, "#3d72c8", "#1b3a70") + filled(box(4.5, 1.5, 11.5, 6.5), "#dde2e8",
                                                        "#1b3a70") +
            [fill(box(8, 2.5, 10, 5.5), "#1b3a70")] +
            filled(box(3.5, 8.5, 12.5, 14.5), "#ffffff", "#1b3a70") +
            [fill(box(5, 10, 11, 11), "#a8b4c8"), fill(box(5, 12, 11, 13), "#a8b4c8")])


def printer():
    return (filled(box(4.5, 0.5, 11.5, 6.5), "#ffffff", "#707070") +
            filled(box(0.5, 5.5, 15.5, 12.5, 1.5), "#9aa2ab", "#45494e") +
            [fill(box(2, 7, 14, 8), "#c9cfd6"), fill(box(12, 9, 14, 10), "#2fb344")] +
            filled(box(3.5, 9.5, 12.5, 15.5), "#ffffff", "#707070") +
            [fill(box(5, 11, 11, 12), "#b8b8b8"), fill(box(5, 13, 10, 14), "#b8b8b8")])


def eraser():
    a, b, c, d = (1.5, 10.5), (8.5, 3.5), (13.5, 8.5), (6.5, 15.5)
    t = 0.42
    p = (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)
    q = (d[0] + (c[0] - d[0]) * t, d[1] + (c[1] - d[1]) * t)
    whole = polygon([a, b, c, d])
    return ([fill(polygon([a, p, q, d]), "#f3eef0"), fill(polygon([p, b, c, q]), "#e2505c"),
             stroke(whole, "#7a1f28"), stroke(segment(p[0], p[1], q[0], q[1], 0.01), "#7a1f28"),
             fill(box(9, 15, 15, 16), "#8a8a8a")])


def logo(with_tile):
    """A ballot urn with a slip coming out of its slot: drawing lots. 50-unit grid."""
    layers = []
    if with_tile:
        layers += filled(box(1.5, 1.5, 48.5, 48.5, 9), "#c0ffc0", "#0b4f0b", 2)
    slip = polygon([(17, 4), (34, 6.5), (32, 30), (15, 28)]).clip(half_plane_above(23.5))
    body = polygon([(9, 24), (41, 24), (38, 46), (12, 46)])
    lid = box(6, 19.5, 44, 26.5, 2.5)
    slot = box(14, 22, 36, 25, 1.5)
    layers += filled(body, "#008000", "#0b4f0b", 1.5)
    layers += [fill(box(12, 26.5, 38, 28.5), "#0b4f0b", 0.35)]
    layers += filled(lid, "#2ea62e", "#0b4f0b", 1.5)
    layers += [fill(slot, "#062e06")]
    layers += filled(slip, "#ffffff", "#1f4fa8", 1.5)
    layers += [fill(segment(19.5, 10.5, 30.5, 12, 2), "#1f4fa8"),
               fill(segment(19, 15.5, 26.5, 16.5, 2), "#1f4fa8")]
    layers += filled(star(25, 36.5, 7.5, 3.2), "#ffd43b", "#a0740a", 1.2)
    return layers


def main():
    toolbar = {
        "document-open": (folder_open(), 16, 16),
        "format-list-ordered": (numbered_list(), 20, 20),
        "document-save": (floppy(), 16, 16),
        "document-print": (printer(), 16, 16),
        "edit-clear": (eraser(), 16, 16),
    }
    for name, (layers, grid, size) in toolbar.items():
        write_png(os.path.join(HERE, "icons", name + ".png"), size, render(layers, grid, size))
        write_png(os.path.join(HERE, "icons", name + "@2x.png"), size * 2,
                  render(layers, grid, size * 2))
    write_png(os.path.join(HERE, "logo.png"), 50, render(logo(False), 50, 50))
    write_png(os.path.join(HERE, "logo@2x.png"), 100, render(logo(False), 50, 100))
    for size in (16, 24, 32, 48, 64, 128, 256):
        write_png(os.path.join(HERE, "appicon", "sortivo-%d.png" % size), size,
                  render(logo(True), 50, size))


if __name__ == "__main__":
    main()
