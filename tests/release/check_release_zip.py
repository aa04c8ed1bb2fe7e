#!/usr/bin/env python3
"""Checks the release zip: exactly the exe and the guide, the exe this Release build with
the project's version in its version resource, the guide readable by Notepad and naming
every button caption of the main window."""
import re
import struct
import sys
import zipfile

GUIDE, EXE = "使い方.txt", "TorvanelInstaller.exe"
VS_FF_DEBUG = 0x1


def utf16_value(exe, key):
    """A string of the version resource: the key, NUL, padding to 4 bytes, the value."""
    at = exe.index((key + "\0").encode("utf-16-le"))
    at += len(key) * 2 + 2
    at += -at % 4
    return exe[at:exe.index(b"\0\0", at) + 1].decode("utf-16-le").rstrip("\0")


def check(zip_path, version, built_exe, source_root):
    with zipfile.ZipFile(zip_path) as archive:
        names = {i.filename if i.flag_bits & 0x800 else i.filename.encode("cp437").decode("cp932"): i
                 for i in archive.infolist()}
        assert sorted(names) == sorted([EXE, GUIDE]), f"zip holds {sorted(names)}"
        assert not names[GUIDE].flag_bits & 0x800, "guide's name flagged UTF-8, which Windows 7 garbles"
        exe, guide = archive.read(names[EXE]), archive.read(names[GUIDE])

    assert exe == open(built_exe, "rb").read(), "the zip's exe is not the exe of this build"
    fixed = exe.index(struct.pack("<I", 0xFEEF04BD))
    file_ms, file_ls, product_ms, product_ls, _, flags = struct.unpack_from("<6I", exe, fixed + 8)
    major, minor, patch = (int(n) for n in version.split("."))
    want = ((major << 16) | minor, patch << 16)
    assert (file_ms, file_ls) == want and (product_ms, product_ls) == want, "fixed version differs"
    assert not flags & VS_FF_DEBUG, "the exe is marked as a debug build"
    for key in ("FileVersion", "ProductVersion"):
        assert utf16_value(exe, key) == version, f"{key} is {utf16_value(exe, key)!r}"

    assert guide.startswith(b"\xef\xbb\xbf"), "guide lacks the UTF-8 byte-order mark"
    text = guide[3:].decode("utf-8")
    assert text.count("\n") == text.count("\r\n") == text.count("\r") > 0, "guide's lines not all CR LF"
    source = open(f"{source_root}/src/app/main_window.cpp", encoding="utf-8").read()
    captions = re.findall(r'L"BUTTON", L"([^"]+)"', source)
    assert len(captions) == 4, f"found the main window's captions {captions}"
    for caption in captions:
        assert f"「{caption}」" in text, f"guide does not name the button 「{caption}」"

    readme = open(f"{source_root}/README.md", encoding="utf-8").read()
    assert f"TorvanelInstaller-{version}.zip" in readme, "README names another release"


if __name__ == "__main__":
    check(*sys.argv[1:])
    print("release zip ok")
