#!/usr/bin/env python3
"""Walks a GIF file byte by byte and decodes it with ImageMagick, for the
animated-GIF job tests: an account of the file that shares no code with the
program's reader or writer.

usage: gif_walk.py FILE
Prints one fact per line:
  header VERSION
  screen WIDTH HEIGHT PACKED BACKGROUND ASPECT
  global ENTRIES                     (0 without a global table)
  netscape LOOPCOUNT                 (one line per NETSCAPE2.0 block)
  app IDENTIFIER                     (any other application extension)
  frame INDEX GCE_PACKED DELAY TRANSPARENT LEFT TOP WIDTH HEIGHT PACKED LOCAL_ENTRIES LZW
                                     (GCE fields -1 when no control block preceded)
  trailer EXTRA_BYTES_AFTER_IT
  decoded INDEX WIDTH HEIGHT CORNER_ALPHAS...   (ImageMagick, one per frame;
                                     alphas of the four corners, 0..1)
  ok
or "error TEXT" and exit status 1."""
import subprocess
import sys


def u16(data, at):
    return data[at] | (data[at + 1] << 8)


def sub_blocks(data, at):
    """The sub-blocks starting at `at`, and the position after the terminator."""
    blocks = []
    while True:
        size = data[at]
        at += 1
        if size == 0:
            return blocks, at
        if at + size > len(data):
            raise ValueError("sub-block runs past the end")
        blocks.append(data[at:at + size])
        at += size


def walk(data):
    lines = []
    if data[:3] != b"GIF":
        raise ValueError("not a GIF")
    lines.append("header " + data[3:6].decode("latin-1"))
    packed = data[10]
    lines.append("screen %d %d %d %d %d" % (u16(data, 6), u16(data, 8), packed, data[11], data[12]))
    at = 13
    entries = 0
    if packed & 0x80:
        entries = 2 << (packed & 7)
        at += 3 * entries
    lines.append("global %d" % entries)
    control = None
    frames = 0
    while True:
        introducer = data[at]
        at += 1
        if introducer == 0x21:
            label = data[at]
            at += 1
            if label == 0xF9:
                if data[at] != 4 or data[at + 5] != 0:
                    raise ValueError("graphic control block malformed at %d" % at)
                control = (data[at + 1], u16(data, at + 2), data[at + 4])
                at += 6
            elif label == 0xFF:
                size = data[at]
                identifier = data[at + 1:at + 1 + size]
                blocks, at = sub_blocks(data, at + 1 + size)
                if identifier == b"NETSCAPE2.0" and blocks and len(blocks[0]) == 3 and blocks[0][0] == 1:
                    lines.append("netscape %d" % u16(blocks[0], 1))
                else:
                    lines.append("app " + identifier.decode("latin-1"))
            else:
                _, at = sub_blocks(data, at)
        elif introducer == 0x2C:
            left, top, width, height = (u16(data, at + 2 * i) for i in range(4))
            image_packed = data[at + 8]
            at += 9
            local = 0
            if image_packed & 0x80:
                local = 2 << (image_packed & 7)
                at += 3 * local
            lzw = data[at]
            _, at = sub_blocks(data, at + 1)
            gce = control if control else (-1, -1, -1)
            lines.append("frame %d %d %d %d %d %d %d %d %d %d %d" %
                         ((frames,) + gce + (left, top, width, height, image_packed, local, lzw)))
            frames += 1
            control = None
        elif introducer == 0x3B:
            lines.append("trailer %d" % (len(data) - at))
            return lines
        else:
            raise ValueError("unknown block 0x%02x at %d" % (introducer, at - 1))


def decode(path):
    fmt = "%[scene] %w %h %[fx:p{0,0}.a] %[fx:p{w-1,0}.a] %[fx:p{0,h-1}.a] %[fx:p{w-1,h-1}.a]\\n"
    out = subprocess.run(["/usr/bin/convert", path, "-format", fmt, "info:"],
                         capture_output=True, check=True).stdout.decode()
    return ["decoded " + line for line in out.splitlines() if line.strip()]


def main():
    path = sys.argv[1]
    try:
        with open(path, "rb") as f:
            data = f.read()
        lines = walk(data) + decode(path)
    except (ValueError, IndexError, subprocess.CalledProcessError) as e:
        print("error %s" % e)
        return 1
    print("\n".join(lines))
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
