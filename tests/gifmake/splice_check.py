#!/usr/bin/env python3
"""Splicing checked by independent decoders: single-frame GIFs made with
ImageMagick in several ways (global table, local table, interlaced, other
palettes and sizes) are spliced with gifsplice, and ImageMagick and gifsicle
must find the right frame count, loop count, delays, disposal and
transparency, and every output frame must decode to the pixels of its input
file.

usage: splice_check.py GIFSPLICE
Prints "N passed, M failed" at the end."""
import os
import re
import subprocess
import sys
import tempfile

CONVERT = "/usr/bin/convert"
IDENTIFY = "/usr/bin/identify"


def run(*args):
    return subprocess.run(list(args), capture_output=True, check=True).stdout


def to_local_table(data):
    """The same GIF with its global colour table moved into its (only)
    image's descriptor: a frame that carries a local table only. The bytes
    come from ImageMagick; only the table moves."""
    packed = data[10]
    assert packed & 0x80, "no global table to move"
    size = 3 << ((packed & 7) + 1)
    table = data[13:13 + size]
    rest = data[13 + size:]
    at = rest.index(b"\x2C")  # ImageMagick writes no extension containing 0x2C before it
    descriptor = bytearray(rest[at:at + 10])
    descriptor[9] = (descriptor[9] & 0x40) | 0x80 | (packed & 7)
    head = bytearray(data[:13])
    head[10] = packed & 0x70
    return bytes(head) + rest[:at] + bytes(descriptor) + table + rest[at + 10:]


def pixels(frame):
    """Size and RGBA bytes of one decoded frame ("file.gif" or "file.gif[N]"),
    as ImageMagick sees it."""
    size = run(IDENTIFY, "-format", "%w %h", frame).decode()
    return size, run(CONVERT, frame, "+repage", "-depth", "8", "rgba:-")


def make_frames(folder):
    """Frame files made in different ways; returns their paths in order."""
    def path(name):
        return os.path.join(folder, name)

    plasma = lambda seed, size: ["-seed", str(seed), "-size", size, "plasma:"]
    run(CONVERT, *plasma(1, "64x48"), "-colors", "200", path("f0_global.gif"))
    # The same palette again: ImageMagick turns the picture and keeps the
    # colour map of the palette image it read.
    run(CONVERT, path("f0_global.gif"), "-rotate", "180", path("f1_same_palette.gif"))
    run(CONVERT, *plasma(2, "64x48"), "-colors", "16", path("f2_16_colours.gif"))
    run(CONVERT, *plasma(3, "40x30"), "-colors", "100", "-interlace", "GIF", path("f3_interlaced_small.gif"))
    run(CONVERT, *plasma(4, "80x20"), "-colors", "60", path("f4_source.gif"))
    with open(path("f4_source.gif"), "rb") as f:
        local = to_local_table(f.read())
    with open(path("f4_local_table.gif"), "wb") as f:
        f.write(local)
    run(CONVERT, "rose:", "-colors", "255", path("f5_rose.gif"))
    # One palette byte different from the first frame's (an unused entry
    # when there is one, so the picture stays the same).
    with open(path("f0_global.gif"), "rb") as f:
        changed = bytearray(f.read())
    changed[13 + 3 * 255 + 2] ^= 0x01
    with open(path("f6_one_byte.gif"), "wb") as f:
        f.write(changed)
    return [path(n) for n in ("f0_global.gif", "f1_same_palette.gif", "f2_16_colours.gif",
                              "f3_interlaced_small.gif", "f4_local_table.gif", "f5_rose.gif",
                              "f6_one_byte.gif")]


def gifsicle_info(path):
    return run("gifsicle", "-I", path).decode()


class Check:
    def __init__(self):
        self.passed = self.failed = 0

    def case(self, name, fn):
        try:
            fn()
            self.passed += 1
            print(f"ok   {name}")
        except Exception as e:  # one failing case must not hide the others
            self.failed += 1
            print(f"FAIL {name}: {e}")


def expect(what, got, wanted):
    if got != wanted:
        raise AssertionError(f"{what}: got {got!r}, wanted {wanted!r}")


