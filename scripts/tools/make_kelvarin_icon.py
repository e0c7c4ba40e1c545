#!/usr/bin/env python3
"""Writes print/kelvarin.ico: Kelvarin's icon (a sheet of printed paper coming out of a
printer) at 48, 32 and 16 pixels, each in 16 and in 256 colours, as plain Windows icon images.
The picture is the one the Qt progress window draws. Run once; the .ico is committed."""
import struct
import sys

# The 16 colours of the standard Windows palette.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BODY, PAPER, EDGE, INK, LAMP = (60, 60, 70), (255, 255, 255), (40, 40, 40), (20, 80, 160), (90, 200, 90)


def picture(size):
    """Colour of each pixel (None: transparent), rows from the top."""
    s = size / 16.0
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            x, y = (px + 0.5) / s, (py + 0.5) / s
            colour = None
            if 1 <= x <= 15 and 7 <= y <= 13:
                colour = BODY
            if 4 <= x <= 12 and 1 <= y <= 10:
                on_edge = x < 4 + 1 / s or x > 12 - 1 / s or y < 1 + 1 / s or y > 10 - 1 / s
                colour = EDGE if on_edge else PAPER
                for line in range(3):
                    if 5 <= x <= 11 and abs(y - (3 + 2 * line)) <= max(0.5 / s, 0.3):
                        colour = INK
            if (x - 13) ** 2 + (y - 11) ** 2 <= 1:
                colour = LAMP
            row.append(colour)
        rows.append(row)
    return rows


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def image(size, bits):
    rows = picture(size)
    if bits == 4:
        palette = VGA16
    else:
        palette = VGA16 + [BODY, EDGE, INK, LAMP]
        palette += [(0, 0, 0)] * (256 - len(palette))
    colours = 1 << bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)
    table = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in palette[:colours])
    xor = b''
    and_mask = b''
    for row in reversed(rows):  # bottom-up
        indexes = [nearest(palette, c) if c else 0 for c in row]
        if bits == 4:
            data = bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, size, 2))
        else:
            data = bytes(indexes)
        xor += data + b'\0' * ((4 - len(data) % 4) % 4)
        mask_bits = ''.join('1' if c is None else '0' for c in row)
        mask = int(mask_bits, 2).to_bytes(size // 8, 'big')
        and_mask += mask + b'\0' * ((4 - len(mask) % 4) % 4)
    return header + table + xor + and_mask


def main(path):
    images = [(size, bits, image(size, bits)) for size in (48, 32, 16) for bits in (4, 8)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16 if bits == 4 else 0, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    out += b''.join(data for _, _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'print/kelvarin.ico')
