#!/usr/bin/env python3
"""Renders shows through `orvanne-cjf frames` and checks every frame against pictures decoded by
ImageMagick and against placement figures worked out here from the show's rules: the frame's size,
the background around the drawn rectangle pixel for pixel, and the picture inside it.

    frames_match_imagemagick.py BIN_DIR DATA_DIR [--metafile-text]

With --metafile-text it checks only the text of a metafile whose drawing state is set before the
records that save and restore it (as an office suite writes them): no opaque box behind the text,
and the text on its baseline inside its frame.

Inputs are real photographs, metafiles written by an office suite (DATA_DIR), and BMP, PCX, PNG and
JPEG variants that ImageMagick writes here. Exits 77 when ImageMagick is not installed.
"""
import operator
import os
import shutil
import struct
import subprocess
import sys
import tempfile
from collections import Counter

SKIP = 77
CONVERT = shutil.which("convert")
IDENTIFY = shutil.which("identify")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

# The show's default background is the button face of the desktop palette; with no desktop theme
# (the tool runs on the offscreen platform) Qt's standard palette gives this grey.
DEFAULT_BACKGROUND = (0xEF, 0xEF, 0xEF)


class Failures:
    def __init__(self):
        self.passed = 0
        self.failed = []

    def check(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed.append(what)
            print("FAIL:", what)
        return ok


# ---------------------------------------------------------------------------------------------
# Pictures as ImageMagick sees them

def magick(*args):
    return subprocess.run([CONVERT, *args], check=True, capture_output=True).stdout


def decode(path, *ops):
    """(width, height, RGBA bytes): ImageMagick's decode of path after ops."""
    pam = magick(path, *ops, "-alpha", "set", "-type", "TrueColorAlpha", "-depth", "8", "pam:-")
    end = pam.index(b"ENDHDR\n") + len(b"ENDHDR\n")
    header = dict(line.split(b" ", 1) for line in pam[:end].split(b"\n")[1:-2])
    w, h = int(header[b"WIDTH"]), int(header[b"HEIGHT"])
    assert int(header[b"DEPTH"]) == 4 and int(header[b"MAXVAL"]) == 255, header
    return w, h, pam[end:end + w * h * 4]


def rgb_of(rgba):
    rgb = bytearray(len(rgba) // 4 * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
    return bytes(rgb)


def over(rgba, background):
    """The picture drawn over a plain background, as any source-over compositor does."""
    if rgba[3::4].count(255) == len(rgba) // 4:
        return rgb_of(rgba)
    out = bytearray(len(rgba) // 4 * 3)
    for i in range(len(rgba) // 4):
        a = rgba[4 * i + 3]
        for c in range(3):
            out[3 * i + c] = (rgba[4 * i + c] * a + background[c] * (255 - a) + 127) // 255
    return bytes(out)


# ---------------------------------------------------------------------------------------------
# Where a picture goes

def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def placement(picture, screen, fit):
    """(display size, (left, top, width, height)) of a picture of natural size picture on a
    screen whose whole area is visible. The ratios are single precision; a double holds the
    product of one with a 16-bit size exactly, and rounding a double quotient of two 24-bit
    integers to single precision gives the single-precision quotient itself."""
    pw, ph = picture
    vw, vh = screen
    dw, dh = (vw, vh) if fit else (max(vw, pw), max(vh, ph))
    ratio_h, ratio_w = f32(dh / ph), f32(dw / pw)
    scale = ratio_w if ratio_h >= ratio_w else ratio_h
    if scale >= 1.0 or not fit:
        scale = 1.0
    sw, sh = int(pw * scale), int(ph * scale)
    left = int((vw - sw) / 2 + 0.5) if sw < vw else 0
    top = int((vh - sh) / 2 + 0.5) if sh < vh else 0
    return (dw, dh), (left, top, sw, sh)


def metafile_size(path):
    """Natural size of a placeable metafile at 96 pixels an inch; the test drawings are made in
    whole quarter inches so that it comes out exact."""
    data = open(path, "rb").read(22)
    key, _, left, top, right, bottom, inch = struct.unpack("<IHhhhhH", data[:16])
    assert key == 0x9AC6CDD7, path
    w, h = (right - left) * 96, (bottom - top) * 96
    assert w % inch == 0 and h % inch == 0, (path, w / inch, h / inch)
    return w // inch, h // inch


# ---------------------------------------------------------------------------------------------
# Comparing

def stats(actual, expected):
    """Mean, 99th percentile and maximum of the per-channel absolute differences."""
    if actual == expected:
        return 0.0, 0, 0
    diffs = bytes(map(abs, map(operator.sub, actual, expected)))
    counts = Counter(diffs)
    n = len(diffs)
    mean = sum(v * c for v, c in counts.items()) / n
    seen, p99 = 0, 0
    for v in sorted(counts):
        seen += counts[v]
        if seen >= 0.99 * n:
            p99 = v
            break
    return mean, p99, max(counts)


class Tolerance:
    def __init__(self, mean, p99, peak, edge_mean=None):
        self.mean, self.p99, self.peak = mean, p99, peak
        self.edge_mean = mean if edge_mean is None else edge_mean

    def accepts(self, s):
        return s[0] <= self.mean and s[1] <= self.p99 and s[2] <= self.peak


EXACT = Tolerance(0, 0, 0)
# 16-bit channels narrowed, alpha blended: a step or two.
NEAR = Tolerance(1.0, 2, 3)
# Shrunk pictures: ours come from libjpeg's DCT scaling and Qt's smooth scaling, the reference
# from ImageMagick's triangle filter; they differ most on fine detail. The same photograph
# shifted by one pixel, or scaled one pixel smaller, is about twice as far off in mean and 99th
# percentile on the sizes used here.
RESAMPLED = Tolerance(1.5, 10, 255, edge_mean=5.0)
REFERENCE_FILTER = ["-filter", "Triangle"]


def crop(frame_w, rgb, rect):
    left, top, w, h = rect
    return b"".join(rgb[((top + y) * frame_w + left) * 3:((top + y) * frame_w + left + w) * 3]
                    for y in range(h))


def first_off_background(frame_w, frame_h, rgb, rect, background):
    """The first pixel outside rect that is not the background, or None."""
    left, top, w, h = rect
    row = bytes(background) * frame_w
    for y in range(frame_h):
        line = rgb[y * frame_w * 3:(y + 1) * frame_w * 3]
        if top <= y < top + h:
            spans = ((0, left), (left + w, frame_w))
        else:
            spans = ((0, frame_w),)
        for a, b in spans:
            if line[a * 3:b * 3] != row[a * 3:b * 3]:
                x = next(x for x in range(a, b) if line[x * 3:x * 3 + 3] != row[x * 3:x * 3 + 3])
                return x, y, tuple(line[x * 3:x * 3 + 3])
    return None


def edges(w, h, rgb):
    """The picture's outermost rows and columns, where a misplaced rectangle shows first."""
    cols = lambda x: b"".join(rgb[(y * w + x) * 3:(y * w + x) * 3 + 3] for y in range(h))
    return {"top row": rgb[:w * 3], "bottom row": rgb[(h - 1) * w * 3:h * w * 3],
            "left column": cols(0), "right column": cols(w - 1)}


# ---------------------------------------------------------------------------------------------
# Inputs written here by ImageMagick (and a 4-bit RLE and an uncompressed 16-bit bitmap by small
# writers of our own: ImageMagick writes run-length bitmaps only at 8 bits, and 16-bit ones only
# with bit-field masks)

def write_rle4_bmp(source, path):
    w, h, rgba = decode(source)
    pixels = [tuple(rgba[i:i + 3]) for i in range(0, len(rgba), 4)]
    palette = sorted(set(pixels))
    assert len(palette) <= 16, len(palette)
    index = {c: i for i, c in enumerate(palette)}
    body = bytearray()
    for y in reversed(range(h)):
        row = [index[p] for p in pixels[y * w:(y + 1) * w]]
        x = 0
        while x < w:
            run = 1
            while x + run < w and run < 255 and row[x + run] == row[x]:
                run += 1
            if run >= 3:
                body += bytes((run, row[x] << 4 | row[x]))
                x += run
                continue
            # Gather pixels up to the next run of three into one absolute span.
            end = x
            while end < w and end - x < 255 and not (end + 2 < w and row[end] == row[end + 1] == row[end + 2]):
                end += 1
            span = row[x:end]
            if len(span) < 3:
                body += bytes((len(span), span[0] << 4 | span[-1]))
            else:
                packed = bytes((span[i] << 4 | (span[i + 1] if i + 1 < len(span) else 0))
                               for i in range(0, len(span), 2))
                body += bytes((0, len(span))) + packed + (b"\0" if len(packed) % 2 else b"")
            x = end
        body += b"\0\0"
    body[-2:] = b"\0\1"
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette) + bytes(4 * (16 - len(palette)))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 2, len(body), 3780, 3780, 16, 0)
    offset = 14 + len(info) + len(colours)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset) + info + colours + body)


