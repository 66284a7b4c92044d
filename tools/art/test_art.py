#!/usr/bin/env python3
"""Tests of the art pipeline: the PNG/BMP/ICO helpers, the checks that guard the
renders, and the committed resources themselves.

Run: python3 tools/art/test_art.py
"""

import os
import struct
import sys
import tempfile
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
import finish  # noqa: E402
import pngtool  # noqa: E402


def pattern(width, height, channels):
    """Pixels that differ from row to row and column to column, so that every
    PNG filter has something to undo."""
    return bytes((x * 37 + y * 91 + c * 53 + x * y) & 255
                 for y in range(height) for x in range(width) for c in range(channels))


def png_with_every_filter(width, height, channels, pixels):
    """A PNG whose rows use the filters None, Sub, Up, Average and Paeth in
    turn, as other encoders (rsvg-convert among them) do."""
    bpp, stride = channels, width * channels
    raw, prior = bytearray(), bytes(stride)
    for y in range(height):
        row = pixels[y * stride:(y + 1) * stride]
        kind = y % 5
        out = bytearray()
        for i in range(stride):
            a = row[i - bpp] if i >= bpp else 0
            b, c = prior[i], (prior[i - bpp] if i >= bpp else 0)
            if kind == 0:
                p = 0
            elif kind == 1:
                p = a
            elif kind == 2:
                p = b
            elif kind == 3:
                p = (a + b) >> 1
            else:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                p = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
            out.append((row[i] - p) & 255)
        raw += bytes([kind]) + out
        prior = row
    kind = 6 if channels == 4 else 2
    return (pngtool.PNG_MAGIC
            + pngtool._chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, kind, 0, 0, 0))
            + pngtool._chunk(b"IDAT", zlib.compress(bytes(raw)))
            + pngtool._chunk(b"IEND", b""))


def frame(width, height, margins, hole=None, inner_alpha=255):
    """A shadow frame: alpha 255 inside the margins, fading outward to 0."""
    left, top, right, bottom = margins
    px = bytearray()
    for y in range(height):
        for x in range(width):
            inside = left <= x < width - right and top <= y < height - bottom
            if inside:
                a = inner_alpha
            else:
                depth = min(x + 1, y + 1, width - x, height - y)
                a = min(200, depth * 20) if min(x, y, width - 1 - x, height - 1 - y) else 0
            px += bytes((40, 60, 90, a))
    img = pngtool.Image(width, height, 4, px)
    if hole:
        img.pixels[(hole[1] * width + hole[0]) * 4 + 3] = 128
    return img


class PngTest(unittest.TestCase):
    def test_reads_every_filter_and_round_trips(self):
        for channels in (3, 4):
            with self.subTest(channels=channels), tempfile.TemporaryDirectory() as tmp:
                pixels = pattern(13, 11, channels)
                path = os.path.join(tmp, "in.png")
                with open(path, "wb") as f:
                    f.write(png_with_every_filter(13, 11, channels, pixels))
                img = pngtool.read_png(path)
                self.assertEqual((img.width, img.height, img.channels), (13, 11, channels))
                self.assertEqual(bytes(img.pixels), pixels)
                again = os.path.join(tmp, "out.png")
                pngtool.write_png(again, img)
                self.assertEqual(bytes(pngtool.read_png(again).pixels), pixels)

    def test_output_is_the_same_on_every_run(self):
        img = pngtool.Image(7, 5, 4, pattern(7, 5, 4))
        self.assertEqual(pngtool.png_bytes(img), pngtool.png_bytes(img))
        # No time or text chunks: only IHDR, IDAT and IEND.
        data, at, names = pngtool.png_bytes(img), 8, []
        while at < len(data):
            size, name = struct.unpack(">I4s", data[at:at + 8])
            names.append(name)
            at += size + 12
        self.assertEqual(names, [b"IHDR", b"IDAT", b"IEND"])

    def test_flatten_and_add_alpha(self):
        cases = [  # (r, g, b, a) over white -> rgb
            ((0, 0, 0, 255), (0, 0, 0)),
            ((0, 0, 0, 0), (255, 255, 255)),
            ((0, 100, 200, 128), (127, 177, 227)),
        ]
        for rgba, rgb in cases:
            with self.subTest(rgba=rgba):
                flat = pngtool.flatten(pngtool.Image(1, 1, 4, bytes(rgba)))
                self.assertEqual(flat.channels, 3)
                self.assertEqual(flat.rgb(0, 0), rgb)
        back = pngtool.with_alpha(pngtool.Image(2, 1, 3, bytes([1, 2, 3, 4, 5, 6])))
        self.assertEqual(bytes(back.pixels), bytes([1, 2, 3, 255, 4, 5, 6, 255]))


