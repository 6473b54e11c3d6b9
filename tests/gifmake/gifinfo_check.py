#!/usr/bin/env python3
"""Holds gifinfo (our reader) against gifsicle -I, an independent GIF reader,
over every file of tests/data/gif/valid: image count, logical screen, global
table size, background, loop count and, per image, size, position, local
table size, interlacing, transparency, disposal and delay.

usage: gifinfo_check.py GIFINFO DATA_DIR
Prints one line per disagreement and "N passed, M failed" at the end."""
import os
import re
import subprocess
import sys


def gifinfo(tool, path):
    out = subprocess.run([tool, path], capture_output=True, text=True, check=False).stdout
    info = {"images": [], "apps": []}
    for line in out.splitlines():
        f = line.split()
        if not f:
            continue
        if f[0] == "header" or f[0] == "blocks":
            info[f[0]] = int(f[1])
        elif f[0] == "screen":
            info["screen"] = (int(f[1]), int(f[2]))
        elif f[0] == "globalTable":
            info["global"] = 1 << int(f[3]) if f[1] == "1" else 0
        elif f[0] == "background":
            info["background"] = int(f[1])
        elif f[0] == "image":
            i = int(f[1])
            while len(info["images"]) <= i:
                info["images"].append({})
            kv = dict(zip(f[2::2], f[3::2]))
            info["images"][i].update({k: int(v) for k, v in kv.items() if v.lstrip("-").isdigit()})
            if f[2] == "position":
                info["images"][i].update(left=int(f[3]), top=int(f[4]), width=int(f[6]), height=int(f[7]))
        elif f[0] == "app":
            info["apps"].append((int(f[3]), int(f[5])))
    return info


# Where the two readers differ by design. The reader keeps a graphic control
# extension only with an image that follows it directly (an application or
# comment extension in between clears it; the writer replaces every frame's
# control values anyway), and it takes only NETSCAPE2.0 blocks as loop blocks.
BY_DESIGN = {
    "anim_5_frames_lct_4_8_16_dispose_background.gif": {"image 0 delay", "image 0 disposal"},
    "anim_interlaced_frames_with_offsets_gct32_lct2.gif": {"image 0 delay", "image 0 disposal"},
    "icc_profile_app_extension_anim.gif": {"image 0 disposal"},
    "xmp_app_extension_anim.gif": {"image 0 disposal"},
    "animexts_loop_block.gif": {"loop count"},
}

DISPOSALS = {"none": 0, "asis": 1, "background": 2, "previous": 3}


def gifsicle(path):
    out = subprocess.run(["gifsicle", "-I", path], capture_output=True, text=True, check=False).stdout
    info = {"images": [], "loop": None}
    image = None
    for line in out.splitlines():
        s = line.strip()
        m = re.match(r"\* .* (\d+) images?$", s)
        if m:
            info["count"] = int(m.group(1))
        elif s.startswith("logical screen"):
            w, h = s.split()[2].split("x")
            info["screen"] = (int(w), int(h))
        elif s.startswith("global color table"):
            info["global"] = int(re.search(r"\[(\d+)\]", s).group(1))
        elif s.startswith("background"):
            info["background"] = int(s.split()[1])
        elif s == "loop forever":
            info["loop"] = 0
        elif s.startswith("loop count"):
            info["loop"] = int(s.split()[2])
        elif s.startswith("+ image"):
            m = re.match(r"\+ image #\d+ (\d+)x(\d+)(?: at (\d+),(\d+))?(.*)$", s)
            image = {"width": int(m.group(1)), "height": int(m.group(2)),
                     "left": int(m.group(3) or 0), "top": int(m.group(4) or 0),
                     "interlaced": int("interlaced" in m.group(5)), "local": 0}
            t = re.search(r"transparent (\d+)", m.group(5))
            image["transparent"] = int(t.group(1)) if t else None
            info["images"].append(image)
        elif s.startswith("local color table") and image is not None:
            image["local"] = int(re.search(r"\[(\d+)\]", s).group(1))
        elif (s.startswith("disposal") or s.startswith("delay")) and image is not None:
            d = re.search(r"disposal (\w+)", s)
            if d:
                image["disposal"] = DISPOSALS.get(d.group(1), None)
            t = re.search(r"delay ([\d.]+)s", s)
            if t:
                image["delay"] = round(float(t.group(1)) * 100)
    return info


def compare(tool, path):
    ours, theirs = gifinfo(tool, path), gifsicle(path)
    problems = []

    expected = BY_DESIGN.get(os.path.basename(path), set())

    def same(what, a, b):
        if (a != b) != (what in expected):
            problems.append(f"{what}: gifinfo {a} gifsicle {b}"
                            + (" (a difference by design went away)" if what in expected else ""))

    same("result", (ours.get("header"), ours.get("blocks")), (1, 1))
    same("image count", len(ours["images"]), theirs.get("count"))
    same("screen", ours.get("screen"), theirs.get("screen"))
    same("global table", ours.get("global"), theirs.get("global", 0))
    if "background" in theirs:
        same("background", ours.get("background"), theirs["background"])
    loops = [n for is_loop, n in ours["apps"] if is_loop]
    if theirs["loop"] is not None:
        # gifsicle keeps the last loop block it meets
        same("loop count", loops[-1] if loops else None, theirs["loop"])
    for i, (a, b) in enumerate(zip(ours["images"], theirs["images"])):
        for key in ("width", "height", "left", "top", "interlaced"):
            same(f"image {i} {key}", a.get(key), b[key])
        same(f"image {i} local table", (1 << a["bits"]) if a.get("localTable") else 0, b["local"])
        flag = a.get("control") and a.get("transparentFlag")
        same(f"image {i} transparent", a.get("transparent") if flag else None, b["transparent"])
        if "delay" in b:
            same(f"image {i} delay", a.get("delay"), b["delay"])
        if b.get("disposal") is not None:
            same(f"image {i} disposal", a.get("disposal"), b["disposal"])
    return problems


def main():
    tool, data = sys.argv[1], sys.argv[2]
    folder = os.path.join(data, "gif", "valid")
    passed = failed = 0
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".gif"):
            continue
        problems = compare(tool, os.path.join(folder, name))
        if problems:
            failed += 1
            for p in problems:
                print(f"{name}: {p}")
        else:
            passed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
