#!/usr/bin/env python3
"""Turns the raw renders into the committed resources and checks them.

usage: finish.py ROOT RAWDIR

RAWDIR holds rsvg-convert's RGBA output, one <id>_<name>.png per line of
res/art/images.tsv plus the logo renders. Writes res/png/*.png (RGB for the
opaque images, RGBA for the others), res/png/190_logo.bmp, res/app.ico and
res/images.rc. Exits non-zero when any image breaks its size, channel or
shadow-frame rules.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pngtool  # noqa: E402


def read_manifest(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            rid, name, w, h, alpha, margins = line.rstrip("\n").split("\t")
            rows.append({
                "id": int(rid), "name": name, "w": int(w), "h": int(h),
                "alpha": alpha == "yes",
                "margins": None if margins == "-" else tuple(map(int, margins.split(","))),
            })
    return rows


def image_faults(img, row):
    """Everything wrong with a finished image against its manifest row."""
    faults = []
    if (img.width, img.height) != (row["w"], row["h"]):
        faults.append("size %dx%d, expected %dx%d" % (img.width, img.height, row["w"], row["h"]))
    want = 4 if row["alpha"] else 3
    if img.channels != want:
        faults.append("%d channels, expected %d" % (img.channels, want))
    if row["margins"] and not faults:
        faults += pngtool.frame_faults(img, row["margins"])
    return faults


def finish_one(raw, row):
    """The resource picture for one raw render, plus any fault of the render
    itself: an opaque image must cover its whole canvas before alpha is dropped."""
    faults = []
    if row["alpha"]:
        return pngtool.with_alpha(raw), faults
    if raw.channels == 4:
        see_through = sum(1 for a in raw.pixels[3::4] if a != 255)
        if see_through:
            faults.append("%d pixels not opaque in an opaque picture" % see_through)
    return pngtool.flatten(raw), faults


def main(root, rawdir):
    res = os.path.join(root, "res")
    out = os.path.join(res, "png")
    os.makedirs(out, exist_ok=True)
    rows = read_manifest(os.path.join(res, "art", "images.tsv"))
    failed = False
    rc = []
    for row in rows:
        base = "%d_%s.png" % (row["id"], row["name"])
        img, faults = finish_one(pngtool.read_png(os.path.join(rawdir, base)), row)
        pngtool.write_png(os.path.join(out, base), img)
        # Check what was written, read back from disk.
        faults += image_faults(pngtool.read_png(os.path.join(out, base)), row)
        for fault in faults:
            print("%s: %s" % (base, fault), file=sys.stderr)
            failed = True
        rc.append('%d PNG "png/%s"' % (row["id"], base))

    logo = pngtool.read_png(os.path.join(rawdir, "190_logo.png"))
    with open(os.path.join(out, "190_logo.bmp"), "wb") as f:
        f.write(pngtool.bmp_bytes(logo))
    rc.append('190 BITMAP "png/190_logo.bmp"')
    sizes = [pngtool.read_png(os.path.join(rawdir, "icon_%d.png" % s)) for s in (16, 32, 48)]
    with open(os.path.join(res, "app.ico"), "wb") as f:
        f.write(pngtool.ico_bytes(sizes))

    rc.sort(key=lambda line: int(line.split()[0]))
    with open(os.path.join(res, "images.rc"), "w", encoding="utf-8", newline="\n") as f:
        f.write("// Skin pictures, written by tools/render-art; do not edit by hand.\n")
        f.write("\n".join(rc) + "\n")
    print("%d PNG images, 1 bitmap, 1 icon written" % len(rows))
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
