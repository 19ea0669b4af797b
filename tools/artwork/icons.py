"""The seven command-button icons, drawn in the three themes.

Each glyph is drawn on a 32-unit grid as layers (role, shape, cut): "body" is the
object itself, "detail" the marks drawn over it in a contrasting colour; a cut shape
is removed from the layer (used for the crescent moon). A theme decides the colours,
the background and the projection, so the seven pictures of a theme belong together
and the three themes are told apart at a glance.
"""
import math

from raster import (Canvas, Mask, arc_points, cover, ellipse, linear, poly, radial, rect,
                    rgb, rrect, scale, stroke, transform)

# File names of the buttons' pictures, without the theme's letter prefix.
BUTTONS = ("sauve", "effacer", "connection_in", "connection_ac", "annulmodif", "sleep", "fin")


def _rotated_rect(cx, cy, length, thick, deg, t0=0.0, t1=1.0):
    """Part t0..t1 (along the length) of a rectangle centred on (cx, cy), turned by deg."""
    a = math.radians(deg)
    ux, uy = math.cos(a), math.sin(a)
    vx, vy = -uy, ux
    pts = []
    for t, s in ((t0, -1), (t1, -1), (t1, 1), (t0, 1)):
        d = (t - 0.5) * length
        pts.append((cx + ux * d + vx * s * thick / 2, cy + uy * d + vy * s * thick / 2))
    return poly(pts)


def glyph(name):
    if name == "sauve":  # a diskette
        return [
            ("body", rrect(5, 5, 27, 27, 2.5) , None),
            ("detail", rect(9, 17, 23, 27), None),
            ("detail", rect(11, 5, 21, 12), None),
            ("body", rect(17, 6.5, 19.5, 10.5), None),
        ]
    if name == "effacer":  # an eraser rubbing out a line
        return [
            ("body", stroke([(5, 27.5), (17, 27.5)], 2.2), None),
            ("body", _rotated_rect(17, 15, 22, 11, -40, 0.0, 1.0), None),
            ("detail", _rotated_rect(17, 15, 22, 11, -40, 0.40, 0.62), None),
        ]
    plug_l = rrect(6, 10, 14, 22, 2) + stroke([(1.5, 16), (7, 16)], 3.2, caps=False)
    prongs = lambda x: rect(x, 12, x + 5, 14.5) + rect(x, 17.5, x + 5, 20)  # noqa: E731
    socket = lambda x: rrect(x, 8.5, x + 9, 23.5, 2.2) + stroke(  # noqa: E731
        [(x + 8, 16), (30.5, 16)], 3.2, caps=False)
    if name == "connection_ac":  # plug pushed home into its socket
        return [
            ("body", plug_l + prongs(13.5) + socket(17.5), None),
            ("detail", rect(17.5, 15.2, 26.5, 16.8), None),
        ]
    if name == "connection_in":  # plug pulled out, a break between the two halves
        return [
            ("body", scale(plug_l, 1, -3, 0) + scale(prongs(13.5), 1, -3, 0) + socket(20.5),
             None),
            ("body", stroke([(17.2, 8), (15.6, 12)], 1.7) + stroke([(17.2, 20), (15.6, 24)], 1.7)
             + stroke([(16.4, 14.5), (16.4, 17.5)], 1.7), None),
        ]
    if name == "annulmodif":  # an undo arrow
        curve = arc_points(17, 19, 9, 180, 395, 28)
        return [
            ("body", stroke(curve, 3.6), None),
            ("body", poly([(2.5, 16), (13.5, 16), (8, 24)]), None),
        ]
    if name == "sleep":  # a crescent moon and two z
        return [
            ("body", ellipse(13, 19, 10.5), ellipse(18.5, 14.5, 8.5)),
            ("body", stroke([(18.5, 3.5), (24.5, 3.5), (18.5, 9.5), (24.5, 9.5)], 1.9), None),
            ("body", stroke([(25, 12), (29.5, 12), (25, 16.5), (29.5, 16.5)], 1.6), None),
        ]
    if name == "fin":  # the power symbol
        return [
            ("body", stroke(arc_points(16, 17.5, 10, -55, 235, 36), 3.8), None),
            ("body", stroke([(16, 3.5), (16, 15)], 3.8), None),
        ]
    raise KeyError(name)


def _layer_mask(shape, cut, size, fn):
    m = cover(transform(shape, fn), size, size)
    if cut is not None:
        m = m.minus(cover(transform(cut, fn), size, size))
    return m


