#!/usr/bin/env python3
"""Makes the zip archives the zip-layer tests read: python3 zipfile for exact control of
names, attributes and extra fields, Info-ZIP zip for what a real packer writes.

usage: make_zip_fixtures.py <zip-program> <output-folder>
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

zip_program, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)

DOS_TIME = (2020, 1, 2, 3, 4, 6)
UT_MTIME, UT_ATIME, UT_CTIME = 1000000000, 1100000000, 1200000000


def pattern(n, mul=7, add=3):
    return bytes((i * mul + add) % 251 for i in range(n))


def entry(name, external_attr=0, create_system=0, extra=b"", method=zipfile.ZIP_DEFLATED):
    info = zipfile.ZipInfo(name, DOS_TIME)
    info.external_attr = external_attr
    info.create_system = create_system
    info.extra = extra
    info.compress_type = method
    return info


# The skin archive: nested names, a 100-byte entry, one larger than an inflate block, folders.
with zipfile.ZipFile(os.path.join(out, "skin.zip"), "w") as z:
    z.writestr(entry("skin/main.xml"), b"<Window><Label text=\"hello\"/></Window>")
    z.writestr(entry("skin/img/a.bin"), bytes(range(100)))
    z.writestr(entry("big.bin"), pattern(100000))
    z.writestr(entry("dir/", external_attr=0x10), b"")
    z.writestr(entry("dir/sub/file.txt"), b"inside")
    z.writestr(entry("empty.txt"), b"")

# Attribute mapping: DOS tools leave the high word zero, Unix tools keep the mode there.
attrs = [
    ("dos-plain.txt", 0x00, 0),
    ("dos-readonly.txt", 0x01, 0),
    ("dos-hidden.txt", 0x02, 0),
    ("dos-system.txt", 0x04, 0),
    ("dos-archive.txt", 0x20, 0),
    ("unix-rw.txt", (0o100644 << 16), 3),
    ("unix-ro.txt", (0o100444 << 16), 3),
    ("unix-dir/", (0o040755 << 16), 3),
]
with zipfile.ZipFile(os.path.join(out, "attrs.zip"), "w") as z:
    for name, attr, system in attrs:
        z.writestr(entry(name, attr, system), b"" if name.endswith("/") else b"x")

# Extended time stamps: all three, only the modification time, and a block that claims more
# bytes than the field holds.
ut_all = struct.pack("<HHB3I", 0x5455, 13, 7, UT_MTIME, UT_ATIME, UT_CTIME)
ut_mtime = struct.pack("<HHBI", 0x5455, 5, 1, UT_MTIME)
ut_short = struct.pack("<HHBI", 0x5455, 13, 7, UT_MTIME)
other_then_ut = struct.pack("<HH4s", 0xCAFE, 4, b"abcd") + ut_all
with zipfile.ZipFile(os.path.join(out, "times.zip"), "w") as z:
    z.writestr(entry("all.txt", extra=ut_all), b"a")
    z.writestr(entry("mtime.txt", extra=ut_mtime), b"m")
    z.writestr(entry("short.txt", extra=ut_short), b"s")
    z.writestr(entry("after.txt", extra=other_then_ut), b"o")
    z.writestr(entry("dos.txt"), b"d")

# Damaged data: a stored entry with one byte changed after its checksum was written.
path = os.path.join(out, "crc.zip")
payload = pattern(100, 3, 1)
with zipfile.ZipFile(path, "w") as z:
    z.writestr(entry("bad.bin", method=zipfile.ZIP_STORED), payload)
    z.writestr(entry("good.bin", method=zipfile.ZIP_STORED), payload)
data = bytearray(open(path, "rb").read())
at = data.find(payload)
data[at + 50] ^= 0xFF
open(path, "wb").write(bytes(data))

# Entry names that try to leave the extraction folder.
with zipfile.ZipFile(os.path.join(out, "slip.zip"), "w") as z:
    z.writestr(entry("../evil.txt"), b"evil")
    z.writestr(entry("ok.txt"), b"ok")

# Not an archive at all.
with open(os.path.join(out, "notzip.zip"), "wb") as f:
    f.write(b"PK this is not a zip archive" * 10)

# What Info-ZIP writes for a read-only file with known times.
work = tempfile.mkdtemp()
try:
    src = os.path.join(work, "infozip.txt")
    with open(src, "wb") as f:
        f.write(b"written by Info-ZIP\n")
    os.utime(src, (UT_ATIME, UT_MTIME))
    os.chmod(src, 0o444)
    target = os.path.join(out, "infozip.zip")
    if os.path.exists(target):
        os.remove(target)
    subprocess.run([zip_program, "-q", target, "infozip.txt"], cwd=work, check=True)
finally:
    for root, _, files in os.walk(work):
        for name in files:
            os.chmod(os.path.join(root, name), 0o644)
    shutil.rmtree(work)
