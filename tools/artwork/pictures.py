"""The program's pictures other than the theme icons: splash, about box, dialog
icons, browse pictures and the program's own icon.

Shared look: a deep blue band with the name in white, a cream area where text is
written, and the orange of the main window's separator lines.
"""
import math

import text
from raster import (Canvas, Mask, arc_points, cover, ellipse, linear, poly, radial, rect, rgb,
                    rrect, scale, stroke)

WINDOW = rgb("ece9d8")       # background of every window
CREAM = rgb("fbf6e4")        # where status and credits text is written
NAVY_TOP = rgb("0b2a5c")
NAVY_BOTTOM = rgb("1d5aa8")
ORANGE = rgb("ff8000")       # the main window's separator lines
BROWN = rgb("804000")        # the status text colour


def _text(c, mask, x, y, colour):
    c.paint(mask, colour, int(round(x)), int(round(y)))


def _network(c, nodes, links, line, node_fill, node_edge, r=3.0):
    """A small network: links drawn under round nodes."""
    for a, b in links:
        c.fill(stroke([nodes[a], nodes[b]], 1.3), line)
    for i, (x, y) in enumerate(nodes):
        rr = r * (1.35 if i == 0 else 1.0)
        c.fill(ellipse(x, y, rr + 1), node_edge)
        c.fill(ellipse(x, y, rr), radial(x - rr / 2, y - rr / 2, rr * 2,
                                         [(0, rgb("ffffff")), (1, node_fill)]))


def _band(c, h):
    c.fill(rect(0, 0, c.w, h), linear(0, 0, 0, h, [(0, NAVY_TOP), (1, NAVY_BOTTOM)]))
    # faint diagonal lines give the band some texture
    for x in range(-60, c.w + 60, 9):
        c.fill(stroke([(x, h), (x + h * 0.6, 0)], 0.8, caps=False), (1, 1, 1, 0.05))


