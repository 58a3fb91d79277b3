#!/usr/bin/env python3
"""Draws the burn window's pictures: a disc whose highlight turns in four frames
(burn-disc-0..3.bmp, 64 x 64, 24-bit, on the grey 192,192,192 that the window turns into
its face colour) and the five 16 x 16 track-state icons
(track-*.ico, 32-bit with alpha). Run it to make the files again; they are committed."""
import math, os, struct, sys

HERE = os.path.dirname(os.path.abspath(__file__))

def disc_pixel(x, y, size, turn):
    c = (size - 1) / 2.0
    dx, dy = x - c, y - c
    r = math.hypot(dx, dy)
    outer, hole, rim = size * 0.46, size * 0.08, size * 0.17
    bg = (192, 192, 192)  # turned into the dialog's face colour when loaded
    if r > outer + 0.5 or r < hole - 0.5:
        return bg
    # anti-aliased edges
    edge = min(1.0, outer + 0.5 - r, r - (hole - 0.5))
    angle = math.atan2(dy, dx) + turn
    shine = 0.5 + 0.5 * math.cos(2 * angle)
    if r < rim:
        col = (200, 206, 214)
    else:
        base = 170 + int(70 * shine)
        col = (base - 10, base, min(255, base + 20))
        # a thin coloured band where the music is written
        if outer * 0.62 < r < outer * 0.92:
            tint = 0.35 * (0.5 + 0.5 * math.sin(3 * angle))
            col = (int(col[0] * (1 - tint) + 90 * tint), int(col[1] * (1 - tint) + 150 * tint), int(col[2] * (1 - tint) + 230 * tint))
    if abs(r - outer) < 0.8 or abs(r - rim) < 0.6:
        col = (120, 128, 140)
    return tuple(int(bg[i] * (1 - edge) + col[i] * edge) for i in range(3))

def write_bmp(path, size, pixel):
    row = (size * 3 + 3) & ~3
    data = bytearray()
    for y in range(size - 1, -1, -1):
        line = bytearray()
        for x in range(size):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)

def icon_pixel(kind, x, y):
    cx, cy = x - 7.5, y - 7.5
    r = math.hypot(cx, cy)
    def blend(col, a):
        return col + (max(0, min(255, int(a * 255))),)
    ring = max(0.0, min(1.0, 7.5 - r))
    if kind == "waiting":      # hollow grey disc
        a = ring * (1.0 if r > 4.5 else (0.25 if r > 1.5 else 0.0))
        return blend((128, 128, 128), a)
    if kind == "recording":    # blue disc with a light centre
        col = (40, 110, 210) if r > 2.5 else (220, 235, 255)
        return blend(col, ring)
    if kind == "done":         # green disc with a white tick
        tick = (abs((y - 10) + (x - 6)) < 1.3 and 3 <= x <= 6) or (abs((y - 10) - (x - 6) * 1.1) < 1.3 and 6 <= x <= 12)
        return blend((255, 255, 255) if tick and r < 6.5 else (40, 160, 60), ring)
    if kind == "failed":       # red disc with a white cross
        cross = (abs(cx - cy) < 1.2 or abs(cx + cy) < 1.2) and r < 4.8
        return blend((255, 255, 255) if cross else (200, 40, 40), ring)
    if kind == "interrupted":  # amber disc with a white bar
        bar = abs(cy) < 1.2 and abs(cx) < 4.2
        return blend((255, 255, 255) if bar else (230, 150, 20), ring)
    raise ValueError(kind)

def write_ico(path, kind):
    size = 16
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = icon_pixel(kind, x, y)
            xor += bytes((b, g, r, a))
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = 0
        for x in range(size):
            if icon_pixel(kind, x, y)[3] == 0:
                bits |= 0x8000 >> x
        mask += struct.pack(">H", bits) + b"\0\0"
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    head = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22)
    with open(path, "wb") as f:
        f.write(head + image)

if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    for frame in range(4):
        write_bmp(os.path.join(out, "burn-disc-%d.bmp" % frame), 64,
                  lambda x, y, t=frame * math.pi / 4: disc_pixel(x, y, 64, t))
    for kind in ("waiting", "recording", "done", "failed", "interrupted"):
        write_ico(os.path.join(out, "track-%s.ico" % kind), kind)
