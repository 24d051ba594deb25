#!/usr/bin/env python3
"""Draws the pictures and small button icons of Kalvenor's profile editor.

PNG pictures (written next to this script): the listener seen from above, the reference ring
of the virtual speaker field, the speaker lines of the effect graphs, a speaker and a
subwoofer seen from above. Icons (written to ../icons): music mode, movie mode, and the two
speaker-distance buttons. Everything is drawn from shapes with 4x4 supersampling.

Usage: python3 make_pictures.py
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'icons'))
from make_icons import write_ico, in_circle, in_ring, in_round_rect, near_segment, lerp  # noqa: E402

SS = 4


def render(width, height, shade):
    """Rows of (r, g, b, a) bytes; shade(x, y) works in pixels and returns (r, g, b, alpha 0..1) or None."""
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    c = shade(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS)
                    if c is None:
                        continue
                    r, g, b, a = c
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (SS * SS)
            if alpha <= 0.5 / 255:
                row += bytes(4)
            else:
                row += bytes((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                              min(255, round(alpha * 255))))
        rows.append(bytes(row))
    return rows


def write_png(path, width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)
    raw = b''.join(b'\0' + r for r in rows)
    png = b'\x89PNG\r\n\x1a\n'
    png += chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9))
    png += chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)


def picture(name, width, height, shade):
    write_png(os.path.join(HERE, name + '.png'), width, height, render(width, height, shade))


# ---- pictures ----

SKIN = (236, 200, 170)
HAIR = (92, 64, 44)
SHIRT = (70, 110, 170)
LINE = (150, 150, 160)
CABINET = (58, 60, 68)
CONE = (170, 176, 190)


def listener(x, y):
    """198 x 178: a listener seen from above, facing up, in the middle of the picture."""
    cx, cy = 99, 89
    # Nose pointing to the front.
    if ((x - cx) / 4) ** 2 + ((y - (cy - 20)) / 5) ** 2 <= 1:
        return (*SKIN, 1.0)
    # Ears.
    if ((x - (cx - 17)) / 3.5) ** 2 + ((y - cy) / 6) ** 2 <= 1 or ((x - (cx + 17)) / 3.5) ** 2 + ((y - cy) / 6) ** 2 <= 1:
        return (*SKIN, 1.0)
    # Head: hair at the back, face at the front.
    if in_circle(x, y, cx, cy - 2, 17):
        if y > cy - 6:
            return (*HAIR, 1.0)
        return (*SKIN, 1.0)
    # Shoulders: an ellipse behind the head.
    if ((x - cx) / 46) ** 2 + ((y - cy - 10) / 17) ** 2 <= 1:
        shade = 1 - 0.25 * max(0.0, (y - cy - 10) / 17)
        return (*lerp((0, 0, 0), SHIRT, shade), 1.0)
    return None


def reference_ring(x, y):
    """194 x 194: the ring of 1.0 (97 pixels) around the listener, with its cross."""
    cx = cy = 97
    d = math.hypot(x - cx, y - cy)
    if 95.5 <= d <= 96.8:
        # Dashed: 64 dashes around.
        a = math.atan2(y - cy, x - cx)
        if int((a + math.pi) / (2 * math.pi) * 64) % 2 == 0:
            return (*LINE, 0.9)
        return None
    if in_ring(x, y, cx, cy, 48, 48.8):
        return (*LINE, 0.45)
    if d <= 94 and (abs(x - cx) <= 0.4 or abs(y - cy) <= 0.4):
        return (*LINE, 0.35)
    return None


def effect_lines(x, y):
    """198 x 178: lines from the listener (99, 95) to the speakers of a 7.1 set at radius 80."""
    cx, cy = 99, 95
    if in_ring(x, y, cx, cy, 79.4, 80.6):
        return (*LINE, 0.6)
    for angle in (-45, 0, 45, 120, 160, 200, 240):
        a = math.radians(angle)
        ex, ey = cx + 80 * math.sin(a), cy - 80 * math.cos(a)
        if near_segment(x, y, cx, cy, ex, ey, 1.2):
            return (*LINE, 0.8)
    return None


def speaker(x, y):
    """32 x 32: a speaker seen from above, its cone facing down (towards the listener)."""
    if in_round_rect(x, y, 6, 4, 26, 26, 3):
        return (*lerp((100, 102, 112), CABINET, (y - 4) / 22), 1.0)
    # The cone bulging out of the front.
    if ((x - 16) / 8) ** 2 + ((y - 26) / 4) ** 2 <= 1 and y >= 26:
        return (*CONE, 1.0)
    return None


def subwoofer(x, y):
    """48 x 48: a subwoofer cube with its big driver."""
    if in_round_rect(x, y, 5, 5, 43, 43, 5):
        if in_circle(x, y, 24, 24, 14):
            t = math.hypot(x - 24, y - 24) / 14
            return (*lerp((200, 205, 215), (80, 84, 96), t), 1.0)
        if in_ring(x, y, 24, 24, 14, 16):
            return (*(30, 30, 34), 1.0)
        return (*lerp((110, 112, 122), CABINET, (y - 5) / 38), 1.0)
    return None


# ---- icons (u right, v down, 0..1) ----

NOTE = (40, 70, 150)
FILM = (60, 60, 66)
ARROW = (30, 120, 60)
ARROW_IN = (170, 70, 30)


def music(u, v, size):
    if in_circle(u, v, 0.30, 0.78, 0.15) or in_circle(u, v, 0.76, 0.68, 0.15):
        return (*NOTE, 1.0)
    if near_segment(u, v, 0.43, 0.78, 0.43, 0.18, 0.09) or near_segment(u, v, 0.89, 0.68, 0.89, 0.08, 0.09):
        return (*NOTE, 1.0)
    if near_segment(u, v, 0.43, 0.20, 0.89, 0.10, 0.16):
        return (*NOTE, 1.0)
    return None


def movie(u, v, size):
    # A clapperboard: the striped clapper above the board.
    if in_round_rect(u, v, 0.08, 0.42, 0.92, 0.92, 0.06):
        return (*FILM, 1.0)
    if 0.22 <= v <= 0.36 and 0.08 <= u <= 0.92:
        stripe = int((u + (0.36 - v)) / 0.14) % 2
        return (*((235, 235, 235) if stripe else FILM), 1.0)
    return None


def arrows(outwards):
    colour = ARROW if outwards else ARROW_IN

    def shade(u, v, size):
        if in_circle(u, v, 0.5, 0.5, 0.11):
            return (*colour, 1.0)
        for sx, sy in ((-1, -1), (1, -1), (-1, 1), (1, 1)):
            tip = (0.5 + sx * 0.42, 0.5 + sy * 0.42) if outwards else (0.5 + sx * 0.17, 0.5 + sy * 0.17)
            tail = (0.5 + sx * 0.17, 0.5 + sy * 0.17) if outwards else (0.5 + sx * 0.42, 0.5 + sy * 0.42)
            if near_segment(u, v, *tail, *tip, 0.10):
                return (*colour, 1.0)
            # Arrow head: two short strokes back from the tip.
            back = -1 if outwards else 1
            if near_segment(u, v, *tip, tip[0] + back * sx * 0.2, tip[1], 0.10) or \
               near_segment(u, v, *tip, tip[0], tip[1] + back * sy * 0.2, 0.10):
                return (*colour, 1.0)
        return None
    return shade


def main():
    picture('sound_field_man', 198, 178, listener)
    picture('sound_field_ref', 194, 194, reference_ring)
    picture('sound_field_lines', 198, 178, effect_lines)
    picture('speaker', 32, 32, speaker)
    picture('subwoofer', 48, 48, subwoofer)
    icons = os.path.join(HERE, '..', 'icons')
    write_ico(os.path.join(icons, 'music_mode.ico'), music, (16,))
    write_ico(os.path.join(icons, 'movie_mode.ico'), movie, (16,))
    write_ico(os.path.join(icons, 'vss_increasedistance.ico'), arrows(True), (16,))
    write_ico(os.path.join(icons, 'vss_decreasedistance.ico'), arrows(False), (16,))


if __name__ == '__main__':
    main()