def write_rgb555_bmp(source, path):
    """An uncompressed 16-bit bitmap, whose channels are 5-5-5 without any masks in the file:
    ImageMagick writes 16-bit bitmaps only with bit-field masks."""
    w, h, rgba = decode(source)
    stride = (w * 2 + 3) // 4 * 4
    body = bytearray()
    for y in reversed(range(h)):
        row = bytearray()
        for x in range(w):
            r, g, b = rgba[4 * (y * w + x):4 * (y * w + x) + 3]
            row += struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
        body += row + bytes(stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 16, 0, len(body), 3780, 3780, 0, 0)
    offset = 14 + len(info)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset) + info + body)


def make_inputs(tmp, photos):
    p = lambda name: os.path.join(tmp, name)
    card = p("card.png")
    # Sharp lines, text, flat areas and a gradient: at natural size any error shows.
    magick("-size", "333x201", "gradient:#2040ff-#ffd020", "-fill", "#c01010", "-draw", "rectangle 10,10 60,60",
           "-stroke", "black", "-draw", "line 0,0 332,200", "-stroke", "none", "-fill", "white",
           "-draw", "circle 250,60 250,95", "-fill", "black", "-font", FONT, "-pointsize", "24",
           "-draw", "text 90,150 'Card'", "-alpha", "off", "-depth", "8", card)
    fade = ["(", "-size", "201x333", "gradient:white-black", "-rotate", "90", ")", "-alpha", "off",
            "-compose", "CopyOpacity", "-composite"]
    cups, water = photos["colorful-cups.jpg"], photos["by-the-water.jpg"]
    made = {
        "card8.pcx": [card, "-colors", "256", "-type", "Palette", "PCX:" + p("card8.pcx")],
        "cups24.pcx": [cups, "-type", "TrueColor", "PCX:" + p("cups24.pcx")],
        "water800.pcx": [water, "-resize", "800x500", "-type", "TrueColor", "PCX:" + p("water800.pcx")],
        "card8.bmp": [card, "-colors", "256", "-type", "Palette", "-compress", "None", "BMP3:" + p("card8.bmp")],
        "card8rle.bmp": [card, "-colors", "256", "-type", "Palette", "-compress", "RLE", "BMP3:" + p("card8rle.bmp")],
        "card565.bmp": [card, "-define", "bmp:subtype=RGB565", "BMP:" + p("card565.bmp")],
        "card32a.bmp": [card, *fade, "BMP:" + p("card32a.bmp")],
        "card8.png": [card, "PNG8:" + p("card8.png")],
        "cardi.png": [card, "-interlace", "PNG", "PNG24:" + p("cardi.png")],
        "card16.png": [card, "-depth", "16", "PNG48:" + p("card16.png")],
        "carda.png": [card, *fade, "PNG32:" + p("carda.png")],
        # A camera picture turned on its side (stored 1600x1000, shown 1000x1600) and a small one
        # turned the other way.
        "turned6.jpg": [water, "-resize", "1600x1000", "-orient", "RightTop", p("turned6.jpg")],
        "turned8.jpg": [cups, "-resize", "300x188", "-orient", "LeftBottom", p("turned8.jpg")],
        # The show's worked figures, cut from a photograph.
        "wide1200.png": [water, "-crop", "1200x400+600+500", "+repage", p("wide1200.png")],
        "small300.png": [water, "-crop", "300x201+1000+800", "+repage", p("small300.png")],
        "over601.png": [water, "-resize", "601x400!", p("over601.png")],
    }
    for name, args in made.items():
        magick(*args)
    quantised = p("card16colours.png")
    magick(card, "+dither", "-colors", "16", quantised)
    write_rle4_bmp(quantised, p("card4rle.bmp"))
    write_rgb555_bmp(card, p("card555.bmp"))
    with open(p("broken.jpg"), "w") as f:
        f.write("This is a letter, not a picture.\n")
    files = {name: p(name) for name in made}
    files["card4rle.bmp"] = p("card4rle.bmp")
    files["card555.bmp"] = p("card555.bmp")
    files["broken.jpg"] = p("broken.jpg")
    return files