def _logo(c, x, y, size):
    """QUILBERT in white with a drop shadow, and the version in orange."""
    word = text.label("QUILBERT", "bold", size, kerning=1)
    c.paint(word.blurred(1), (0, 0, 0, 0.55), int(x) + 1, int(y) + 2)
    c.paint(word, linear(0, y, 0, y + word.h, [(0, rgb("ffffff")), (1, rgb("cfe0f5"))]),
            int(x), int(y))
    ver = text.label("2.0", "bold", max(8, size // 2))
    c.paint(ver, ORANGE, int(x + word.w + 3), int(y + word.h - ver.h - size * 0.12))
    return word.w + 3 + ver.w


def _drive(c, x, y, w, h):
    """A network drive: a silver box with a green light, on a cable."""
    c.fill(rrect(x, y, x + w, y + h, 2), rgb("3b3f45"))
    c.fill(rrect(x + 1, y + 1, x + w - 1, y + h - 1, 1.5),
           linear(0, y, 0, y + h, [(0, rgb("f4f6f8")), (1, rgb("a9b0b8"))]))
    c.fill(rect(x + 3, y + h * 0.55, x + w - 9, y + h * 0.55 + 1.2), rgb("6a7178"))
    c.fill(ellipse(x + w - 5, y + h / 2 + 0.5, 1.8), rgb("20d040"))


def splash():
    c = Canvas(222, 78, CREAM)
    _band(c, 42)
    c.fill(rect(0, 41, 222, 43), ORANGE)
    _logo(c, 8, 5, 20)
    # Three network drives under the name rather than words: the status
    # window speaks the configuration's language, the picture none.
    for i in range(3):
        _drive(c, 12 + i * 22, 29, 18, 8)
    nodes = [(190, 20), (170, 8), (212, 9), (211, 33), (170, 33), (156, 20)]
    links = [(0, 1), (0, 2), (0, 3), (0, 4), (1, 5), (4, 5), (2, 3)]
    _network(c, nodes, links, rgb("8fb7ea"), rgb("ffb347"), rgb("0b2a5c"))
    # a faint rule framing the status text area (pixels 4,44 to 217,73)
    c.fill(rrect(2, 45, 220, 76, 4), rgb("e9dcb8"))
    c.fill(rrect(3, 46, 219, 75, 3.5), CREAM)
    return c


def about_banner():
    c = Canvas(222, 53, CREAM)
    _band(c, 50)
    c.fill(rect(0, 50, 222, 53), ORANGE)
    _logo(c, 10, 11, 22)
    nodes = [(199, 24), (186, 10), (213, 9), (212, 39), (185, 39)]
    _network(c, nodes, [(0, 1), (0, 2), (0, 3), (0, 4), (1, 4)], rgb("8fb7ea"), rgb("ffb347"),
             rgb("0b2a5c"), r=2.6)
    return c


PANEL_TEXT_LEFT = 16   # Picture4 sits 240 twips inside the panel
PANEL_TEXT_WIDTH = 193


def about_panel():
    c = Canvas(222, 156, CREAM)
    # a network cable down each margin, with a drive letter at every node
    for x in (7, 214):
        c.fill(stroke([(x, 0), (x, 156)], 1.6, caps=False), rgb("c9b98e"))
        for i, y in enumerate(range(14, 156, 26)):
            c.fill(ellipse(x, y, 4.2), rgb("b35a00"))
            c.fill(ellipse(x, y, 3.2), ORANGE if (i + (x > 100)) % 2 else rgb("1d5aa8"))
    return c


def about_strip():
    c = Canvas(222, 13, CREAM)
    c.fill(rect(0, 0, 222, 2), ORANGE)
    c.fill(rect(0, 2, 222, 13), linear(0, 2, 0, 13, [(0, NAVY_BOTTOM), (1, NAVY_TOP)]))
    for i, x in enumerate(range(6, 222, 12)):
        c.fill(ellipse(x + 0.5, 7.5, 1.6), rgb("ffb347") if i % 4 == 0 else rgb("5f8fd0"))
    return c


CREDITS = {
    "fr": [
        ("title", "QUILBERT 2.0"),
        ("sub", "Connecteurs de lecteurs réseau"),
        ("gap", ""),
        ("text", "Vos lecteurs réseau, de A à Z,"),
        ("text", "réunis en un seul endroit et"),
        ("text", "reconnectés à chaque ouverture"),
        ("text", "de session."),
        ("gap", ""),
        ("head", "Conception et programmation"),
        ("name", "Bertille Quenardel"),
        ("gap", ""),
        ("head", "Icônes et illustrations"),
        ("name", "L'atelier Quilbert"),
        ("gap", ""),
        ("head", "Traduction anglaise"),
        ("name", "Bertille Quenardel"),
        ("gap", ""),
        ("head", "Merci"),
        ("text", "aux administrateurs qui ont"),
        ("text", "essayé les premières versions"),
        ("text", "sur leurs postes de travail."),
        ("gap", ""),
        ("small", "Cliquez pour fermer."),
    ],
    "gb": [
        ("title", "QUILBERT 2.0"),
        ("sub", "Network drive mappings"),
        ("gap", ""),
        ("text", "Your network drives, A to Z,"),
        ("text", "kept in one place and connected"),
        ("text", "again every time you log on."),
        ("gap", ""),
        ("head", "Design and programming"),
        ("name", "Bertille Quenardel"),
        ("gap", ""),
        ("head", "Icons and artwork"),
        ("name", "The Quilbert workshop"),
        ("gap", ""),
        ("head", "French to English"),
        ("name", "Bertille Quenardel"),
        ("gap", ""),
        ("head", "Thanks"),
        ("text", "to the administrators who tried"),
        ("text", "the first versions on their"),
        ("text", "workstations."),
        ("gap", ""),
        ("small", "Click to close."),
    ],
}

STYLE = {  # font, size, colour, space after
    "title": ("bold", 15, NAVY_TOP, 1),
    "sub": ("oblique", 9, rgb("1d5aa8"), 2),
    "text": ("sans", 9, rgb("333333"), 1),
    "head": ("bold", 9, BROWN, 1),
    "name": ("sans", 9, rgb("0b2a5c"), 1),
    "small": ("oblique", 8, rgb("666666"), 0),
}


def about_credits(lang):
    """The scrolling language picture: as wide as the panel's text column, taller than
    the panel, on the panel's own background so that its edges do not show."""
    lines = []
    for kind, words in CREDITS[lang]:
        if kind == "gap":
            lines.append((None, 8))
            continue
        font, size, colour, after = STYLE[kind]
        m = text.label(words, font, size)
        if m.w > PANEL_TEXT_WIDTH - 4:
            raise SystemExit(f"credits line too wide ({m.w} px): {words}")
        lines.append(((m, colour, kind), m.h + after))
    height = 12 + sum(h for _, h in lines) + 12
    c = Canvas(PANEL_TEXT_WIDTH, height, CREAM)
    y = 12
    for item, h in lines:
        if item:
            m, colour, kind = item
            _text(c, m, (PANEL_TEXT_WIDTH - m.w) / 2, y, colour)
            if kind == "sub":  # an orange rule under the subtitle
                c.fill(rect(40, y + m.h + 1, PANEL_TEXT_WIDTH - 40, y + m.h + 2.2), ORANGE)
        y += h
    return c


# ---------------------------------------------------------------- dialog icons

def dialog_warning():
    c = Canvas(48, 48)
    tri = [(24, 3), (46, 43), (2, 43)]
    shadow = cover(stroke(tri, 5, closed=True) + poly(tri), 48, 48).shifted(1, 2).blurred(1)
    c.paint(shadow, (0, 0, 0, 0.3))
    c.fill(stroke(tri, 5, closed=True) + poly(tri), rgb("6b4a00"))
    c.fill(stroke(tri, 2.6, closed=True) + poly(tri),
           linear(0, 4, 0, 44, [(0, rgb("fff3a0")), (0.5, rgb("ffd21f")), (1, rgb("f0a800"))]))
    c.fill(poly([(24, 15), (27.2, 16.5), (25.6, 32), (22.4, 32), (20.8, 16.5)]), rgb("1a1a1a"))
    c.fill(ellipse(24, 37, 2.7), rgb("1a1a1a"))
    return c


def dialog_info():
    c = Canvas(48, 48)
    bubble = rrect(2, 3, 46, 35, 11) + poly([(12, 30), (24, 30), (9, 45)])
    c.paint(cover(bubble, 48, 48).shifted(1, 2).blurred(1), (0, 0, 0, 0.3))
    edge = bubble + stroke([(12, 30), (24, 30), (9, 45)], 2.6, closed=True) + rrect(
        0.8, 1.8, 47.2, 36.2, 12)
    c.fill(edge, rgb("1f4f93"))
    c.fill(bubble, linear(0, 3, 0, 45, [(0, rgb("ffffff")), (1, rgb("c9dcf5"))]))
    # a lowercase i: a dot, a stem with a foot and a flag
    blue = linear(0, 8, 0, 31, [(0, rgb("2f7de0")), (1, rgb("123f8a"))])
    c.fill(ellipse(24.5, 10.5, 3), blue)
    c.fill(poly([(20.5, 15.5), (26.8, 15.5), (26.8, 28), (29, 28), (29, 30.5), (20, 30.5),
                 (20, 28), (22.3, 28), (22.3, 18), (20.5, 18)]), blue)
    return c


# ---------------------------------------------------------------- browse pictures

def _folder(c, x, y, back, front, edge):
    c.fill(poly([(x, y + 1), (x + 4, y + 1), (x + 5.5, y + 2.5), (x + 11, y + 2.5),
                 (x + 11, y + 10), (x, y + 10)]), edge)
    c.fill(poly([(x + 0.8, y + 1.8), (x + 3.7, y + 1.8), (x + 5.2, y + 3.3), (x + 10.2, y + 3.3),
                 (x + 10.2, y + 9.2), (x + 0.8, y + 9.2)]), back)
    c.fill(poly([(x + 0.8, y + 4.6), (x + 10.2, y + 4.6), (x + 10.2, y + 9.2),
                 (x + 0.8, y + 9.2)]), front)


def browse(kind):
    """21 x 13 pictures of the browse buttons: 1 row without a path (a folder and a
    magnifier: look for a share), 2 row with a path (the folder on its network cable:
    a share is set), 3 browsing unavailable (1, greyed)."""
    c = Canvas(21, 13, WINDOW)
    if kind == 2:
        _folder(c, 3, 0, rgb("ffe28a"), rgb("f5b83a"), rgb("8a5a00"))
        c.fill(stroke([(8.5, 10), (8.5, 11.5)], 1.2, caps=False), rgb("3a3a3a"))
        c.fill(stroke([(1.5, 11.8), (19.5, 11.8)], 1.3, caps=False), rgb("1d5aa8"))
        c.fill(ellipse(17, 5, 2.6), rgb("2e9e40"))
        c.fill(stroke([(15.8, 5), (16.8, 6), (18.4, 3.9)], 0.9, caps=False), rgb("ffffff"))
        return c
    grey = kind == 3
    _folder(c, 1, 1.5, rgb("e4e2da") if grey else rgb("ffe28a"),
            rgb("c9c6bc") if grey else rgb("f5b83a"), rgb("9a978e") if grey else rgb("8a5a00"))
    lens = rgb("b5b2a8") if grey else rgb("1d5aa8")
    c.fill(stroke([(16.3, 8.3), (19.5, 11.5)], 2.2), rgb("a8a59c") if grey else rgb("5a3000"))
    c.fill(ellipse(14, 6, 4), lens)
    c.fill(ellipse(14, 6, 2.7), rgb("f4f3ee") if grey else rgb("cfe6ff"))
    c.fill(ellipse(13.2, 5.2, 1), (1, 1, 1, 0.9))
    return c


# ---------------------------------------------------------------- program icon

def program_icon(size):
    """A network drive on its cable, with the orange Q of Quilbert."""
    s = size / 48
    c = Canvas(size, size)
    u = lambda shape: scale(shape, s)  # noqa: E731
    if size > 16:
        c.paint(cover(u(rrect(4, 8, 44, 30, 4)), size, size).shifted(1, 2).blurred(1),
                (0, 0, 0, 0.3))
    # cable and network bar
    c.fill(u(rect(22, 28, 26, 38)), rgb("2b2f35"))
    c.fill(u(rrect(5, 37, 43, 43, 2)), rgb("0b2a5c"))
    c.fill(u(rrect(6, 38, 42, 42, 1.5)), linear(0, 38 * s, 0, 42 * s,
                                               [(0, rgb("5f8fd0")), (1, rgb("1d5aa8"))]))
    # the drive box
    c.fill(u(rrect(4, 8, 44, 30, 4)), rgb("2b2f35"))
    c.fill(u(rrect(5.5, 9.5, 42.5, 28.5, 3)),
           linear(0, 9 * s, 0, 29 * s, [(0, rgb("ffffff")), (0.5, rgb("d6dbe1")),
                                         (1, rgb("9aa2ab"))]))
    c.fill(u(rect(9, 21, 30, 23.2)), rgb("6a7178"))
    c.fill(u(ellipse(37, 22, 2.6)), rgb("1a9e32"))
    c.fill(u(ellipse(37, 22, 1.7)), rgb("5cff7a"))
    # the Q badge
    c.fill(u(ellipse(13, 12, 11.5)), rgb("8a3d00"))
    c.fill(u(ellipse(13, 12, 10.3)), radial(10 * s, 8 * s, 14 * s,
                                            [(0, rgb("ffd08a")), (0.6, ORANGE),
                                             (1, rgb("d35c00"))]))
    ring = stroke(arc_points(13, 11.5, 5.2, 0, 360, 32), 2.6 if size > 16 else 3.2, closed=True)
    c.fill(u(ring + stroke([(15.5, 14), (19, 18)], 2.8 if size > 16 else 3.4)), rgb("ffffff"))
    return c
