"""Text glyphs for the pictures, rendered by ImageMagick into coverage masks.

Python's standard library has no font rasteriser; ImageMagick's is good and the
package is installed on demand. Fonts are the DejaVu family (fonts-dejavu-core).
"""
import os
import shutil
import subprocess

from raster import Mask

FONTS = {
    "sans": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "bold": "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "condensed-bold": "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
    "serif-bold": "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
    "oblique": "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf",
}


def ensure_tools():
    missing = []
    if not shutil.which("convert"):
        missing.append("imagemagick")
    if not all(os.path.exists(f) for f in FONTS.values()):
        missing.append("fonts-dejavu-core")
        missing.append("fonts-dejavu-extra")
    if missing:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.run(sudo + ["apt-get", "update", "-q"], check=True)
        subprocess.run(sudo + ["apt-get", "install", "-y", "-q"] + missing, check=True)


def label(text, font="sans", size=12, kerning=0):
    """The text as a coverage mask, tightly cropped vertically to the font's line box."""
    args = ["convert", "-background", "black", "-fill", "white", "-font", FONTS[font],
            "-pointsize", str(size), "-kerning", str(kerning), "label:" + text]
    dims = subprocess.run(args + ["-format", "%w %h", "info:"], check=True,
                          capture_output=True, text=True).stdout.split()
    w, h = int(dims[0]), int(dims[1])
    gray = subprocess.run(args + ["-depth", "8", "gray:-"], check=True,
                          capture_output=True).stdout
    return Mask(w, h, [v / 255 for v in gray])