def header_facts(files):
    """The inputs are what they claim to be: otherwise a green run proves less than it says."""
    facts = []
    def bmp(name):
        d = open(files[name], "rb").read(34)
        return struct.unpack("<H", d[28:30])[0], struct.unpack("<I", d[30:34])[0]
    facts.append(("card8.bmp is 8-bit uncompressed", bmp("card8.bmp") == (8, 0)))
    facts.append(("card8rle.bmp is 8-bit RLE", bmp("card8rle.bmp") == (8, 1)))
    facts.append(("card4rle.bmp is 4-bit RLE", bmp("card4rle.bmp") == (4, 2)))
    facts.append(("card565.bmp is 16-bit bit fields", bmp("card565.bmp") == (16, 3)))
    facts.append(("card555.bmp is 16-bit uncompressed", bmp("card555.bmp") == (16, 0)))
    facts.append(("card32a.bmp is 32-bit bit fields", bmp("card32a.bmp") == (32, 3)))
    def pcx(name):
        d = open(files[name], "rb").read(66)
        return d[3], d[65]
    facts.append(("card8.pcx is one 8-bit plane", pcx("card8.pcx") == (8, 1)))
    facts.append(("cups24.pcx is three 8-bit planes", pcx("cups24.pcx") == (8, 3)))
    def png(name):
        d = open(files[name], "rb").read(29)
        return d[24], d[25], d[28]
    facts.append(("card8.png is a palette PNG", png("card8.png") == (8, 3, 0)))
    facts.append(("cardi.png is interlaced", png("cardi.png") == (8, 2, 1)))
    facts.append(("card16.png has 16-bit channels", png("card16.png") == (16, 2, 0)))
    facts.append(("carda.png has alpha", png("carda.png") == (8, 6, 0)))
    for name, want in (("turned6.jpg", "6"), ("turned8.jpg", "8")):
        got = subprocess.run([IDENTIFY, "-format", "%[EXIF:Orientation]", files[name]],
                             capture_output=True, text=True).stdout.strip()
        facts.append((f"{name} carries EXIF orientation {want}", got == want))
    return facts


