#!/usr/bin/env python3
"""Draws the launcher's padlock icon: one .ico with a 32x32 and a 16x16 image,
256 colours (8 bits per pixel) each. Run: python3 make-icon.py ../lumaset.ico"""
import struct
import sys

SUPERSAMPLE = 4


def padlock(u, v):
    """Colour (r, g, b) or None for transparent at u, v in [0, 1)."""
    # Shackle: a half ring above the body.
    cx, cy, outer, inner = 0.5, 0.42, 0.30, 0.19
    d = ((u - cx) ** 2 + (v - cy) ** 2) ** 0.5
    in_body = 0.14 <= u <= 0.86 and 0.42 <= v <= 0.94
    if in_body:
        # Keyhole: a round head and a slot below it.
        if ((u - 0.5) ** 2 + (v - 0.62) ** 2) ** 0.5 < 0.075 or (abs(u - 0.5) < 0.035 and 0.62 <= v <= 0.80):
            return (40, 30, 10)
        edge = min(u - 0.14, 0.86 - u, v - 0.42, 0.94 - v)
        if edge < 0.04:
            return (150, 100, 10)
        shade = 1.0 - 0.45 * (v - 0.42) / 0.52
        return (int(250 * shade), int(200 * shade), int(40 * shade))
    if v < cy + 0.02 and inner <= d <= outer:
        light = 1.0 - 0.5 * abs(u - 0.42)
        return (int(190 * light), int(195 * light), int(205 * light))
    if cy <= v < 0.42 and (abs(u - (cx - (outer + inner) / 2)) <= (outer - inner) / 2
                            or abs(u - (cx + (outer + inner) / 2)) <= (outer - inner) / 2):
        return (150, 155, 165)
    return None


def palette():
    # A 6x7x6 colour cube plus four greys: 256 entries.
    colours = [(r * 51, g * 42, b * 51) for r in range(6) for g in range(7) for b in range(6)]
    colours += [(64, 64, 64), (128, 128, 128), (192, 192, 192), (255, 255, 255)]
    return colours


def nearest(colours, rgb):
    return min(range(len(colours)), key=lambda i: sum((a - b) ** 2 for a, b in zip(colours[i], rgb)))


def render(size, colours):
    indices, mask = [], []
    for y in range(size):
        row_i, row_m = [], []
        for x in range(size):
            samples = []
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    samples.append(padlock((x + (sx + 0.5) / SUPERSAMPLE) / size,
                                           (y + (sy + 0.5) / SUPERSAMPLE) / size))
            solid = [s for s in samples if s is not None]
            if len(solid) * 2 < len(samples):
                row_i.append(0)
                row_m.append(1)
                continue
            rgb = tuple(sum(c[k] for c in solid) // len(solid) for k in range(3))
            row_i.append(nearest(colours, rgb))
            row_m.append(0)
        indices.append(row_i)
        mask.append(row_m)
    return indices, mask


def dib(size, colours):
    indices, mask = render(size, colours)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in colours)
    xor = b''.join(bytes(indices[y]) for y in reversed(range(size)))  # bottom-up rows
    stride = ((size + 31) // 32) * 4
    and_rows = []
    for y in reversed(range(size)):
        bits = bytearray(stride)
        for x, m in enumerate(mask[y]):
            if m:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_rows.append(bytes(bits))
    return header + pal + xor + b''.join(and_rows)


def main(out):
    colours = palette()
    images = [dib(32, colours), dib(16, colours)]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 8, len(image), offset)
        offset += len(image)
    data += b''.join(images)
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'lumaset.ico')
