#!/usr/bin/env python3
"""Checks the built Login.exe: a GUI program for the expected machine whose resources hold
icon 128, a common-controls v6 manifest and the dialog templates 102 and 103.

Usage: check_login_file.py LOGIN_EXE PROCESSOR
"""
import struct
import sys

MACHINES = {"i686": 0x14C, "x86_64": 0x8664, "AMD64": 0x8664}
RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_MANIFEST = 3, 5, 14, 24


def sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine, count = struct.unpack_from("<HH", data, pe + 4)
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    subsystem = struct.unpack_from("<H", data, optional + 68)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size
    found = []
    for i in range(count):
        name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", data, table + i * 40)
        found.append((va, max(vsize, rsize), raw))
    return machine, subsystem, resource_rva, found


def to_offset(rva, found):
    for va, size, raw in found:
        if va <= rva < va + size:
            return rva - va + raw
    raise ValueError("address outside the sections: %#x" % rva)


def resources(data, resource_rva, found):
    """{(type, id): bytes} of every resource with numeric type and id."""
    base = to_offset(resource_rva, found)

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", data, offset + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", data, offset + 16 + i * 8)
            yield ident, target

    result = {}
    for kind, kind_dir in entries(base):
        if kind & 0x80000000 or not kind_dir & 0x80000000:
            continue
        for ident, name_dir in entries(base + (kind_dir & 0x7FFFFFFF)):
            if ident & 0x80000000 or not name_dir & 0x80000000:
                continue
            for _, leaf in entries(base + (name_dir & 0x7FFFFFFF)):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                start = to_offset(rva, found)
                result[(kind, ident)] = data[start:start + size]
    return result


def main(path, processor):
    data = open(path, "rb").read()
    machine, subsystem, resource_rva, found = sections(data)
    problems = []
    if machine != MACHINES.get(processor, -1):
        problems.append("machine %#x for %s" % (machine, processor))
    if subsystem != 2:
        problems.append("subsystem %d, not the GUI (2)" % subsystem)
    res = resources(data, resource_rva, found) if resource_rva else {}
    if (RT_GROUP_ICON, 128) not in res:
        problems.append("no icon group 128")
    elif not any(kind == RT_ICON for kind, _ in res):
        problems.append("icon group 128 without images")
    manifest = res.get((RT_MANIFEST, 1), b"").decode("utf-8", "replace")
    if "Microsoft.Windows.Common-Controls" not in manifest or 'version="6.0.0.0"' not in manifest:
        problems.append("no common-controls v6 manifest")
    for dialog in (102, 103):
        if (RT_DIALOG, dialog) not in res:
            problems.append("no dialog template %d" % dialog)
    for problem in problems:
        print("%s: %s" % (path, problem))
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