def _dilated(m, r):
    out = Mask(m.w, m.h, list(m.a))
    offsets = [(dx, dy) for dx in range(-2, 3) for dy in range(-2, 3)
               if 0 < math.hypot(dx, dy) <= r + 0.01]
    for y in range(m.h):
        for x in range(m.w):
            best = m.a[y * m.w + x]
            for dx, dy in offsets:
                v = m.get(x + dx, y + dy)
                # neighbours further than r count in part, which keeps edges soft
                v *= min(1.0, r + 1 - math.hypot(dx, dy))
                if v > best:
                    best = v
            out.a[y * m.w + x] = best
    return out


# ---------------------------------------------------------------- themes

# Windows: white pictogram on a glossy coloured ball.
ORB = {"sauve": "1f6fe0", "effacer": "e0621d", "connection_in": "d0312d",
       "connection_ac": "2e9e40", "annulmodif": "e79a12", "sleep": "3a58c9", "fin": "c62828"}


def _windows(name, size):
    s = size / 32
    c = Canvas(size, size)
    base = rgb(ORB[name])
    dark = tuple(v * 0.55 for v in base[:3]) + (1.0,)
    light = tuple(v + (1 - v) * 0.55 for v in base[:3]) + (1.0,)
    c.fill(scale(ellipse(16, 16.6, 15.2), s), (0, 0, 0, 0.28))  # contact shadow
    c.fill(scale(ellipse(16, 16, 15.2), s), dark)
    c.fill(scale(ellipse(16, 16, 14.2), s),
           radial(12 * s, 9 * s, 22 * s, [(0, light), (0.55, base), (1, dark)]))
    k = 0.66

    def fn(x, y):
        return ((16 + (x - 16) * k) * s, (16.5 + (y - 16) * k) * s)
    for role, shape, cut in glyph(name):
        m = _layer_mask(shape, cut, size, fn)
        if role == "body":
            c.paint(m.shifted(0, 1) if size > 16 else m, (0, 0, 0, 0.25))
            c.paint(m, linear(0, 6 * s, 0, 26 * s, [(0, rgb("ffffff")), (1, rgb("dfe6ee"))]))
        else:
            c.paint(m, dark)
    gloss = cover(scale(ellipse(16, 9.5, 11, 7), s), size, size)
    c.paint(gloss, linear(0, 2.5 * s, 0, 16 * s, [(0, (1, 1, 1, 0.75)), (1, (1, 1, 1, 0.0))]))
    return c


# Sony: black pictogram on a brushed-silver tile with a thin dark edge.
def _sony(name, size):
    s = size / 32
    c = Canvas(size, size)
    c.fill(scale(rrect(1, 1, 31, 31, 5), s), rgb("5c5f63"))
    c.fill(scale(rrect(2, 2, 30, 30, 4.2), s),
           linear(0, 2 * s, 0, 30 * s, [(0, rgb("fbfbfb")), (0.5, rgb("d4d6d9")),
                                         (0.52, rgb("c4c7cb")), (1, rgb("e9eaec"))]))
    k = 0.7

    def fn(x, y):
        return ((16 + (x - 16) * k) * s, (16 + (y - 16) * k) * s)
    for role, shape, cut in glyph(name):
        m = _layer_mask(shape, cut, size, fn)
        c.paint(m, rgb("1b1c1e") if role == "body" else rgb("cfd2d6"))
    return c


# BeOS: a thick, slanted, outlined yellow-to-orange object with a soft shadow.
def _beos(name, size):
    s = size / 32
    c = Canvas(size, size)

    def fn(x, y):
        # a cheap isometric look: shear and squash, the picture leaning back
        u, v = x - 16, y - 16
        return ((16 + u * 0.88 - v * 0.16) * s, (16 + v * 0.8 + u * 0.14) * s)
    body = Mask(size, size)
    layers = []
    for role, shape, cut in glyph(name):
        m = _layer_mask(shape, cut, size, fn)
        layers.append((role, m))
        if role == "body":
            body = body.union(m)
    depth = max(1, round(1.3 * s))
    if size >= 32:
        c.paint(body.shifted(3, 3).blurred(1), (0, 0, 0, 0.35))
    edge = _dilated(body, 0.8 if size <= 16 else 1.1)
    c.paint(edge.shifted(depth, depth), rgb("2a1500"))  # the back face's rim
    for d in range(depth, 0, -1):
        c.paint(body.shifted(d, d), rgb("b85a00"))
    c.paint(edge.minus(body), rgb("2a1500"))
    for role, m in layers:
        if role == "body":
            c.paint(m, linear(4 * s, 4 * s, 26 * s, 28 * s,
                              [(0, rgb("fff27a")), (0.45, rgb("ffc21a")), (1, rgb("f07800"))]))
        else:
            c.paint(m, rgb("6b3300"))
    return c


THEMES = {"windows": _windows, "sony": _sony, "beos": _beos}


def render(theme, name, size):
    return THEMES[theme](name, size)
