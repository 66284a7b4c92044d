"""Small PNG, BMP and ICO helpers for the art pipeline (standard library only).

rsvg-convert always writes 8-bit RGBA; the resources need RGB for the opaque
images, a 24-bit BMP and a multi-size icon. Writing them here (instead of with
ImageMagick) keeps the output byte-for-byte the same on every run: no time or
date chunks, fixed compression.
"""

import struct
import zlib

PNG_MAGIC = b"\x89PNG\r\n\x1a\n"
CHANNELS = {2: 3, 6: 4}  # colour type -> samples per pixel (the only ones we handle)


class Image:
    """8-bit RGB or RGBA pixels, rows top to bottom, no padding."""

    def __init__(self, width, height, channels, pixels):
        if len(pixels) != width * height * channels:
            raise ValueError("pixel data does not match the size")
        self.width, self.height, self.channels = width, height, channels
        self.pixels = bytearray(pixels)

    def alpha(self, x, y):
        if self.channels == 3:
            return 255
        return self.pixels[(y * self.width + x) * 4 + 3]

    def rgb(self, x, y):
        at = (y * self.width + x) * self.channels
        return tuple(self.pixels[at:at + 3])


def _unfilter(data, width, height, bpp):
    stride = width * bpp
    out = bytearray(stride * height)
    prior = bytearray(stride)
    at = 0
    for y in range(height):
        kind = data[at]
        row = bytearray(data[at + 1:at + 1 + stride])
        at += stride + 1
        if kind == 1:
            for i in range(bpp, stride):
                row[i] = (row[i] + row[i - bpp]) & 255
        elif kind == 2:
            for i in range(stride):
                row[i] = (row[i] + prior[i]) & 255
        elif kind == 3:
            for i in range(stride):
                left = row[i - bpp] if i >= bpp else 0
                row[i] = (row[i] + ((left + prior[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                a = row[i - bpp] if i >= bpp else 0
                c = prior[i - bpp] if i >= bpp else 0
                b = prior[i]
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                p = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                row[i] = (row[i] + p) & 255
        elif kind != 0:
            raise ValueError("unknown PNG filter %d" % kind)
        out[y * stride:(y + 1) * stride] = row
        prior = row
    return out


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != PNG_MAGIC:
        raise ValueError("%s: not a PNG file" % path)
    at, idat, header = 8, [], None
    while at < len(data):
        size, name = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + size]
        at += size + 12
        if name == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif name == b"IDAT":
            idat.append(body)
        elif name == b"IEND":
            break
    if header is None:
        raise ValueError("%s: no IHDR" % path)
    width, height, depth, kind, _, _, interlace = header
    if depth != 8 or kind not in CHANNELS or interlace:
        raise ValueError("%s: only 8-bit, non-interlaced RGB/RGBA is handled" % path)
    bpp = CHANNELS[kind]
    raw = zlib.decompress(b"".join(idat))
    return Image(width, height, bpp, _unfilter(raw, width, height, bpp))


def _chunk(name, body):
    return (struct.pack(">I", len(body)) + name + body
            + struct.pack(">I", zlib.crc32(name + body) & 0xFFFFFFFF))


def png_bytes(img):
    """Encode with the Up filter on every row: simple, fast and deterministic."""
    stride = img.width * img.channels
    raw = bytearray()
    prior = bytes(stride)
    for y in range(img.height):
        row = img.pixels[y * stride:(y + 1) * stride]
        raw.append(2)
        raw += bytes((a - b) & 255 for a, b in zip(row, prior))
        prior = row
    kind = 6 if img.channels == 4 else 2
    ihdr = struct.pack(">IIBBBBB", img.width, img.height, 8, kind, 0, 0, 0)
    return (PNG_MAGIC + _chunk(b"IHDR", ihdr)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))


def write_png(path, img):
    with open(path, "wb") as f:
        f.write(png_bytes(img))


def flatten(img, ground=(255, 255, 255)):
    """RGBA -> RGB, composited over a solid ground colour."""
    if img.channels == 3:
        return img
    out = bytearray(img.width * img.height * 3)
    src = img.pixels
    for i in range(img.width * img.height):
        r, g, b, a = src[4 * i:4 * i + 4]
        for k, (c, bg) in enumerate(zip((r, g, b), ground)):
            out[3 * i + k] = (c * a + bg * (255 - a) + 127) // 255
    return Image(img.width, img.height, 3, out)


def with_alpha(img):
    """RGB -> RGBA, fully opaque (rsvg-convert drops alpha from opaque renders)."""
    if img.channels == 4:
        return img
    out = bytearray(img.width * img.height * 4)
    for k in range(3):
        out[k::4] = img.pixels[k::3]
    out[3::4] = b"\xff" * (img.width * img.height)
    return Image(img.width, img.height, 4, out)


def bmp_bytes(img):
    """A plain 24-bit bottom-up BMP (BITMAPINFOHEADER, no compression)."""
    rgb = flatten(img)
    pad = (4 - rgb.width * 3 % 4) % 4
    body = bytearray()
    for y in range(rgb.height - 1, -1, -1):
        for x in range(rgb.width):
            r, g, b = rgb.rgb(x, y)
            body += bytes((b, g, r))
        body += bytes(pad)
    info = struct.pack("<IiiHHIIiiII", 40, rgb.width, rgb.height, 1, 24, 0,
                       len(body), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return head + info + bytes(body)


def _ico_entry_bitmap(img):
    """One icon image in the classic DIB form: 32-bit BGRA plus a 1-bit AND mask.
    Classic entries (not PNG-compressed) are what every Windows version reads."""
    img = with_alpha(img)
    w, h = img.width, img.height
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            at = (y * w + x) * 4
            r, g, b, a = img.pixels[at:at + 4]
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if img.alpha(x, y) == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_bytes(images):
    """A multi-size .ico from RGBA images (each at most 255 pixels wide)."""
    entries = [_ico_entry_bitmap(img) for img in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for img, data in zip(images, entries):
        out += struct.pack("<BBBBHHII", img.width, img.height, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for data in entries:
        out += data
    return bytes(out)


def frame_faults(img, margins):
    """Faults of a shadow frame: the rectangle inside the margins (left, top,
    right, bottom) must be fully opaque, the four corners fully transparent and
    the outer edge nearly so. Returns a list of messages, empty when it is good."""
    left, top, right, bottom = margins
    faults = []
    if img.channels != 4:
        return ["frame has no alpha channel"]
    holes = [(x, y) for y in range(top, img.height - bottom)
             for x in range(left, img.width - right) if img.alpha(x, y) != 255]
    if holes:
        faults.append("%d pixels inside the margins are not opaque, first at %s"
                      % (len(holes), holes[0]))
    # The margins must be exact: the ring just outside the rectangle is shadow.
    for x, y in ((left - 1, img.height // 2), (img.width - right, img.height // 2),
                 (img.width // 2, top - 1), (img.width // 2, img.height - bottom)):
        if img.alpha(x, y) == 255:
            faults.append("pixel (%d, %d) just outside the margins is opaque" % (x, y))
    w, h = img.width - 1, img.height - 1
    for x, y in ((0, 0), (w, 0), (0, h), (w, h)):
        if img.alpha(x, y) != 0:
            faults.append("corner (%d, %d) has alpha %d" % (x, y, img.alpha(x, y)))
    edge = [img.alpha(x, y) for x in range(img.width) for y in (0, h)]
    edge += [img.alpha(x, y) for y in range(img.height) for x in (0, w)]
    if max(edge) > 16:
        faults.append("outer edge reaches alpha %d" % max(edge))
    return faults
