#!/usr/bin/env python3
"""Writes the release zip: the given files side by side, no folder inside.

Entry names are stored in code page 932 without the zip's UTF-8 flag, since the
zip folders of Windows 7 ignore that flag and show UTF-8 names garbled, while every
Japanese Windows reads unflagged names in code page 932. A Unicode Path extra field
(0x7075) carries the UTF-8 name for tools that read it.
"""
import argparse
import os
import struct
import time
import zipfile
import zlib


class Cp932Entry(zipfile.ZipInfo):
    __slots__ = ()

    def _encodeFilenameFlags(self):  # how zipfile encodes a name for both headers
        return self.filename.encode("cp932"), self.flag_bits & ~0x800


def entry_for(path):
    info = Cp932Entry(os.path.basename(path), time.localtime(os.path.getmtime(path))[:6])
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 0  # MS-DOS attributes: Windows sees an ordinary file
    if not info.filename.isascii():
        raw = info.filename.encode("cp932")
        data = struct.pack("<BI", 1, zlib.crc32(raw)) + info.filename.encode("utf-8")
        info.extra = struct.pack("<HH", 0x7075, len(data)) + data
    return info


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("zip", help="the zip to write")
    parser.add_argument("files", nargs="+", help="files to put in it")
    args = parser.parse_args()
    temporary = args.zip + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        for path in args.files:
            with open(path, "rb") as source:
                archive.writestr(entry_for(path), source.read())
    os.replace(temporary, args.zip)


if __name__ == "__main__":
    main()
