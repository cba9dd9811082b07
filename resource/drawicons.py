#!/usr/bin/env python3
"""Draws the 32x32 action icons of the main window as PNG files.

Run once from this folder after changing a drawing; the PNG files are kept
in the repository so the build needs no Python.
"""
import math
import struct
import zlib

SIZE = 32
SAMPLES = 4  # per axis, for smooth edges


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r1, r2):
    return lambda x, y: r1 * r1 <= (x - cx) ** 2 + (y - cy) ** 2 <= r2 * r2


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


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
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def render(layers):
    """layers: list of (shape, (r, g, b)) painted in order."""
    pixels = [[(0.0, 0.0, 0.0, 0.0)] * SIZE for _ in range(SIZE)]
    for py in range(SIZE):
        for px in range(SIZE):
            r = g = b = a = 0.0
            for shape, colour in layers:
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if shape(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES):
                            hits += 1
                cover = hits / (SAMPLES * SAMPLES)
                if cover == 0:
                    continue
                cr, cg, cb = (c / 255.0 for c in colour)
                out_a = cover + a * (1 - cover)
                r = (cr * cover + r * a * (1 - cover)) / out_a
                g = (cg * cover + g * a * (1 - cover)) / out_a
                b = (cb * cover + b * a * (1 - cover)) / out_a
                a = out_a
            pixels[py][px] = (r, g, b, a)
    return pixels


def write_png(path, pixels):
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw.extend(round(v * 255) for v in (r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        out.write(chunk(b"IEND", b""))


BLUE = (33, 105, 196)
GREEN = (46, 160, 67)
ORANGE = (230, 126, 34)
TEAL = (22, 150, 160)
RED = (204, 51, 51)
GREY = (90, 90, 90)
WHITE = (255, 255, 255)
DARK = (40, 40, 40)


def person(cx, top, scale=1.0):
    head = circle(cx, top + 5 * scale, 5 * scale)
    body = minus(ellipse(cx, top + 21 * scale, 10 * scale, 9 * scale),
                 rect(0, top + 21 * scale, SIZE, SIZE))
    return union(head, body)


def plus(cx, cy, arm, width):
    return union(rect(cx - arm, cy - width / 2, cx + arm, cy + width / 2),
                 rect(cx - width / 2, cy - arm, cx + width / 2, cy + arm))


def badge_plus(cx, cy):
    return [(circle(cx, cy, 7.5), WHITE), (circle(cx, cy, 6.5), GREEN), (plus(cx, cy, 4, 2.2), WHITE)]


def arc(cx, cy, r1, r2, a0, a1):
    def inside(x, y):
        angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return a0 <= angle <= a1 and r1 * r1 <= (x - cx) ** 2 + (y - cy) ** 2 <= r2 * r2
    return inside


def handset(colour):
    # A telephone receiver: a curved grip with the ear piece at the top left
    # and the mouth piece at the bottom right.
    grip = arc(19, 8, 10, 14.5, 90, 180)
    ear = segment(6.75, 3.5, 6.75, 10, 6.5)
    mouth = segment(16, 20.25, 22, 20.25, 6.5)
    return (union(grip, ear, mouth), colour)


def downloads():
    arrow = union(rect(13, 3, 19, 15), polygon([(7, 14), (25, 14), (16, 24)]))
    tray = union(rect(4, 22, 7, 29), rect(25, 22, 28, 29), rect(4, 26, 28, 29))
    return [(arrow, BLUE), (tray, GREY)]


def add_customer():
    return [(person(13, 3), BLUE)] + badge_plus(23, 23)


def add_recruit():
    return [(person(20, 2, 0.85), TEAL), (person(11, 5, 0.95), ORANGE)] + badge_plus(24, 24)


def first_call(colour, accent):
    # A receiver and a badge with the figure one: today's first calls.
    return [handset(colour), (circle(25.5, 25.5, 6.5), WHITE), (circle(25.5, 25.5, 5.5), accent),
            (rect(25, 22.5, 26.6, 28.5), WHITE), (rect(23.8, 22.5, 26.6, 23.9), WHITE)]


def calendar():
    page = rect(3, 5, 29, 29)
    inner = rect(5, 12, 27, 27)
    layers = [(page, RED), (inner, WHITE)]
    for ring_x in (9, 23):
        layers.append((rect(ring_x - 1, 2, ring_x + 1, 8), DARK))
    for row in range(3):
        for col in range(4):
            x = 6.5 + col * 5.2
            y = 14 + row * 4.4
            colour = RED if (row, col) == (1, 2) else GREY
            layers.append((rect(x, y, x + 3.2, y + 2.8), colour))
    return layers


def statistics():
    # Three bars of a chart on an axis, the last one the tallest.
    axis = union(rect(3, 4, 5, 29), rect(3, 27, 29, 29))
    return [(axis, DARK), (rect(8, 17, 13, 26), BLUE), (rect(15, 11, 20, 26), TEAL),
            (rect(22, 5, 27, 26), ORANGE)]


ICONS = {
    "Downloads.png": downloads(),
    "添加准客户名单.png": add_customer(),
    "添加准增员名单.png": add_recruit(),
    # The prospect first-call action shows this file and the recruit one the .PNG.
    "今日首次联系的准增员.png": first_call(BLUE, RED),
    "今日首次联系的准客户.PNG": first_call(TEAL, ORANGE),
    "今日行事历.png": calendar(),
    "工作统计.png": statistics(),
}

if __name__ == "__main__":
    for name, layers in ICONS.items():
        write_png(name, render(layers))
        print("wrote", name)
