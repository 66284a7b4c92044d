#!/usr/bin/env python3
"""The committed pictures as the program loads them: every one listed once in the resource
script, of the size and alpha the program expects, frames clear at their margins, button
states distinct; the logo bitmap and the icon. (The art pipeline's own helpers are checked
by what they commit.)

Run: python3 tools/art/test_art.py
"""

import os
import struct
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
import pngtool  # noqa: E402


# What the program expects of its pictures: id -> (width, height, alpha).
EXPECTED = {138: (410, 611, True), 139: (400, 600, False), 140: (48, 16, True),
            153: (232, 132, True), 154: (204, 104, True), 167: (330, 150, True),
            168: (320, 140, False), 184: (410, 479, True), 185: (400, 468, True)}
for first, last, size, alpha in ((141, 144, (26, 34), False), (145, 152, (246, 47), False),
                                 (155, 158, (26, 34), False), (159, 162, (266, 60), True),
                                 (163, 166, (58, 18), False), (169, 171, (55, 24), False),
                                 (172, 174, (12, 12), False), (175, 183, (55, 24), False),
                                 (186, 189, (12, 12), False), (191, 194, (266, 60), True),
                                 (196, 199, (266, 60), True)):
    for rid in range(first, last + 1):
        EXPECTED[rid] = size + (alpha,)
FRAMES = {138: (5, 4, 5, 7), 153: (14, 12, 14, 16), 167: (5, 3, 5, 7), 184: (5, 4, 5, 7)}


class CommittedResourcesTest(unittest.TestCase):
    """The pictures in res/ as the program will load them."""

    def setUp(self):
        with open(os.path.join(ROOT, "res", "images.rc"), encoding="utf-8") as f:
            self.lines = [line.split() for line in f if line[0].isdigit()]

    def test_resource_script_lists_every_picture_once(self):
        pngs = {int(ln[0]): ln[2].strip('"') for ln in self.lines if ln[1] == "PNG"}
        self.assertEqual(sorted(pngs), sorted(EXPECTED))
        self.assertEqual(len(self.lines), len(EXPECTED) + 1)
        self.assertIn(["190", "BITMAP", '"png/190_logo.bmp"'], self.lines)
        for rid, path in pngs.items():
            with self.subTest(id=rid):
                self.assertTrue(path.startswith("png/%d_" % rid))
                img = pngtool.read_png(os.path.join(ROOT, "res", path))
                w, h, alpha = EXPECTED[rid]
                self.assertEqual((img.width, img.height, img.channels),
                                 (w, h, 4 if alpha else 3))
                if rid in FRAMES:
                    self.assertEqual(pngtool.frame_faults(img, FRAMES[rid]), [])

    def test_button_states_differ(self):
        # Each state must be visibly its own picture, not a copy of another.
        rows = [(141, 4), (145, 4), (149, 4), (155, 4), (159, 4), (163, 4), (169, 3),
                (172, 3), (175, 3), (178, 3), (181, 3), (186, 4), (191, 4), (196, 4)]
        paths = {int(ln[0]): os.path.join(ROOT, "res", ln[2].strip('"'))
                 for ln in self.lines if ln[1] == "PNG"}
        for first, count in rows:
            with self.subTest(first=first):
                faces = [bytes(pngtool.read_png(paths[first + i]).pixels) for i in range(count)]
                self.assertEqual(len(set(faces)), count)

    def test_bitmap_and_icon(self):
        with open(os.path.join(ROOT, "res", "png", "190_logo.bmp"), "rb") as f:
            bmp = f.read()
        self.assertEqual(struct.unpack("<2s", bmp[:2])[0], b"BM")
        self.assertEqual(struct.unpack("<iiHH", bmp[18:30]), (32, 32, 1, 24))
        with open(os.path.join(ROOT, "res", "app.ico"), "rb") as f:
            ico = f.read()
        count = struct.unpack("<H", ico[4:6])[0]
        sizes = sorted(ico[6 + 16 * i] for i in range(count))
        self.assertEqual(sizes, [16, 32, 48])


if __name__ == "__main__":
    unittest.main()
