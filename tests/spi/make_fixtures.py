#!/usr/bin/env python3
"""Writes the plug-in tests' fixtures into the folder given: pictures made by ImageMagick from a
source picture this script writes, and archives made by Python's zipfile and tarfile. Two lists
tell the tests what to expect:

pictures.tsv  file, reference (a binary PPM or PGM), largest difference allowed per channel, and
              "gamma" when the file holds the reference's values as linear light (HDR), which
              the decoder brings to 8 bits with gamma 1/2.2
archives.tsv  archive, member name (UTF-8), method, size, stamp (Unix seconds, or y-m-d h:m:s
              for a DOS stamp), file that holds the member's bytes

Writers differ from the plug-ins' own readers and from the tests' own writers, which is the point.
"""
import io
import os
import subprocess
import sys
import tarfile
import time
import zipfile

out = sys.argv[1]
os.makedirs(os.path.join(out, "members"), exist_ok=True)


def path(name):
    return os.path.join(out, name)


# Source pictures: odd sizes so that rows need padding, at most 216 colours so that GIF keeps them.
def write_sources():
    w, h = 37, 23
    rgb, grey = bytearray(), bytearray()
    for y in range(h):
        for x in range(w):
            i = (x * 7 + y * 13) % 216
            rgb += bytes([(i // 36) * 51, ((i // 6) % 6) * 51, (i % 6) * 51])
            grey.append((x * 11 + y * 5) % 256)
    with open(path("source.ppm"), "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h) + rgb)
    with open(path("source.pgm"), "wb") as f:
        f.write(b"P5\n%d %d\n255\n" % (w, h) + grey)
    # Smooth ones for the lossy JPEG, whose error grows with detail.
    smooth, smooth_grey = bytearray(), bytearray()
    for y in range(h):
        for x in range(w):
            smooth += bytes([x * 255 // (w - 1), y * 255 // (h - 1), 128])
            smooth_grey.append((x + y) * 255 // (w + h - 2))
    with open(path("smooth.ppm"), "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h) + smooth)
    with open(path("smooth.pgm"), "wb") as f:
        f.write(b"P5\n%d %d\n255\n" % (w, h) + smooth_grey)


def convert(source, target, *options):
    # A "PNG48:" in front of the file name picks ImageMagick's writer.
    kind, _, name = target.rpartition(":")
    subprocess.run(["convert", path(source), *options, (kind + ":" if kind else "") + path(name)], check=True)


def write_pictures():
    write_sources()
    pictures = [
        # file, made from, options, tolerance
        ("im_interlaced.png", "source.ppm", ["-interlace", "PNG"], 0),
        ("im_palette.png", "source.ppm", [], 0),
        ("PNG48:im_16bit.png", "source.ppm", [], 0),
        ("im_grey.png", "source.pgm", [], 0),
        ("im.gif", "source.ppm", [], 0),
        # ImageMagick 6 writes TGA rows top first whatever the orientation it records; top-left
        # is the one it records right.
        ("im_rle.tga", "source.ppm", ["-compress", "RLE", "-orient", "TopLeft"], 0),
        ("im.psd", "source.ppm", [], 0),
        ("im_grey.pgm", "source.pgm", [], 0),
        ("im_baseline.jpg", "smooth.ppm", ["-quality", "95"], 8),
        ("im_progressive.jpg", "smooth.ppm", ["-quality", "95", "-interlace", "Plane"], 8),
        ("im_grey.jpg", "smooth.pgm", ["-quality", "95"], 8),
        ("im.hdr", "source.ppm", [], 3),
        ("im_lzw.tif", "source.ppm", ["-compress", "LZW"], 0),
        ("im_grey.tif", "source.pgm", ["-compress", "Zip"], 0),
        ("im.ico", "source.ppm", [], 0),
    ]
    lines = []
    for target, source, options, tolerance in pictures:
        convert(source, target, *options)
        name = target.split(":")[-1]
        transfer = "gamma" if name.endswith(".hdr") else "none"
        lines.append(f"{name}\t{source}\t{tolerance}\t{transfer}\n")
    # The source itself, as a binary PPM this script wrote.
    lines.append("source.ppm\tsource.ppm\t0\tnone\n")
    with open(path("pictures.tsv"), "w", encoding="utf-8") as f:
        f.writelines(lines)


manifest = []
member_count = 0


def member_bytes(index, size):
    # Compressible but not trivial: runs and counting bytes.
    return bytes(((i // 7) * 3 + index * 11 + (i % 5)) % 251 for i in range(size))


def note(archive, name, method, data, stamp):
    global member_count
    member_count += 1
    data_file = f"members/{member_count}.bin"
    with open(path(data_file), "wb") as f:
        f.write(data)
    manifest.append(f"{archive}\t{name}\t{method}\t{len(data)}\t{stamp}\t{data_file}\n")


def write_zip():
    name = "py.zip"
    members = [
        ("readme.txt", zipfile.ZIP_STORED, 300),
        ("pictures/photo.bin", zipfile.ZIP_DEFLATED, 70000),
        ("pictures/deeper/empty.bin", zipfile.ZIP_DEFLATED, 0),
        ("pictures/stored-empty.bin", zipfile.ZIP_STORED, 0),
        ("日本語/写真.bin", zipfile.ZIP_DEFLATED, 5000),
        ("café.txt", zipfile.ZIP_STORED, 40),
    ]
    with zipfile.ZipFile(path(name), "w") as z:
        z.comment = b"written by Python's zipfile"
        z.writestr(zipfile.ZipInfo("pictures/", (2020, 1, 2, 3, 4, 6)), b"")  # a folder entry
        for i, (member, method, size) in enumerate(members):
            stamp = (2021, 3, 4 + i, 5, 6, 8)
            info = zipfile.ZipInfo(member, stamp)
            info.compress_type = method
            data = member_bytes(i, size)
            z.writestr(info, data)
            note(name, member, "Deflate" if method == zipfile.ZIP_DEFLATED else "Store", data,
                 "%04d-%02d-%02d %02d:%02d:%02d" % stamp)


def write_tar(name, fmt, members):
    with tarfile.open(path(name), "w", format=fmt) as t:
        folder = tarfile.TarInfo("folder")
        folder.type = tarfile.DIRTYPE
        folder.mtime = 1600000000
        t.addfile(folder)
        for i, member in enumerate(members):
            data = member_bytes(i + 20, 700 * i + 1)
            info = tarfile.TarInfo(member)
            info.size = len(data)
            info.mtime = 1700000000 + 3600 * i
            t.addfile(info, io.BytesIO(data))
            note(name, member, "-tar-", data, str(info.mtime))
        link = tarfile.TarInfo("folder/link")
        link.type = tarfile.SYMTYPE
        link.linkname = members[0]
        t.addfile(link)


def write_tars():
    long_folder = "a-folder-name-that-is-long/" * 5
    write_tar("py_pax.tar", tarfile.PAX_FORMAT,
              ["folder/plain.bin", "日本語/名前.bin", long_folder + "long-name.bin", "x" * 120])
    write_tar("py_gnu.tar", tarfile.GNU_FORMAT, ["gnu/plain.bin", long_folder + "gnu-long.bin"])
    write_tar("py_ustar.tar", tarfile.USTAR_FORMAT, ["ustar/plain.bin", long_folder + "split.bin"])


write_pictures()
write_zip()
write_tars()
with open(path("archives.tsv"), "w", encoding="utf-8") as f:
    f.writelines(manifest)
