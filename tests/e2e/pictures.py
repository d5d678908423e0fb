# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later

"""Pictures for the end-to-end tests: screenshots read from XWD files (and
from grim's PPM files under Wayland), the game's own BMP images read from
data/, PNG files written for people to look at, and the comparisons the
tests make between them.

Every picture is held the same way: width, height and a bytes object of
r, g, b triples, row after row from the top, so that a row of a screenshot
and a row of an image can be compared with one slice each.
"""

import struct
import zlib

MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)


class Picture:
    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError("picture data does not match its size")
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at : at + 3])

    def row(self, y, x0=0, x1=None):
        x1 = self.width if x1 is None else x1
        start = (y * self.width + x0) * 3
        return self.rgb[start : start + (x1 - x0) * 3]

    def inside(self, x, y):
        return 0 <= x < self.width and 0 <= y < self.height


def _mask_shift(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift, mask


def read_xwd(path):
    """Reads a screenshot written by `xwd` (ZPixmap, 24 or 32 bits per
    pixel, true colour), the format every X server here gives."""
    with open(path, "rb") as f:
        data = f.read()
    head = None
    for order in (">", "<"):  # xwd writes its header most significant byte first
        fields = struct.unpack(order + "25I", data[:100])
        if fields[1] == 7:
            head = fields
            break
    if head is None:
        raise ValueError(f"{path}: not an XWD file of version 7")
    (header_size, _, pixmap_format, _, width, height, _, byte_order, _, _, _,
     bits_per_pixel, bytes_per_line, _, red_mask, green_mask, blue_mask, _, _,
     ncolors) = head[:20]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError(f"{path}: only true-colour ZPixmap screenshots are read")
    start = header_size + 12 * ncolors
    pixels = data[start : start + bytes_per_line * height]
    if len(pixels) < bytes_per_line * height:
        raise ValueError(f"{path}: the screenshot is cut short")
    step = bits_per_pixel // 8
    out = bytearray(width * height * 3)
    standard = (red_mask, green_mask, blue_mask) == (0xFF0000, 0xFF00, 0xFF)
    for y in range(height):
        line = pixels[y * bytes_per_line : y * bytes_per_line + width * step]
        o = y * width * 3
        if standard and byte_order == 0:  # least significant byte first: b, g, r
            out[o : o + width * 3 : 3] = line[2::step]
            out[o + 1 : o + width * 3 : 3] = line[1::step]
            out[o + 2 : o + width * 3 : 3] = line[0::step]
        elif standard and byte_order == 1 and step == 4:  # x, r, g, b
            out[o : o + width * 3 : 3] = line[1::4]
            out[o + 1 : o + width * 3 : 3] = line[2::4]
            out[o + 2 : o + width * 3 : 3] = line[3::4]
        else:
            endian = "little" if byte_order == 0 else "big"
            masks = [_mask_shift(m) for m in (red_mask, green_mask, blue_mask)]
            for x in range(width):
                value = int.from_bytes(line[x * step : x * step + step], endian)
                for c, (shift, mask) in enumerate(masks):
                    out[o + 3 * x + c] = ((value >> shift) & mask) * 255 // mask
    return Picture(width, height, out)


def read_bmp(path):
    """Reads one of the game's images: an uncompressed 24- or 32-bit BMP."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits not in (24, 32) or compression not in (0, 3):
        raise ValueError(f"{path}: only uncompressed 24- and 32-bit BMP files are read")
    step = bits // 8
    stride = (width * step + 3) & ~3
    bottom_up = height > 0
    height = abs(height)
    out = bytearray(width * height * 3)
    for y in range(height):
        src = offset + (height - 1 - y if bottom_up else y) * stride
        line = data[src : src + width * step]
        o = y * width * 3
        out[o : o + width * 3 : 3] = line[2::step]
        out[o + 1 : o + width * 3 : 3] = line[1::step]
        out[o + 2 : o + width * 3 : 3] = line[0::step]
    return Picture(width, height, out)


def read_ppm(path):
    """Reads a binary PPM (P6, 8 bits a channel), as grim writes them."""
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at : at + 1].isspace():
            at += 1
        if data[at : at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end : end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path}: not an 8-bit binary PPM file")
    width, height = int(fields[1]), int(fields[2])
    at += 1  # the one white-space byte before the pixels
    return Picture(width, height, data[at : at + width * height * 3])


def write_png(picture, path):
    """Saves a picture as an 8-bit RGB PNG."""
    raw = bytearray()
    stride = picture.width * 3
    for y in range(picture.height):
        raw.append(0)  # no filter
        raw += picture.rgb[y * stride : (y + 1) * stride]

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


def differing_box(shot, image, x0=0, y0=0):
    """Compares `image` placed at (x0, y0) with what the screenshot shows there
    (the part that lies on the screenshot).  Returns the number of differing
    pixels and their bounding box (x, y, x_end, y_end), or (0, None)."""
    count = 0
    box = None
    for iy in range(image.height):
        sy = y0 + iy
        if not 0 <= sy < shot.height:
            continue
        ix0 = max(0, -x0)
        ix1 = min(image.width, shot.width - x0)
        if ix1 <= ix0:
            return 0, None
        a = shot.row(sy, x0 + ix0, x0 + ix1)
        b = image.row(iy, ix0, ix1)
        if a == b:
            continue
        for i in range(ix1 - ix0):
            if a[3 * i : 3 * i + 3] != b[3 * i : 3 * i + 3]:
                count += 1
                sx = x0 + ix0 + i
                if box is None:
                    box = [sx, sy, sx + 1, sy + 1]
                else:
                    box = [min(box[0], sx), min(box[1], sy),
                           max(box[2], sx + 1), max(box[3], sy + 1)]
    return count, (tuple(box) if box else None)


def blended(colour, alpha, under=BLACK):
    """The colour a pixel drawn at a per-surface opacity gives over `under`."""
    return tuple(round(u + (c - u) * alpha / 255) for c, u in zip(colour, under))


class Sprite:
    """One of the game's keyed images as it looks on the screen: its opaque
    pixels (all but the magenta or black key), drawn at an opacity over black,
    which is what the game clears every frame to."""

    def __init__(self, image, key=MAGENTA, alpha=None):
        self.width = image.width
        self.height = image.height
        self.points = []
        for y in range(image.height):
            for x in range(image.width):
                c = image.pixel(x, y)
                if c == key:
                    continue
                self.points.append((x, y, blended(c, alpha) if alpha is not None else c))
        if not self.points:
            raise ValueError("the image has no visible pixel")
        # Candidate positions are tried on the brightest pixels first: they
        # stand out from the black background and from each other.
        self.anchors = sorted(self.points, key=lambda p: -sum(p[2]))[:3]

    def part(self, keep):
        """The same sprite with only the pixels (x, y) for which `keep` is
        true, for a place where something else is drawn over or under it."""
        other = object.__new__(Sprite)
        other.width, other.height = self.width, self.height
        other.points = [p for p in self.points if keep(p[0], p[1])]
        if not other.points:
            raise ValueError("no pixel of the sprite is kept")
        other.anchors = sorted(other.points, key=lambda p: -sum(p[2]))[:3]
        return other

    def score(self, shot, x, y, tolerance=0, need=0.0):
        """The fraction of the sprite's pixels that the screenshot shows at
        (x, y), each channel within `tolerance`.  Gives up early (returning a
        lower bound) once the fraction can no longer reach `need`."""
        allowed = len(self.points) * (1.0 - need)
        misses = 0
        for px, py, c in self.points:
            sx, sy = x + px, y + py
            if shot.inside(sx, sy):
                at = (sy * shot.width + sx) * 3
                got = shot.rgb[at : at + 3]
                if (abs(got[0] - c[0]) <= tolerance and abs(got[1] - c[1]) <= tolerance
                        and abs(got[2] - c[2]) <= tolerance):
                    continue
            misses += 1
            if misses > allowed:
                return 0.0
        return 1.0 - misses / len(self.points)

    def find(self, shot, region, tolerance=0, need=0.9):
        """Every top-left position in `region` (x0, y0, x1, y1, end exclusive)
        where at least the fraction `need` of the sprite's pixels match."""
        x0, y0, x1, y1 = region
        found = []
        w = shot.width
        rgb = shot.rgb
        for y in range(max(0, y0), min(shot.height, y1)):
            for x in range(max(0, x0), min(w, x1)):
                ok = 0
                for px, py, c in self.anchors:
                    sx, sy = x + px, y + py
                    if sx < w and sy < shot.height:
                        at = (sy * w + sx) * 3
                        if (abs(rgb[at] - c[0]) <= tolerance
                                and abs(rgb[at + 1] - c[1]) <= tolerance
                                and abs(rgb[at + 2] - c[2]) <= tolerance):
                            ok += 1
                if ok * 3 < 2 * len(self.anchors):  # most anchors must match
                    continue
                score = self.score(shot, x, y, tolerance, need)
                if score >= need:
                    found.append((score, x, y))
        # A plain patch of colour matches a pixel or two off its place too:
        # keep only the best position of each group of overlapping ones.
        found.sort(key=lambda f: (-f[0], f[2], f[1]))
        best = []
        for score, x, y in found:
            if all(abs(x - bx) * 2 >= self.width or abs(y - by) * 2 >= self.height
                   for bx, by in best):
                best.append((x, y))
        return sorted(best)


def mean_colour(picture, box):
    """The average colour over the box (x0, y0, x1, y1) of a picture."""
    x0, y0, x1, y1 = box
    sums = [0, 0, 0]
    for y in range(y0, y1):
        row = picture.row(y, x0, x1)
        for c in range(3):
            sums[c] += sum(row[c::3])
    count = (x1 - x0) * (y1 - y0)
    return tuple(total / count for total in sums)


def column_runs(shot, x0, x1, y0, y1):
    """The colours of the rows of a rectangle, merged into runs: a list of
    (colour, first row, row count) where each row is one colour across the
    whole width; a row of mixed colours is reported as colour None."""
    runs = []
    for y in range(y0, y1):
        line = shot.row(y, x0, x1)
        first = line[:3]
        colour = tuple(first) if line == first * (x1 - x0) else None
        if runs and runs[-1][0] == colour:
            runs[-1] = (colour, runs[-1][1], runs[-1][2] + 1)
        else:
            runs.append((colour, y, 1))
    return runs
