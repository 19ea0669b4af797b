"""A small anti-aliased rasteriser and the picture encoders the program needs.

Standard library only, so the artwork rebuilds on any machine with Python 3; text
glyphs come from ImageMagick (see text.py). Shapes are lists of contours (lists of
(x, y) points in pixels, y downwards) filled with the non-zero rule: contours with a
positive area add, contours with a negative area cut holes. Coverage is exact
horizontally and sampled SUBROWS times per pixel row, which is plenty for icons.
"""
import math
import struct
import zlib

SUBROWS = 6


# ---------------------------------------------------------------- geometry

def area(contour):
    s = 0.0
    for i, (x0, y0) in enumerate(contour):
        x1, y1 = contour[(i + 1) % len(contour)]
        s += x0 * y1 - x1 * y0
    return s / 2


def outer(contour):
    return contour if area(contour) >= 0 else contour[::-1]


def hole(contour):
    return contour if area(contour) < 0 else contour[::-1]


def rect(x0, y0, x1, y1):
    return [outer([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])]


def ellipse(cx, cy, rx, ry=None, n=64):
    ry = rx if ry is None else ry
    pts = [(cx + rx * math.cos(2 * math.pi * i / n), cy + ry * math.sin(2 * math.pi * i / n))
           for i in range(n)]
    return [outer(pts)]


def arc_points(cx, cy, r, a0, a1, n=24):
    """Points on a circle from angle a0 to a1 (degrees, clockwise on screen)."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def rrect(x0, y0, x1, y1, r, n=8):
    r = min(r, (x1 - x0) / 2, (y1 - y0) / 2)
    pts = []
    for cx, cy, a in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90),
                      (x0 + r, y0 + r, 180)):
        pts += arc_points(cx, cy, r, a, a + 90, n)
    return [outer(pts)]


def poly(points):
    return [outer(list(points))]


def stroke(points, width, closed=False, caps=True):
    """A thick line through the points, with round joins (and round ends when caps)."""
    r = width / 2
    out = []
    segs = list(zip(points, points[1:] + (points[:1] if closed else [])))
    for (x0, y0), (x1, y1) in segs:
        dx, dy = x1 - x0, y1 - y0
        d = math.hypot(dx, dy)
        if d == 0:
            continue
        nx, ny = -dy / d * r, dx / d * r
        out.append(outer([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny),
                          (x0 - nx, y0 - ny)]))
    joints = points if (closed or caps) else points[1:-1]
    for x, y in joints:
        out += ellipse(x, y, r, n=16)
    return out


def transform(shape, fn):
    """Applies fn(x, y) -> (x, y) to every point, keeping each contour's role."""
    out = []
    for c in shape:
        t = [fn(x, y) for x, y in c]
        out.append(outer(t) if area(c) >= 0 else hole(t))
    return out


def scale(shape, s, ox=0.0, oy=0.0):
    return transform(shape, lambda x, y: (x * s + ox, y * s + oy))


# ---------------------------------------------------------------- coverage masks

