#!/usr/bin/env python3
"""Reads a built ZelLoader.exe and checks what the shell and the loader see: the machine,
the GUI subsystem, icon 107, the manifest (common controls 6, asInvoker) and that it needs
no DLL beside it.
Usage: check_program_file.py EXE i686|x86_64"""
import struct
import sys
import unittest

EXE, ARCH = sys.argv[1], sys.argv[2]
del sys.argv[1:3]

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
               "oleaut32.dll", "wininet.dll", "crypt32.dll", "ws2_32.dll", "bcrypt.dll", "secur32.dll",
               "winmm.dll", "msvcrt.dll", "comctl32.dll", "shlwapi.dll", "imm32.dll", "gdiplus.dll",
               "msimg32.dll", "ntdll.dll", "uxtheme.dll", "version.dll", "normaliz.dll", "iphlpapi.dll",
               "comdlg32.dll", "wldap32.dll", "rpcrt4.dll"}


class PeFile:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0"
        self.machine, nsect, _, _, _, opt_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        dirs = opt + (96 if magic == 0x10B else 112)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsect):
            s = opt + opt_size + 40 * i
            vsize, va, rsize, raw = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, rsize), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise ValueError("rva outside the sections")

    def cstring(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("ascii")

    def imports(self):
        rva = self.dirs[1][0]
        names = []
        while rva:
            name_rva = struct.unpack_from("<5I", self.data, self.offset(rva))[3]
            if not name_rva:
                break
            names.append(self.cstring(name_rva).lower())
            rva += 20
        return names

    def resources(self):
        """{(type, id): data} for the first language of each resource."""
        base = self.dirs[2][0]
        out = {}

        def entries(rva):
            o = self.offset(rva)
            named, ids = struct.unpack_from("<HH", self.data, o + 12)
            for i in range(named + ids):
                key, target = struct.unpack_from("<II", self.data, o + 16 + 8 * i)
                yield key, target

        for rtype, t in entries(base):
            for rid, n in entries(base + (t & 0x7FFFFFFF)):
                for _, leaf in entries(base + (n & 0x7FFFFFFF)):
                    data_rva, size = struct.unpack_from("<II", self.data, self.offset(base + leaf))
                    o = self.offset(data_rva)
                    out[(rtype, rid)] = self.data[o:o + size]
                    break
        return out


class ProgramFile(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(EXE, "rb") as f:
            cls.pe = PeFile(f.read())

    def test_machine_and_subsystem(self):
        self.assertEqual(self.pe.machine, {"i686": 0x14C, "x86_64": 0x8664}[ARCH])
        self.assertEqual(self.pe.subsystem, 2, "not a GUI program")

    def test_needs_only_system_dlls(self):
        self.assertEqual([d for d in self.pe.imports() if d not in SYSTEM_DLLS and not d.startswith("api-ms-")], [])

    def test_icon_and_manifest(self):
        res = self.pe.resources()
        self.assertIn((14, 107), res, "no icon group 107")
        manifest = res.get((24, 1), b"").decode("utf-8")
        self.assertRegex(manifest, r'Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0"')
        self.assertIn('level="asInvoker"', manifest)


if __name__ == "__main__":
    unittest.main()
