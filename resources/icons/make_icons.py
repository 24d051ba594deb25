#!/usr/bin/env python3
"""Draws Kalvenor's tray and program icons and writes them as .ico files next to this script.

Every picture is drawn from shapes in a 0..1 square at several sizes with 4x4 supersampling.
Each image is 32-bit with straight alpha and carries an AND mask that is transparent exactly
where the alpha is 0 (the tray composes its overlays from the mask).

Usage: python3 make_icons.py [output folder]
"""
import math
import os
import struct
import sys

SIZES = (16, 20, 24, 32, 40, 48)
SS = 4  # supersampling per axis


def ico_image(size, shade):
    """BITMAPINFOHEADER + bottom-up BGRA + bottom-up AND mask for one size."""
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    u = (x + (sx + 0.5) / SS) / size
                    v = (y + (sy + 0.5) / SS) / size
                    c = shade(u, v, size)
                    if c is None:
                        continue
                    r, g, b, a = c
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SS * SS
            alpha = acc[3] / n
            if alpha <= 0.5 / 255:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                            max(1, min(255, round(alpha * 255)))))
        pixels.append(row)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def write_ico(path, shade, sizes=SIZES):
    images = [ico_image(s, shade) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


# ---- shapes (u right, v down, both 0..1) ----

def in_rect(u, v, l, t, r, b):
    return l <= u <= r and t <= v <= b


def in_round_rect(u, v, l, t, r, b, rad):
    if not in_rect(u, v, l, t, r, b):
        return False
    cx = min(max(u, l + rad), r - rad)
    cy = min(max(v, t + rad), b - rad)
    return (u - cx) ** 2 + (v - cy) ** 2 <= rad * rad


def in_circle(u, v, cx, cy, rad):
    return (u - cx) ** 2 + (v - cy) ** 2 <= rad * rad


def in_ring(u, v, cx, cy, r_in, r_out):
    d = (u - cx) ** 2 + (v - cy) ** 2
    return r_in * r_in <= d <= r_out * r_out


def near_segment(u, v, x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / (dx * dx + dy * dy)))
    px, py = x0 + t * dx, y0 + t * dy
    return (u - px) ** 2 + (v - py) ** 2 <= (width / 2) ** 2


def lerp(c0, c1, t):
    return tuple(round(a + (b - a) * t) for a, b in zip(c0, c1))


# Classic look: coloured with a dark outline feel; Windows 10 look: flat light glyphs.
CLASSIC_BODY = (52, 86, 140)
CLASSIC_LIGHT = (120, 170, 230)
FLAT = (240, 240, 240)


def headphones(win10):
    # Takes the upper part of the square: the bottom rows stay empty for a level bar.
    def shade(u, v, size):
        body = FLAT if win10 else CLASSIC_BODY
        light = FLAT if win10 else CLASSIC_LIGHT
        if v <= 0.70 and in_ring(u, v, 0.5, 0.46, 0.30, 0.40) and v <= 0.50:
            return (*body, 1.0)
        if in_round_rect(u, v, 0.06, 0.40, 0.28, 0.72, 0.06):
            return (*(body if win10 else lerp(light, body, (v - 0.40) / 0.32)), 1.0)
        if in_round_rect(u, v, 0.72, 0.40, 0.94, 0.72, 0.06):
            return (*(body if win10 else lerp(light, body, (v - 0.40) / 0.32)), 1.0)
        return None
    return shade


def speakers(win10):
    # Takes the left part: the right columns stay empty for a level bar.
    def shade(u, v, size):
        body = FLAT if win10 else (70, 70, 78)
        cone = FLAT if win10 else (170, 176, 190)
        if in_round_rect(u, v, 0.06, 0.04, 0.66, 0.96, 0.08):
            if win10:
                inner = in_round_rect(u, v, 0.14, 0.12, 0.58, 0.88, 0.05)
                if inner and not (in_circle(u, v, 0.36, 0.62, 0.15) or in_circle(u, v, 0.36, 0.26, 0.07)):
                    return None
                return (*body, 1.0)
            if in_circle(u, v, 0.36, 0.62, 0.17):
                return (*lerp(cone, body, math.hypot(u - 0.36, v - 0.62) / 0.17), 1.0)
            if in_circle(u, v, 0.36, 0.26, 0.08):
                return (*cone, 1.0)
            return (*body, 1.0)
        return None
    return shade