class Mask:
    def __init__(self, w, h, data=None):
        self.w, self.h = w, h
        self.a = data if data is not None else [0.0] * (w * h)

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.a[y * self.w + x]
        return 0.0

    def times(self, other):
        return Mask(self.w, self.h, [p * q for p, q in zip(self.a, other.a)])

    def minus(self, other):
        return Mask(self.w, self.h, [p * (1 - q) for p, q in zip(self.a, other.a)])

    def union(self, other):
        return Mask(self.w, self.h, [max(p, q) for p, q in zip(self.a, other.a)])

    def scaled(self, k):
        return Mask(self.w, self.h, [p * k for p in self.a])

    def shifted(self, dx, dy):
        m = Mask(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                m.a[y * self.w + x] = self.get(x - dx, y - dy)
        return m

    def blurred(self, r):
        """Two box blurs of radius r: a soft shadow."""
        m = self
        for _ in range(2):
            m = m._box(r, True)._box(r, False)
        return m

    def _box(self, r, horizontal):
        w, h = self.w, self.h
        out = [0.0] * (w * h)
        n = 2 * r + 1
        for i in range(h if horizontal else w):
            for j in range(w if horizontal else h):
                s = 0.0
                for k in range(j - r, j + r + 1):
                    s += self.get(k, i) if horizontal else self.get(i, k)
                if horizontal:
                    out[i * w + j] = s / n
                else:
                    out[j * w + i] = s / n
        return Mask(w, h, out)


def cover(shape, w, h):
    """Coverage (0..1) of each pixel by the shape, non-zero winding."""
    edges = []
    for c in shape:
        for i, (x0, y0) in enumerate(c):
            x1, y1 = c[(i + 1) % len(c)]
            if y0 == y1:
                continue
            d = 1 if y1 > y0 else -1
            if y0 > y1:
                x0, y0, x1, y1 = x1, y1, x0, y0
            edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), d))
    m = Mask(w, h)
    if not edges:
        return m
    top = max(0, int(math.floor(min(e[0] for e in edges))))
    bottom = min(h, int(math.ceil(max(e[1] for e in edges))))
    wt = 1.0 / SUBROWS
    a = m.a
    for py in range(top, bottom):
        base = py * w
        for s in range(SUBROWS):
            y = py + (s + 0.5) / SUBROWS
            xs = sorted((xa + (y - ya) * sl, d) for ya, yb, xa, sl, d in edges if ya <= y < yb)
            wind = 0
            start = 0.0
            for x, d in xs:
                before = wind
                wind += d
                if before == 0 and wind != 0:
                    start = x
                elif before != 0 and wind == 0:
                    x0, x1 = max(0.0, start), min(float(w), x)
                    if x1 <= x0:
                        continue
                    i0, i1 = int(x0), int(x1)
                    if i0 == i1:
                        a[base + i0] += (x1 - x0) * wt
                    else:
                        a[base + i0] += (i0 + 1 - x0) * wt
                        for i in range(i0 + 1, i1):
                            a[base + i] += wt
                        if i1 < w:
                            a[base + i1] += (x1 - i1) * wt
    m.a = [min(1.0, v) for v in a]
    return m


# ---------------------------------------------------------------- paints

def rgb(hexstr, alpha=1.0):
    hexstr = hexstr.lstrip("#")
    return tuple(int(hexstr[i:i + 2], 16) / 255 for i in (0, 2, 4)) + (alpha,)


def mix(c0, c1, t):
    return tuple(p + (q - p) * t for p, q in zip(c0, c1))


def stops_at(stops, t):
    t = max(0.0, min(1.0, t))
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, 0 if t1 == t0 else (t - t0) / (t1 - t0))
    return stops[-1][1]


def linear(x0, y0, x1, y1, stops):
    """Gradient along the line (x0, y0) -> (x1, y1); stops are (t, colour)."""
    dx, dy = x1 - x0, y1 - y0
    dd = dx * dx + dy * dy or 1.0
    return lambda x, y: stops_at(stops, ((x - x0) * dx + (y - y0) * dy) / dd)


def radial(cx, cy, r, stops):
    return lambda x, y: stops_at(stops, math.hypot(x - cx, y - cy) / r)


# ---------------------------------------------------------------- canvas

