#!/usr/bin/env python3
"""Makes the extraction test archives with the native 7zz, and reference trees with `7zz x`.

Usage: make_fixtures.py <7zz> <output folder>

Names that 7zz will not store (absolute paths, "..", drive letters, streams, devices) are
made by archiving a placeholder of the same length with a plain (uncompressed) header and
writing the hostile name over it; the header CRCs are then recomputed.
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import zlib

SEVENZ = sys.argv[1]
OUT = os.path.abspath(sys.argv[2])
WORK = OUT + ".work"

# Fixed times (seconds since 1970) so that restored mtimes are checked against known values.
T1 = 1_500_000_000
T2 = 1_600_000_123


def run(*args, cwd=None, stdin=None):
    subprocess.run([SEVENZ, *args], cwd=cwd, input=stdin, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def write(path, data, mtime=T1, mode=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    if mode is not None:
        os.chmod(path, mode)
    os.utime(path, (mtime, mtime))


def tree(name):
    root = os.path.join(WORK, name)
    os.makedirs(root)
    return root


def archive(name, root, *switches):
    target = os.path.join(OUT, name)
    entries = sorted(os.listdir(root))
    run("a", "-t7z", *switches, target, *entries, cwd=root)
    return target


def reference(name, archive_path):
    run("x", "-y", "-o" + os.path.join(OUT, "ref", name), archive_path)


def patch_name(path, placeholder, name):
    """Overwrites an item name in a 7z archive whose header is stored plainly."""
    data = bytearray(open(path, "rb").read())
    next_offset, next_size = struct.unpack_from("<QQ", data, 12)
    start = 32 + next_offset
    header = data[start:start + next_size]
    old = placeholder.encode("utf-16-le") + b"\0\0"
    new = name.encode("utf-16-le") + b"\0\0"
    assert len(old) == len(new) and header.count(old) == 1, (path, name)
    header = header.replace(old, new)
    data[start:start + next_size] = header
    struct.pack_into("<I", data, 28, zlib.crc32(header) & 0xFFFFFFFF)
    struct.pack_into("<I", data, 8, zlib.crc32(bytes(data[12:32])) & 0xFFFFFFFF)
    open(path, "wb").write(data)


def corrupt(path, marker):
    """Flips one byte inside a stored (Copy method) payload."""
    data = bytearray(open(path, "rb").read())
    at = data.find(marker)
    assert at > 0, path
    data[at + len(marker) // 2] ^= 0xFF
    open(path, "wb").write(data)


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(OUT)

    # A good package: nested folders, an empty file and folder, a read-only file, a Chinese
    # name and enough data for several progress steps.
    root = tree("good")
    write(os.path.join(root, "readme.txt"), b"hello package\r\n", T2)
    write(os.path.join(root, "empty.dat"), b"", T1)
    write(os.path.join(root, "locked.txt"), b"read only\r\n", T2, 0o444)
    write(os.path.join(root, "\u6e38\u620f", "\u914d\u7f6e.ini"), b"[a]\r\nb=1\r\n", T1)
    write(os.path.join(root, "bin", "data", "deep", "blob.bin"),
          bytes((i * 7 + i // 251) & 0xFF for i in range(600_000)), T2)
    os.makedirs(os.path.join(root, "emptydir"))
    reference("good", archive("good.7z", root))

    # Many files and data in 1 MiB blocks, so that the library decodes on several threads
    # and calls the streams from them.
    root = tree("threads")
    noise = random.Random(1)
    write(os.path.join(root, "big.bin"), noise.randbytes(6 * 1024 * 1024), T2)
    for i in range(120):
        write(os.path.join(root, "many", "f%03d.txt" % i), (b"file %d\n" % i) * (i + 1), T1 + i)
    reference("threads", archive("threads.7z", root, "-m0=LZMA2:d=1m:c=1m", "-mmt=4"))

    # One item without a name.
    target = os.path.join(OUT, "unnamed.7z")
    run("a", "-t7z", "-si", target, stdin=b"unnamed content\n")

    # Not an archive at all: what a web server sends for a missing package.
    with open(os.path.join(OUT, "page.7z"), "wb") as f:
        f.write(b"<html><head><title>404 Not Found</title></head><body>Not Found</body></html>\n")

    # Encrypted data (names readable) and encrypted headers.
    root = tree("secret")
    write(os.path.join(root, "secret.txt"), b"top secret\n" * 100)
    archive("encdata.7z", root, "-pzel")
    archive("enchead.7z", root, "-pzel", "-mhe=on")

    # Stored, non-solid: one corrupted item among good ones, with a new version file.
    root = tree("broken")
    write(os.path.join(root, "ZelUpGame.ini"), b"[Version]\r\nVersion=2\r\n")
    write(os.path.join(root, "first.txt"), b"first file\n")
    write(os.path.join(root, "payload.bin"), b"CORRUPT-ME-" * 64)
    archive("broken.7z", root, "-m0=Copy", "-ms=off", "-mhc=off")
    corrupt(os.path.join(OUT, "broken.7z"), b"CORRUPT-ME-" * 8)

    # A good package with version files in the root and in a sub-folder.
    root = tree("version")
    write(os.path.join(root, "ZelUpGame.ini"), b"[Version]\r\nVersion=2\r\n")
    write(os.path.join(root, "game.txt"), b"game v2\n")
    write(os.path.join(root, "sub", "zelupgame.INI"), b"sub v2\n")
    archive("version.7z", root)

    # A path longer than MAX_PATH.
    root = tree("long")
    parts = ["folder%02d_abcdefghijklmnopqrstuvwxyz" % i for i in range(9)]
    write(os.path.join(root, *parts, "long.txt"), b"far down\n")
    archive("long.7z", root)

    # Hostile item names, each beside a good item.
    # The library turns "/" into the Windows separator and a stored backslash into a harmless
    # look-alike character, so the climbing forms are written with "/"; a few keep backslashes.
    hostile = {
        "dotdot": "../escaped.txt",
        "inner_dotdot": "d/../../escaped.txt",
        "trailing_dotdot": "d/../..",
        "drive": "C:/zel_escaped.txt",
        "drive_relative": "a:s",
        "rooted": "/zel_escaped.txt",
        "unc": "//srv/share/zel.txt",
        "long_prefix": "//?/C:/zel_escaped.txt",
        "stream": "ok.txt:hidden",
        "device": "NUL",
        "device_ext": "sub/com1.txt",
        "dots_only": "sub/.../x.txt",
        "backslash_dotdot": "..\\escaped.txt",
        "backslash_rooted": "\\zel_escaped.txt",
        "backslash_drive": "C:\\zel_escaped.txt",
    }
    for key, name in hostile.items():
        root = tree("hostile_" + key)
        placeholder = "Q" * len(name)
        write(os.path.join(root, "ok.txt"), b"good neighbour\n")
        write(os.path.join(root, placeholder), b"hostile\n")
        target = archive("hostile_%s.7z" % key, root, "-m0=Copy", "-mhc=off")
        patch_name(target, placeholder, name)

    # A package whose files the tests hold in use: the library itself among them.
    root = tree("inuse")
    write(os.path.join(root, "7z.dll"), b"new library\n")
    write(os.path.join(root, "data.txt"), b"new data\n")
    write(os.path.join(root, "ZelUpGame.ini"), b"[Version]\r\nVersion=2\r\n")
    archive("inuse.7z", root)

    # Opens as 7z, but the library flags its headers as broken: a signature header pointing at
    # a seven-byte header of properties that end too early.
    header = bytes([0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00])
    tail = struct.pack("<QQI", 0, len(header), zlib.crc32(header) & 0xFFFFFFFF)
    broken = b"7z\xbc\xaf\x27\x1c\x00\x04" + struct.pack("<I", zlib.crc32(tail) & 0xFFFFFFFF) + tail + header
    assert len(broken) == 39
    with open(os.path.join(OUT, "broken_headers.7z"), "wb") as f:
        f.write(broken)

    # A differential package: anti-items for files and folders the new version no longer has
    # (a version file in a sub-folder among them), beside a changed file. The installed tree
    # it applies to is "ref/anti_base".
    root = tree("anti")
    write(os.path.join(root, "game", "keep.txt"), b"keep v1\n")
    write(os.path.join(root, "game", "gone.txt"), b"gone v1\n")
    write(os.path.join(root, "game", "old", "a.txt"), b"old a\n")
    write(os.path.join(root, "game", "old", "ZelUpGame.ini"), b"[VERSION]\r\ngame_version=1\r\n")
    write(os.path.join(root, "game", "full", "b.txt"), b"full b\n")
    write(os.path.join(root, "game", "never.txt"), b"not installed\n")
    write(os.path.join(root, "Q" * 14), b"placeholder\n")
    base = os.path.join(WORK, "anti_base.7z")
    run("a", "-t7z", base, "game", "Q" * 14, cwd=root)
    reference("anti_base", base)
    for name in ("gone.txt", "never.txt", os.path.join("old", "a.txt"), os.path.join("old", "ZelUpGame.ini"),
                 os.path.join("full", "b.txt")):
        os.unlink(os.path.join(root, "game", name))
    for name in ("old", "full"):
        os.rmdir(os.path.join(root, "game", name))
    os.unlink(os.path.join(root, "Q" * 14))
    write(os.path.join(root, "game", "keep.txt"), b"keep v2\n", T2)
    run("u", base, "-u-", "-up3q3r2x2y2z0w2!" + os.path.join(OUT, "anti.7z"), "-m0=Copy", "-mhc=off", "game", cwd=root)
    # The same with one anti-item named outside the output folder.
    shutil.copy(os.path.join(OUT, "anti.7z"), os.path.join(OUT, "anti_hostile.7z"))
    patch_name(os.path.join(OUT, "anti_hostile.7z"), "Q" * 14, "../escaped.txt")

    shutil.rmtree(WORK, ignore_errors=True)


if __name__ == "__main__":
    main()
