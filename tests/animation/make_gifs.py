#!/usr/bin/env python3
"""Writes the small animated GIFs the playback tests use into a folder.

Every frame is one solid colour over the whole logical screen, so a single
sampled pixel tells which frame is on screen. Frames use disposal 2
("restore to background"): Wine's GDI+ composes GIF frames by their
disposal, and with it each frame shows its own pixels.

    make_gifs.py OUTPUT_FOLDER

The files are committed beside this script (tests/data/animation); run it
again only to change them.
"""
import os
import struct
import sys

SIZE = 64

# Colours of the frames, far apart so that no dithering or rounding of the
# screen confuses one with another.
THREE = [(255, 0, 0), (0, 255, 0), (0, 0, 255)]
TWELVE = [
    (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0),
    (255, 0, 255), (0, 255, 255), (128, 0, 0), (0, 128, 0),
    (0, 0, 128), (128, 128, 0), (128, 0, 128), (0, 128, 128),
]


def lzw(indices, min_code_size):
    """GIF LZW: variable-width codes from min_code_size + 1 up to 12 bits,
    packed least significant bit first, a clear code whenever the table is
    full."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bits = 0
    nbits = 0

    def put(code, width):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    width = min_code_size + 1
    table = {(i,): i for i in range(clear)}
    next_code = end + 1
    put(clear, width)
    prefix = ()
    for index in indices:
        candidate = prefix + (index,)
        if candidate in table:
            prefix = candidate
            continue
        put(table[prefix], width)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            put(clear, width)
            table = {(i,): i for i in range(clear)}
            next_code = end + 1
            width = min_code_size + 1
        prefix = (index,)
    if prefix:
        put(table[prefix], width)
    put(end, width)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def gif(colours, delays, control=True, loop=True):
    """An animated GIF of one solid frame per colour. delays are in
    hundredths of a second; without control the frames carry no graphic
    control extension (and so no delay at all)."""
    table_bits = 1
    while (1 << table_bits) < len(colours):
        table_bits += 1
    palette = bytearray()
    for red, green, blue in colours:
        palette += bytes((red, green, blue))
    palette += bytes(3 * ((1 << table_bits) - len(colours)))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", SIZE, SIZE, 0x80 | 0x70 | (table_bits - 1), 0, 0)
    out += palette
    if loop:
        out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"
    min_code_size = max(2, table_bits)
    for index, _ in enumerate(colours):
        if control:
            # Disposal 2 in bits 2-4 of the packed byte, no transparency.
            out += b"\x21\xF9\x04" + struct.pack("<BHB", 2 << 2, delays[index], 0) + b"\x00"
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, SIZE, SIZE, 0)
        out.append(min_code_size)
        out += sub_blocks(lzw([index] * (SIZE * SIZE), min_code_size))
    out += b"\x3B"
    return bytes(out)


FILES = {
    # Three frames at 0.5, 1.0 and 1.5 seconds: the timing tests.
    "three_50_100_150.gif": gif(THREE, [50, 100, 150]),
    # Twelve frames for the scene dialog and the mouse buttons.
    "twelve_frames.gif": gif(TWELVE, [20] * 12),
    # Every delay 0: frames follow each other as fast as they are drawn.
    "zero_delays.gif": gif(THREE, [0, 0, 0]),
    # One frame only: a still picture.
    "single_frame.gif": gif(THREE[:1], [50], loop=False),
    # Three frames and no graphic control extension: no delays at all.
    "no_delays.gif": gif(THREE, [0, 0, 0], control=False),
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in FILES.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    # Not a GIF at all, under a GIF name.
    with open(os.path.join(folder, "undecodable.gif"), "wb") as f:
        f.write(b"GIF89a but nothing after the signature makes sense\x00\x01")


if __name__ == "__main__":
    main()