class Canvas:
    def __init__(self, w, h, background=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [tuple(background)] * (w * h)

    def paint(self, mask, colour, ox=0, oy=0):
        """Composites colour (a tuple or a function of the pixel centre) through mask,
        whose top-left corner lies at (ox, oy)."""
        fn = colour if callable(colour) else None
        for my in range(mask.h):
            y = my + oy
            if not 0 <= y < self.h:
                continue
            for mx in range(mask.w):
                c = mask.a[my * mask.w + mx]
                x = mx + ox
                if c <= 0 or not 0 <= x < self.w:
                    continue
                r, g, b, a = fn(x + 0.5, y + 0.5) if fn else colour
                a *= c
                if a <= 0:
                    continue
                i = y * self.w + x
                R, G, B, A = self.px[i]
                oa = a + A * (1 - a)
                k = A * (1 - a)
                self.px[i] = ((r * a + R * k) / oa, (g * a + G * k) / oa, (b * a + B * k) / oa, oa)

    def fill(self, shape, colour):
        m = cover(shape, self.w, self.h)
        self.paint(m, colour)
        return m

    def bytes_rgba(self):
        out = bytearray()
        for r, g, b, a in self.px:
            out += bytes((_b(r), _b(g), _b(b), _b(a)))
        return bytes(out)

    def flattened(self, background):
        """The picture over an opaque background colour (r, g, b in 0..1)."""
        c = Canvas(self.w, self.h)
        c.px = [(r * a + background[0] * (1 - a), g * a + background[1] * (1 - a),
                 b * a + background[2] * (1 - a), 1.0) for r, g, b, a in self.px]
        return c


def _b(v):
    return max(0, min(255, int(round(v * 255))))


# ---------------------------------------------------------------- encoders

def png(canvas):
    w, h = canvas.w, canvas.h
    raw = canvas.bytes_rgba()
    rows = b"".join(b"\x00" + raw[y * w * 4:(y + 1) * w * 4] for y in range(h))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def _bmp(w, h, bpp, palette, rows_bottom_up):
    header_size = 14 + 40 + len(palette)
    pixels = b"".join(rows_bottom_up)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, len(pixels), 2835, 2835,
                       len(palette) // 4 if bpp == 8 else 0, 0)
    head = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    return head + info + palette + pixels


def bmp24(canvas):
    """Uncompressed 24-bit BMP (alpha dropped: flatten first)."""
    raw = canvas.bytes_rgba()
    w = canvas.w
    pad = b"\x00" * ((4 - (w * 3) % 4) % 4)
    rows = []
    for y in range(canvas.h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = raw[(y * w + x) * 4:(y * w + x) * 4 + 3]
            row += bytes((b, g, r))
        rows.append(bytes(row) + pad)
    return _bmp(w, canvas.h, 24, b"", rows)


def bmp8(canvas):
    """Uncompressed 256-colour BMP; the palette comes from a median cut."""
    raw = canvas.bytes_rgba()
    w, h = canvas.w, canvas.h
    colours = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 4)]
    palette = median_cut(colours, 256)
    cache = {}

    def index(c):
        i = cache.get(c)
        if i is None:
            i = min(range(len(palette)), key=lambda k: sum((p - q) ** 2 for p, q in
                                                           zip(palette[k], c)))
            cache[c] = i
        return i

    pad = b"\x00" * ((4 - w % 4) % 4)
    rows = [bytes(index(colours[y * w + x]) for x in range(w)) + pad
            for y in range(h - 1, -1, -1)]
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    pal += b"\x00" * (1024 - len(pal))
    return _bmp(w, h, 8, pal, rows)


def median_cut(colours, n):
    counts = {}
    for c in colours:
        counts[c] = counts.get(c, 0) + 1
    if len(counts) <= n:
        return sorted(counts)
    boxes = [list(counts)]
    while len(boxes) < n:
        # Split the box with the widest channel range, weighted by its pixel count.
        def score(box):
            if len(box) < 2:
                return -1
            spread = max(max(c[k] for c in box) - min(c[k] for c in box) for k in range(3))
            return spread * math.sqrt(sum(counts[c] for c in box))
        box = max(boxes, key=score)
        if score(box) <= 0:
            break
        boxes.remove(box)
        k = max(range(3), key=lambda k: max(c[k] for c in box) - min(c[k] for c in box))
        box.sort(key=lambda c: c[k])
        total = sum(counts[c] for c in box)
        acc, cut = 0, 1
        for i, c in enumerate(box):
            acc += counts[c]
            if acc >= total / 2:
                cut = max(1, min(len(box) - 1, i))
                break
        boxes += [box[:cut], box[cut:]]
    out = []
    for box in boxes:
        t = sum(counts[c] for c in box)
        out.append(tuple(int(round(sum(c[k] * counts[c] for c in box) / t)) for k in range(3)))
    return out


def ico(canvases):
    """A Windows icon with one 32-bit BMP image (alpha and AND mask) per canvas; BMP
    payloads rather than PNG so that every loader, old ones included, reads them."""
    images = []
    for c in canvases:
        raw = c.bytes_rgba()
        w, h = c.w, c.h
        xor = b"".join(bytes(b for x in range(w) for b in (
            raw[(y * w + x) * 4 + 2], raw[(y * w + x) * 4 + 1], raw[(y * w + x) * 4],
            raw[(y * w + x) * 4 + 3])) for y in range(h - 1, -1, -1))
        stride = ((w + 31) // 32) * 4
        and_rows = []
        for y in range(h - 1, -1, -1):
            bits = bytearray(stride)
            for x in range(w):
                if raw[(y * w + x) * 4 + 3] < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            and_rows.append(bytes(bits))
        info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + stride * h,
                           0, 0, 0, 0)
        images.append((w, h, info + xor + b"".join(and_rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(d for _, _, d in images)