# ---------------------------------------------------------------------------------------------
# Metafiles: what the drawings in DATA_DIR/metafiles hold, in inches from their top-left corner

GOLD, BLUE, RED, GREEN, BLACK = (0xFF, 0xD7, 0x00), (0x1E, 0x50, 0xC8), (0xDC, 0x1E, 0x1E), (0x19, 0xA0, 0x3C), (0, 0, 0)


def blocks_expectation(x, y):
    """blocks: 4 x 3 in of gold, a blue rectangle in the middle half, a red ellipse and a green
    triangle near the bottom corners and a word of text at the top left. None where edges are
    antialiased or glyphs are."""
    def inside(x0, y0, x1, y1, margin):
        return x0 + margin <= x <= x1 - margin and y0 + margin <= y <= y1 - margin
    m = 0.03  # a little over two pixels at the smallest size drawn here
    if inside(1, 0.75, 3, 2.25, m):
        return BLUE
    if inside(1, 0.75, 3, 2.25, -m):
        return None
    if ((x - 0.5) / 0.375) ** 2 + ((y - 2.4375) / 0.3125) ** 2 <= 0.8:
        return RED
    if inside(0.125, 2.125, 0.875, 2.75, -m) or inside(3.25, 2.25, 3.875, 2.75, -m):
        return None
    if inside(0, 0, 2.2, 0.8, 0):  # the text, checked on its own with --metafile-text
        return None
    return GOLD


