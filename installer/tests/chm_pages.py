#!/usr/bin/env python3
"""Lists the files an HTML Help (.chm) archive holds, read from its own directory: the ITSF header,
the ITSP directory header and its PMGL listing chunks. Exits non-zero when the file is not such an
archive. Names are printed one a line, as the archive spells them ("/index.html").

  chm_pages.py FILE.chm
"""
import struct
import sys


def encint(data, pos):
    """A CHM variable-length number: seven bits a byte, the high bit set on all but the last."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos


def list_names(data):
    if data[:4] != b"ITSF":
        raise ValueError("no ITSF signature")
    version, = struct.unpack_from("<I", data, 4)
    if version not in (2, 3):
        raise ValueError(f"ITSF version {version}")
    # The header section table follows the two GUIDs at offset 0x38: (offset, length) pairs.
    directory_offset, = struct.unpack_from("<Q", data, 0x38 + 16)
    if data[directory_offset:directory_offset + 4] != b"ITSP":
        raise ValueError("no ITSP directory")
    header_length, = struct.unpack_from("<I", data, directory_offset + 8)
    chunk_size, = struct.unpack_from("<I", data, directory_offset + 16)
    chunk_count, = struct.unpack_from("<I", data, directory_offset + 44)
    names = []
    for index in range(chunk_count):
        start = directory_offset + header_length + index * chunk_size
        chunk = data[start:start + chunk_size]
        if chunk[:4] != b"PMGL":
            continue  # an index chunk (PMGI) repeats names of the listing chunks
        free_space, = struct.unpack_from("<I", chunk, 4)
        pos, end = 20, chunk_size - free_space
        while pos < end:
            length, pos = encint(chunk, pos)
            name = chunk[pos:pos + length].decode("utf-8")
            pos += length
            for _ in range(3):  # content section, offset, length
                _, pos = encint(chunk, pos)
            names.append(name)
    if not names:
        raise ValueError("an empty directory")
    return names


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    try:
        with open(argv[1], "rb") as f:
            names = list_names(f.read())
    except (OSError, ValueError, IndexError, struct.error, UnicodeDecodeError) as error:
        sys.exit(f"chm_pages.py: {argv[1]} is not a readable compiled help file: {error}")
    sys.stdout.write("".join(name + "\n" for name in names))


if __name__ == "__main__":
    main(sys.argv)