def main():
    gifsplice = sys.argv[1]
    check = Check()
    with tempfile.TemporaryDirectory(prefix="qb-splice-") as folder:
        frames = make_frames(folder)
        out = os.path.join(folder, "out.gif")

        def all_frames():
            run(gifsplice, "-o", out, "--loop", "3", "--delay", "10", "--disposal", "2", *frames)
            count = int(run(IDENTIFY, "-format", "%n\n", out).decode().split()[0])
            expect("frame count", count, len(frames))
            delays = run(IDENTIFY, "-format", "%T ", out).decode().split()
            expect("delays", delays, ["10"] * len(frames))
            disposals = run(IDENTIFY, "-format", "%D ", out).decode().split()
            expect("disposal", disposals, ["Background"] * len(frames))
            info = gifsicle_info(out)
            expect("loop count (gifsicle)", re.search(r"loop count (\d+)", info).group(1), "3")
            # ImageMagick counts plays: the repeat count plus the first play.
            verbose = run(IDENTIFY, "-verbose", out + "[0]").decode()
            expect("iterations (ImageMagick)", re.search(r"Iterations: (\d+)", verbose).group(1), "4")
            widths = [pixels(f)[0] for f in frames]
            expect("logical screen", re.search(r"logical screen (\d+x\d+)", info).group(1),
                   f"{max(int(w.split()[0]) for w in widths)}x{max(int(w.split()[1]) for w in widths)}")
            for i, f in enumerate(frames):
                expect(f"frame {i} ({os.path.basename(f)}) pixels", pixels(f"{out}[{i}]"), pixels(f))
            with open(frames[0], "rb") as a, open(frames[1], "rb") as b:
                expect("frame 1 made with frame 0's table", a.read(781)[13:], b.read(781)[13:])
            local = re.findall(r"\+ image #(\d+).*\n(\s+local color table)?", info)
            with_local = [int(n) for n, table in local if table]
            # Same palette as frame 0: no local table; every other palette: one.
            expect("frames with a local table", with_local, [2, 3, 4, 5, 6])

        def transparency_and_background():
            run(gifsplice, "-o", out, "--transparency", "on", "--transparent", "5",
                "--background", "7", "--delay", "25", frames[0], frames[2])
            info = gifsicle_info(out)
            expect("transparent indices", re.findall(r"transparent (\d+)", info), ["5", "5"])
            expect("background", re.search(r"background (\d+)", info).group(1), "7")
            expect("delays", run(IDENTIFY, "-format", "%T ", out).decode().split(), ["25", "25"])
            expect("endless loop", "loop forever" in info, True)

        def missing_middle_frame():
            chosen = [frames[0], os.path.join(folder, "missing.gif"), frames[3]]
            result = subprocess.run([gifsplice, "-o", out, *chosen], capture_output=True)
            expect("exit status", result.returncode, 0)
            expect("warning", b"2 of 3 frames" in result.stderr, True)
            expect("frame count", run(IDENTIFY, "-format", "%n\n", out).decode().split()[0], "2")
            expect("frame 1 pixels", pixels(out + "[1]"), pixels(frames[3]))

        def failures_leave_nothing():
            before = sorted(os.listdir(folder))
            for args in (["-o", os.path.join(folder, "no/such/folder/out.gif"), frames[0]],
                         ["-o", os.path.join(folder, "new.gif"), os.path.join(folder, "missing.gif")],
                         ["-o", os.path.join(folder, "new.gif"), "--delay", "x", frames[0]]):
                result = subprocess.run([gifsplice, *args], capture_output=True)
                expect(f"exit status of {args}", result.returncode != 0, True)
                expect("message", len(result.stderr) > 0, True)
            expect("folder", sorted(os.listdir(folder)), before)

        check.case("all kinds of frames", all_frames)
        check.case("transparency and background", transparency_and_background)
        check.case("missing middle frame", missing_middle_frame)
        check.case("failures leave nothing", failures_leave_nothing)
    print(f"{check.passed} passed, {check.failed} failed")
    return 1 if check.failed else 0


if __name__ == "__main__":
    sys.exit(main())
