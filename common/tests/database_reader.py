#!/usr/bin/env python3
"""Independent reader of the image database files that database_golden_tests.cpp wrote.

It parses the folder list, record and string files byte by byte, recomputes the folder CRCs and
compares everything with what the fixture tree must give. Run under ctest after common_tests, in
the Wine prefix that WINEPREFIX names (as Wine itself, ~/.wine without it).
"""
import os
import struct
import sys

ROOT = "C:\\kvtest_golden"
A = ROOT + "\\tree\\A"
SUB = A + "\\Sub"
B = ROOT + "\\tree\\B"
JAN_2020 = (1577934245 + 11644473600) * 10_000_000  # 2020-01-02 03:04:05 UTC as a FILETIME


def crc_table():
    table = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = (0xEDB88320 ^ (c >> 1)) if c & 1 else c >> 1
        table.append(c)
    return table


TABLE = crc_table()


def crc(texts):
    """Reflected CRC-32 without inversion, folded over each text in turn."""
    value = 0
    for text in texts:
        for byte in text.encode("cp1252"):
            value = TABLE[(value ^ byte) & 0xFF] ^ (value >> 8)
    return value


failures = []


def check(what, actual, expected):
    if actual != expected:
        failures.append(f"{what}: {actual!r}, expected {expected!r}")


def u32(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


def read(name):
    prefix = os.environ.get("WINEPREFIX") or os.path.expanduser("~/.wine")
    path = os.path.join(prefix, "drive_c", "kvtest_golden", name)
    with open(path, "rb") as f:
        return f.read()


def check_header(data, file_id, count, what):
    check(f"{what} size at least a header", len(data) >= 144, True)
    check(f"{what} ID", u32(data, 0), file_id)
    check(f"{what} version words", (u32(data, 4), u32(data, 8)), (100, 100))
    check(f"{what} count", u32(data, 12), count)
    check(f"{what} reserved bytes", data[16:144], bytes(128))


def check_folder_list():
    data = read("FolderList.dat")
    # Path, flag bits (IncludeSubfolders 1, AutoScan 2, UseForWallpaper 4, UseForScreenSaver 8),
    # count and CRC (directory paths and names, subfolders depth first before a folder's own files).
    expected = [
        (A, 0x7, 2, crc([SUB, "y.JPEG", A, "x.jpg"])),
        (B, 0x8, 1, crc([B, "w.jpeg"])),
    ]
    check_header(data, 0xFF550015, len(expected), "folder list")
    offset = 144
    for i, (path, flags, count, folder_crc) in enumerate(expected):
        head = data[offset:offset + 40]
        length = u32(head, 4)
        check(f"entry {i} ID", u32(head, 0), 0xFEFDFCFB)
        check(f"entry {i} length", length, len(path) + 1)
        check(f"entry {i} flags", u32(head, 8), flags)
        check(f"entry {i} reserved", (u32(head, 12), head[24:40]), (0, bytes(16)))
        check(f"entry {i} count", u32(head, 16), count)
        check(f"entry {i} CRC", hex(u32(head, 20)), hex(folder_crc))
        check(f"entry {i} path", data[offset + 40:offset + 40 + length], path.encode() + b"\0")
        offset += 40 + length
    check("folder list size", len(data), offset)


def check_image_files():
    records = read("FileListDat.dat")
    strings = read("FileListStr.dat")
    second = 10_000_000
    # Folder, name, ShownCount, ScreenSaverFlags, FileFlags, Reserved, time, size, AverageColor.
    expected = [
        (A, "x.jpg", 7, 3, 0x1 | 0x4, 0x12345678, JAN_2020, 3, 0x00112233),
        (SUB, "y.JPEG", 0, 0, 0x4, 0, JAN_2020 + second, 5, 0xFFFFFFFF),
        (B, "w.jpeg", 1, 0, 0x8, 0, JAN_2020 + 2 * second, 0, 0xFFFFFFFF),
    ]
    check_header(records, 0xFF550014, len(expected), "record file")
    check("record file size", len(records), 144 + 80 * len(expected))
    position = 0
    for i, (folder, name, shown, saver, flags, reserved, time, size, colour) in enumerate(expected):
        r = records[144 + 80 * i:144 + 80 * (i + 1)]
        check(f"record {i} ID", u32(r, 0), 0xFEFDFCFA)
        path_pos, path_len, name_pos, name_len = struct.unpack_from("<4I", r, 4)
        check(f"record {i} path position", path_pos, position)
        check(f"record {i} path length", path_len, len(folder) + 1)
        check(f"record {i} name position", name_pos, position + path_len)
        check(f"record {i} name length", name_len, len(name) + 1)
        check(f"record {i} folder text", strings[path_pos:path_pos + path_len], folder.encode() + b"\0")
        check(f"record {i} name text", strings[name_pos:name_pos + name_len], name.encode() + b"\0")
        position = name_pos + name_len
        check(f"record {i} values", struct.unpack_from("<4I", r, 20), (shown, saver, flags, reserved))
        check(f"record {i} reserved 36", u32(r, 36), 0)
        check(f"record {i} time", struct.unpack_from("<Q", r, 40)[0], time)
        check(f"record {i} size", struct.unpack_from("<2I", r, 48), (size, 0))
        check(f"record {i} colour", hex(u32(r, 56)), hex(colour))
        check(f"record {i} reserved 60", r[60:80], bytes(20))
    check("string file size", len(strings), position)


def main():
    check("CRC of abc", hex(crc(["abc"])), hex(0xCA6598D0))
    check_folder_list()
    check_image_files()
    for failure in failures:
        print("FAIL", failure)
    print(f"database_reader: {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
