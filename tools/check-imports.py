#!/usr/bin/env python3
"""Fails when a shipped program or library imports a DLL that a clean Windows does not have.

Usage: check-imports.py OBJDUMP FILE...

Wine ships many DLLs that Windows does not (zlib1, libwinpthread-1, libstdc++-6...), so a
program that needs one runs here and fails on a player's machine: only the system's own DLLs
may appear in the import tables.
"""
import subprocess
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "gdiplus.dll", "msimg32.dll", "comctl32.dll",
    "comdlg32.dll", "imm32.dll", "ole32.dll", "oleaut32.dll", "olepro32.dll", "shell32.dll",
    "shlwapi.dll", "advapi32.dll", "wininet.dll", "ws2_32.dll", "crypt32.dll", "bcrypt.dll",
    "secur32.dll", "winmm.dll", "msvcrt.dll", "version.dll", "uxtheme.dll", "ntdll.dll",
    "urlmon.dll", "rpcrt4.dll", "iphlpapi.dll", "normaliz.dll", "wldap32.dll", "psapi.dll",
}


def imports(objdump, path):
    out = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
    return [line.split(":", 1)[1].strip() for line in out.splitlines()
            if line.strip().startswith("DLL Name:")]


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    objdump, files = argv[1], argv[2:]
    bad = 0
    for path in files:
        names = imports(objdump, path)
        if not names:
            print(f"{path}: no import table found")
            bad += 1
            continue
        foreign = [n for n in names if n.lower() not in SYSTEM_DLLS]
        if foreign:
            print(f"{path}: imports non-system DLLs: {', '.join(foreign)}")
            bad += 1
        else:
            print(f"{path}: ok ({', '.join(sorted(n.lower() for n in names))})")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