def stripes_expectation(x, y):
    """stripes: 10 x 5 in, red, green, blue and gold stripes 2.5 in wide, crossed by a black band
    from 2 to 3 in down. Every edge falls on a pixel boundary at the sizes drawn here."""
    if 2 <= y < 3:
        return BLACK
    return (RED, GREEN, BLUE, GOLD)[min(int(x / 2.5), 3)]


def drawing_expectation(kind, size_in, w, h):
    """The expected picture at w x h pixels, None marking pixels not checked."""
    fn = {"blocks": blocks_expectation, "stripes": stripes_expectation}[kind]
    sx, sy = size_in[0] / w, size_in[1] / h
    return [fn((i + 0.5) * sx, (j + 0.5) * sy) for j in range(h) for i in range(w)]


def compare_drawing(inside, expected):
    """(pixels checked, first mismatch) of an expectation with don't-care pixels; a step of 2 is
    allowed for antialiasing's rounding in flat areas."""
    checked = 0
    for i, want in enumerate(expected):
        if want is None:
            continue
        got = inside[3 * i:3 * i + 3]
        checked += 1
        if any(abs(a - b) > 2 for a, b in zip(got, want)):
            return checked, (i, tuple(got), want)
    return checked, None


# ---------------------------------------------------------------------------------------------

def run_show(tool, tmp, name, slides, size, create_opts):
    show = os.path.join(tmp, name + ".cjf")
    subprocess.run([tool, "create", show, *create_opts, *slides], check=True, capture_output=True)
    out = os.path.join(tmp, name)
    args = [tool, "frames", show, out] + (["--size", "%dx%d" % size] if size else [])
    # A desktop theme or style would change the default background's palette.
    env = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE")}
    return out, subprocess.run(args, capture_output=True, text=True, env=env)


def metafile_text(tool, data_dir, result):
    """blocks.wmf sets a transparent background mode and baseline alignment once, then saves the
    drawing state before every shape and the text. Its word must be drawn without a box behind it
    (no pixel outside the blue rectangle has much blue) and inside its frame (0.1 to 0.6 in down,
    so no dark pixel below 0.6 in)."""
    with tempfile.TemporaryDirectory() as tmp:
        out, run = run_show(tool, tmp, "text", [os.path.join(data_dir, "metafiles", "blocks.wmf")],
                            (384, 288), ["--background", "0"])
        result.check(run.returncode == 0, f"exit status {run.returncode}, stderr {run.stderr!r}")
        w, h, rgba = decode(os.path.join(out, "slide-001.png"))
        result.check((w, h) == (384, 288), f"frame {w}x{h}")
        boxed, low = [], []
        for y in range(h):
            for x in range(w):
                r, g, b = rgba[4 * (y * w + x):4 * (y * w + x) + 3]
                ix, iy = (x + 0.5) / 96, (y + 0.5) / 96
                in_blue = 0.97 <= ix <= 3.03 and 0.72 <= iy <= 2.28
                if not in_blue and b > 100:
                    boxed.append((x, y))
                if iy > 0.6 and ix < 2.2 and not in_blue and max(r, g, b) < 128 and iy < 2.0:
                    low.append((x, y))
        result.check(not boxed, f"{len(boxed)} pixels of an opaque box around the text, first {boxed[:1]}")
        result.check(not low, f"{len(low)} pixels of text below its frame, first {low[:1]}")


