#!/usr/bin/env python3
"""Makes the sample pictures and archive that running the program and the end-to-end tests use:

    <out>/pictures/   a folder of pictures (PNG, JPEG, GIF, BMP) with Latin and Japanese names
    <out>/sample.zip  the same pictures, some in folders, names stored as UTF-8

The pictures come from ImageMagick's built-in images and patterns; the output is the same on every
run (no time stamps in the pictures, fixed ones in the archive).
"""
import os
import shutil
import subprocess
import sys
import zipfile

out = sys.argv[1]
pictures = os.path.join(out, "pictures")
shutil.rmtree(pictures, ignore_errors=True)
os.makedirs(pictures)

# name, ImageMagick arguments (the source and its treatment; the output file follows)
SAMPLES = [
    ("landscape.png", ["-size", "320x200", "gradient:#4a78c8-#f4e4b8", "-fill", "#2f5d2f",
                       "-draw", "polygon 0,200 0,150 90,110 170,140 250,100 320,130 320,200"]),
    ("rose.jpg", ["rose:", "-resize", "280x184"]),
    ("logo.gif", ["logo:", "-resize", "320x240"]),
    ("checker.bmp", ["-size", "160x120", "pattern:checkerboard", "-type", "TrueColor"]),
    ("夕焼け.png", ["-size", "300x180", "gradient:#ff8a3d-#3b1e5e"]),
    ("薔薇.jpg", ["rose:", "-resize", "300%", "-quality", "90"]),
    ("魔法使い.gif", ["wizard:", "-resize", "50%"]),
    ("格子.bmp", ["-size", "96x96", "pattern:hexagons", "-type", "TrueColor"]),
]

for name, args in SAMPLES:
    target = os.path.join(pictures, name)
    kind = "BMP3:" if name.endswith(".bmp") else ""  # the classic header the program reads itself
    subprocess.run(["convert", *args, "-depth", "8", "-strip", "-define", "png:exclude-chunks=date,time", kind + target],
                   check=True)

# Pictures in the archive: JPEGs stored (they do not shrink), the rest deflated.
LAYOUT = {
    "landscape.png": "landscape.png",
    "rose.jpg": "photos/rose.jpg",
    "logo.gif": "photos/logo.gif",
    "checker.bmp": "checker.bmp",
    "夕焼け.png": "写真/夕焼け.png",
    "薔薇.jpg": "写真/薔薇.jpg",
    "魔法使い.gif": "写真/魔法使い.gif",
    "格子.bmp": "格子.bmp",
}
archive = os.path.join(out, "sample.zip")
with zipfile.ZipFile(archive + ".part", "w") as z:
    for i, (name, member) in enumerate(LAYOUT.items()):
        info = zipfile.ZipInfo(member, (2024, 4, 1 + i, 12, 30, 0))
        info.compress_type = zipfile.ZIP_STORED if name.endswith(".jpg") else zipfile.ZIP_DEFLATED
        with open(os.path.join(pictures, name), "rb") as f:
            z.writestr(info, f.read())
os.replace(archive + ".part", archive)