def spdif(win10):
    # An optical plug seen from the front, on the left.
    def shade(u, v, size):
        body = FLAT if win10 else (60, 60, 66)
        glow = FLAT if win10 else (230, 60, 40)
        if in_circle(u, v, 0.36, 0.50, 0.12):
            return (*glow, 1.0) if not win10 else None
        if in_round_rect(u, v, 0.06, 0.14, 0.66, 0.86, 0.10):
            return (*body, 1.0)
        return None
    return shade


def mute(win10):
    # A crossed circle in the lower right quarter.
    def shade(u, v, size):
        red = (255, 255, 255) if win10 else (214, 32, 32)
        edge = (200, 30, 30) if win10 else (255, 255, 255)
        if in_circle(u, v, 0.70, 0.70, 0.30):
            if near_segment(u, v, 0.54, 0.54, 0.86, 0.86, 0.12) or near_segment(u, v, 0.86, 0.54, 0.54, 0.86, 0.12):
                return (*edge, 1.0)
            return (*red, 1.0)
        return None
    return shade


def volume_h(win10):
    # A level bar along the bottom rows, filling from the left.
    def shade(u, v, size):
        if in_rect(u, v, 0.0, 0.78, 1.0, 1.0):
            if win10:
                return (255, 255, 255, 1.0)
            return (*lerp((40, 180, 60), (230, 200, 40), u), 1.0)
        return None
    return shade


def volume_v(win10):
    # A level bar along the right columns, filling from the bottom.
    def shade(u, v, size):
        if in_rect(u, v, 0.76, 0.0, 1.0, 1.0):
            if win10:
                return (255, 255, 255, 1.0)
            return (*lerp((230, 200, 40), (40, 180, 60), v), 1.0)
        return None
    return shade


def program(u, v, size):
    # A rounded square with a wave and a "K" stroke.
    if not in_round_rect(u, v, 0.04, 0.04, 0.96, 0.96, 0.18):
        return None
    if near_segment(u, v, 0.30, 0.22, 0.30, 0.78, 0.13) or near_segment(u, v, 0.34, 0.52, 0.70, 0.22, 0.13) \
            or near_segment(u, v, 0.42, 0.45, 0.72, 0.78, 0.13):
        return (255, 255, 255, 1.0)
    return (*lerp((40, 90, 170), (20, 40, 90), v), 1.0)


def select_mark(u, v, size):
    # A green badge with a white tick in the lower right quarter: the default profile's mark.
    if not in_circle(u, v, 0.73, 0.73, 0.27):
        return None
    if not in_circle(u, v, 0.73, 0.73, 0.22):
        return (255, 255, 255, 1.0)
    if near_segment(u, v, 0.60, 0.74, 0.69, 0.83, 0.09) or near_segment(u, v, 0.69, 0.83, 0.86, 0.63, 0.09):
        return (255, 255, 255, 1.0)
    return (*lerp((70, 190, 80), (30, 130, 50), v), 1.0)


ICONS = {
    'program.ico': program,
    'hp.ico': headphones(False),
    'hp_win10.ico': headphones(True),
    'speakers.ico': speakers(False),
    'speakers_win10.ico': speakers(True),
    'spdif.ico': spdif(False),
    'spdif_win10.ico': spdif(True),
    'kv_mute.ico': mute(False),
    'kv_mute_win10.ico': mute(True),
    'kv_volume_h.ico': volume_h(False),
    'kv_volume_h_win10.ico': volume_h(True),
    'kv_volume_v.ico': volume_v(False),
    'kv_volume_v_win10.ico': volume_v(True),
    'kv_select.ico': select_mark,
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, shade in ICONS.items():
        write_ico(os.path.join(out, name), shade)


if __name__ == '__main__':
    main()