class BmpIcoTest(unittest.TestCase):
    def test_bmp_is_24_bit_bottom_up_with_padded_rows(self):
        # 3 pixels wide: 9 bytes of colour, padded to 12.
        px = bytes([255, 0, 0, 255] * 3 + [0, 0, 255, 255] * 3)  # red row, blue row
        data = pngtool.bmp_bytes(pngtool.Image(3, 2, 4, px))
        magic, size, _, _, offset = struct.unpack("<2sIHHI", data[:14])
        _, w, h, planes, bits, compression = struct.unpack("<IiiHHI", data[14:34])
        self.assertEqual((magic, size, offset), (b"BM", len(data), 54))
        self.assertEqual((w, h, planes, bits, compression), (3, 2, 1, 24, 0))
        self.assertEqual(len(data), 54 + 2 * 12)
        # First stored row is the bottom (blue) one, in B, G, R order.
        self.assertEqual(data[54:57], bytes([255, 0, 0]))
        self.assertEqual(data[66:69], bytes([0, 0, 255]))

    def test_ico_holds_each_size_and_masks_transparent_pixels(self):
        images = []
        for size in (16, 32, 48):
            px = bytearray(b"\x10\x20\x30\xff" * size * size)
            px[3] = 0  # top-left pixel clear
            images.append(pngtool.Image(size, size, 4, px))
        data = pngtool.ico_bytes(images)
        reserved, kind, count = struct.unpack("<HHH", data[:6])
        self.assertEqual((reserved, kind, count), (0, 1, 3))
        for i, size in enumerate((16, 32, 48)):
            w, h, _, _, planes, bits, length, offset = struct.unpack(
                "<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
            self.assertEqual((w, h, planes, bits), (size, size, 1, 32))
            header = struct.unpack("<IiiHH", data[offset:offset + 16])
            self.assertEqual(header, (40, size, 2 * size, 1, 32))
            self.assertLessEqual(offset + length, len(data))
            # The AND mask is stored bottom-up: the top row is its last row.
            stride = ((size + 31) // 32) * 4
            mask_end = offset + length
            top_row = data[mask_end - stride:mask_end]
            self.assertEqual(top_row[0], 0x80)
            self.assertEqual(sum(data[mask_end - stride * size:mask_end - stride]), 0)


class CheckTest(unittest.TestCase):
    margins = (5, 4, 5, 7)

    def test_frame_checks(self):
        w, h = 40, 30
        cases = [
            ("good frame", frame(w, h, self.margins), None),
            ("hole inside", frame(w, h, self.margins, hole=(20, 15)), "not opaque"),
            ("translucent inside", frame(w, h, self.margins, inner_alpha=250), "not opaque"),
            ("margins too wide", frame(w, h, (4, 4, 5, 7)), "just outside"),
            ("no alpha", pngtool.Image(w, h, 3, bytes(w * h * 3)), "no alpha"),
        ]
        for name, img, fault in cases:
            with self.subTest(name):
                found = " | ".join(pngtool.frame_faults(img, self.margins))
                if fault is None:
                    self.assertEqual(found, "")
                else:
                    self.assertIn(fault, found)

    def test_frame_corner_and_edge(self):
        img = frame(40, 30, self.margins)
        img.pixels[3] = 1  # corner (0, 0)
        self.assertIn("corner (0, 0)", " ".join(pngtool.frame_faults(img, self.margins)))
        img = frame(40, 30, self.margins)
        img.pixels[(0 * 40 + 20) * 4 + 3] = 200  # middle of the top edge
        self.assertIn("outer edge", " ".join(pngtool.frame_faults(img, self.margins)))

    def test_image_faults_by_manifest_row(self):
        row = {"w": 4, "h": 2, "alpha": False, "margins": None}
        cases = [
            (pngtool.Image(4, 2, 3, bytes(24)), []),
            (pngtool.Image(4, 3, 3, bytes(36)), ["size 4x3, expected 4x2"]),
            (pngtool.Image(4, 2, 4, bytes(32)), ["4 channels, expected 3"]),
        ]
        for img, faults in cases:
            with self.subTest(size=(img.width, img.height), channels=img.channels):
                self.assertEqual(finish.image_faults(img, row), faults)

    def test_opaque_picture_must_cover_its_canvas(self):
        row = {"alpha": False}
        _, faults = finish.finish_one(pngtool.Image(2, 1, 4, bytes([9, 9, 9, 255, 9, 9, 9, 0])), row)
        self.assertEqual(faults, ["1 pixels not opaque in an opaque picture"])
        img, faults = finish.finish_one(pngtool.Image(1, 1, 3, bytes(3)), {"alpha": True})
        self.assertEqual((img.channels, faults), (4, []))


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
