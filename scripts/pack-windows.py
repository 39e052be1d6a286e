#!/usr/bin/env python3
"""Packs the zip for Windows users: pack-windows.py ROOT PROGRAMS VERSION EPOCH ZIP.

Every entry lies under marrowlight-VERSION/, in a fixed order, with the
time EPOCH and fixed attributes, so the same inputs give the same bytes.
Text written for people (the README, the documents, the licences) gets
Windows line ends, so that every Notepad shows it as lines.
"""
import os
import sys
import time
import zipfile

# The licence of each library linked into the programs, as its Debian
# package states it.
LICENCES = [
    ("zlib.txt", "libz-mingw-w64-dev"),
    ("stb.txt", "libstb-dev"),
    ("toml++.txt", "libtomlplusplus-dev"),
    ("CLI11.txt", "libcli11-dev"),
    ("mingw-w64-runtime-and-winpthreads.txt", "mingw-w64-i686-dev"),
    ("libstdc++-libgcc-runtime-exception.txt", "gcc-mingw-w64-base"),
]
DOCUMENTS = ["photo-saver.md", "manifest.md", "format.md", "applets.md", "sound-and-animation.md"]


def windows_lines(data):
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def entries(root, programs):
    """(name in the zip, bytes) of everything the package holds."""
    yield "mlshow.exe", read(os.path.join(programs, "mlshow.exe"))
    yield "marrowlight.scr", read(os.path.join(programs, "marrowlight.scr"))
    yield "README.txt", windows_lines(read(os.path.join(root, "docs", "windows", "README.txt")))
    for name in DOCUMENTS:
        yield "docs/" + name, windows_lines(read(os.path.join(root, "docs", name)))
    examples = os.path.join(root, "examples")
    for folder, subfolders, files in os.walk(examples):
        subfolders.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            yield os.path.relpath(path, root).replace(os.sep, "/"), read(path)
    for name, package in LICENCES:
        yield "licences/" + name, windows_lines(read(os.path.join("/usr/share/doc", package, "copyright")))


def main():
    root, programs, version, epoch, output = sys.argv[1:]
    when = time.gmtime(max(int(epoch), 315532800))[:6]  # a zip holds no time before 1980
    top = "marrowlight-%s/" % version
    temporary = output + ".part"
    try:
        with zipfile.ZipFile(temporary, "w") as package:
            for name, data in sorted(entries(root, programs)):
                info = zipfile.ZipInfo(top + name, date_time=when)
                info.create_system = 3  # the same on every machine that packs
                info.external_attr = 0o100644 << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                package.writestr(info, data, compresslevel=9)
        os.replace(temporary, output)
    finally:
        if os.path.exists(temporary):
            os.remove(temporary)


if __name__ == "__main__":
    main()