def main():
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["--metafile-text"]):
        print(__doc__)
        return 2
    bin_dir, data_dir = sys.argv[1], sys.argv[2]
    if not CONVERT or not IDENTIFY:
        print("SKIP: ImageMagick (convert, identify) is not installed")
        return SKIP
    tool = os.path.join(bin_dir, "orvanne-cjf")
    result = Failures()
    if sys.argv[3:]:
        metafile_text(tool, data_dir, result)
        print(f"{result.passed} passed, {len(result.failed)} failed")
        return 1 if result.failed else 0
    photos = {n: os.path.join(data_dir, "photos", n)
              for n in ("by-the-water.jpg", "colorful-cups.jpg", "fallen-leaf.jpg")}
    metafiles = {n: os.path.join(data_dir, "metafiles", n) for n in ("blocks.wmf", "stripes.wmf")}
    drawings = {"blocks.wmf": ("blocks", (4.0, 3.0)), "stripes.wmf": ("stripes", (10.0, 5.0))}

    with tempfile.TemporaryDirectory() as tmp:
        files = make_inputs(tmp, photos)
        files.update(photos)
        files.update(metafiles)
        for what, ok in header_facts(files):
            result.check(ok, what)

        natural_tolerance = {"card8.pcx": EXACT, "cups24.pcx": EXACT, "card8.bmp": EXACT,
                         "card8rle.bmp": EXACT, "card4rle.bmp": EXACT, "card565.bmp": EXACT,
                         "card555.bmp": EXACT,
                         "card32a.bmp": NEAR, "card8.png": EXACT, "cardi.png": EXACT,
                         "card16.png": NEAR, "carda.png": NEAR}
        photo_natural = NEAR  # the same libjpeg decode on both sides, give or take the IDCT

        blue_brown = (0x99, 0x66, 0x33)  # COLORREF 0x00336699
        shows = [
            # Fit at the default 1920x1080 on a COLORREF background: the format variants at
            # natural size, photographs shrunk, and an unreadable file in the middle.
            ("fit-hd", None, ["--background", "0x00336699"], blue_brown,
             ["by-the-water.jpg", "colorful-cups.jpg", "card8.pcx", "cups24.pcx", "card8.bmp",
              "card8rle.bmp", "card4rle.bmp", "card565.bmp", "card555.bmp", "card32a.bmp", "card8.png",
              "broken.jpg", "cardi.png", "card16.png", "carda.png", "turned6.jpg", "turned8.jpg",
              "blocks.wmf", "stripes.wmf"]),
            # A small screen on the default background: everything here is larger and shrinks.
            ("fit-small", (640, 360), [], DEFAULT_BACKGROUND,
             ["by-the-water.jpg", "turned6.jpg", "water800.pcx", "stripes.wmf"]),
            # Fit off: smaller pictures sit in the middle of the screen at natural size, larger
            # ones make the frame their size and start at the top left; the turned photograph is
            # taller than the screen but narrower, so it is centred across and starts at the top.
            ("natural", None, ["--no-fit", "--background", "0x00102030"], (0x30, 0x20, 0x10),
             ["fallen-leaf.jpg", "by-the-water.jpg", "turned6.jpg", "blocks.wmf", "card8rle.bmp"]),
            # The worked figures on a black background.
            ("worked", (600, 400), ["--background", "0"], (0, 0, 0),
             ["wide1200.png", "small300.png", "over601.png"]),
        ]
        # 601 x 400 in 600 x 400: single precision makes 600/601 a hair small, so it is 599 x 399.
        worked_rects = {"wide1200.png": (0, 100, 600, 200), "small300.png": (150, 100, 300, 201),
                        "over601.png": (1, 1, 599, 399)}

        for show, size, opts, background, names in shows:
            out, run = run_show(tool, tmp, show, [files[n] for n in names], size, opts)
            screen = size or (1920, 1080)
            fit = "--no-fit" not in opts
            unreadable = [n for n in names if n == "broken.jpg"]
            result.check(run.returncode == (1 if unreadable else 0),
                         f"{show}: exit status {run.returncode}, stderr {run.stderr!r}")
            told = [line for line in run.stderr.splitlines() if line.startswith("Cannot read: ")]
            result.check(told == ["Cannot read: " + n for n in unreadable],
                         f"{show}: told {told}, expected one line for each of {unreadable}")
            for number, name in enumerate(names, 1):
                label = f"{show} slide {number} ({name})"
                frame_path = os.path.join(out, "slide-%03d.png" % number)
                if name in unreadable:
                    result.check(not os.path.exists(frame_path), f"{label}: a frame was written")
                    continue
                if not result.check(os.path.exists(frame_path), f"{label}: no frame written"):
                    continue
                fw, fh, frame_rgba = decode(frame_path)
                frame = rgb_of(frame_rgba)

                if name in drawings:
                    natural = metafile_size(files[name])
                    ops = None
                else:
                    ops = ["-auto-orient"] if name.endswith(".jpg") else []
                    dims = magick(files[name], *ops, "-format", "%w %h", "info:").split()
                    natural = int(dims[0]), int(dims[1])
                display, rect = placement(natural, screen, fit)
                if show == "worked":
                    result.check(rect == worked_rects[name], f"{label}: worked figure {rect}")
                if not result.check((fw, fh) == display, f"{label}: frame {fw}x{fh}, expected {display}"):
                    continue
                stray = first_off_background(fw, fh, frame, rect, background)
                result.check(stray is None,
                             f"{label}: pixel {stray} outside the picture's rectangle {rect} is not the "
                             f"background {background}")
                inside = crop(fw, frame, rect)
                left, top, sw, sh = rect

                if name in drawings:
                    kind, inches = drawings[name]
                    checked, bad = compare_drawing(inside, drawing_expectation(kind, inches, sw, sh))
                    if bad:
                        i, got, want = bad
                        bad = (left + i % sw, top + i // sw, got, want)
                    result.check(bad is None and checked > sw * sh // 2,
                                 f"{label}: drawing differs at (x, y, got, expected) {bad}, "
                                 f"{checked} pixels checked")
                    continue

                scaled = (sw, sh) != natural
                ref_ops = list(ops) + (REFERENCE_FILTER + ["-resize", f"{sw}x{sh}!"] if scaled else [])
                rw, rh, ref_rgba = decode(files[name], *ref_ops)
                assert (rw, rh) == (sw, sh), (name, rw, rh, sw, sh)
                expected = over(ref_rgba, background)
                if scaled:
                    tolerance = RESAMPLED
                elif name in natural_tolerance:
                    tolerance = natural_tolerance[name]
                else:
                    tolerance = photo_natural
                s = stats(inside, expected)
                if os.environ.get("FRAMES_VERBOSE"):
                    print(f"{label}: {rect} mean {s[0]:.2f} p99 {s[1]} max {s[2]}")
                result.check(tolerance.accepts(s),
                             f"{label}: drawn {rect}, differs from ImageMagick's decode by mean "
                             f"{s[0]:.2f}, 99th percentile {s[1]}, max {s[2]}")
                got_edges, want_edges = edges(sw, sh, inside), edges(sw, sh, expected)
                for edge in got_edges:
                    e = stats(got_edges[edge], want_edges[edge])
                    result.check(e[0] <= tolerance.edge_mean,
                                 f"{label}: {edge} of the drawn rectangle {rect} differs by mean "
                                 f"{e[0]:.2f}: misplaced by a pixel?")

    print(f"{result.passed} passed, {len(result.failed)} failed")
    return 1 if result.failed else 0


if __name__ == "__main__":
    sys.exit(main())
