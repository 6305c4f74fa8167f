#!/usr/bin/env python3
"""Writes the PE checksum into a Windows executable's optional header, the
value the program recomputes from its own file at start-up.

usage: pe_checksum.py FILE
"""
import struct
import sys


def checksum_offset(image):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise SystemExit("pe_checksum: not a PE file")
    return pe + 4 + 20 + 64  # signature, file header, then 64 bytes in


def pe_checksum(image):
    """The image's 16-bit one's-complement-style sum plus its length; the
    checksum field must be zero while it is computed."""
    total = 0
    data = image + (b"\0" if len(image) % 2 else b"")
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        image = bytearray(f.read())
    field = checksum_offset(image)
    struct.pack_into("<I", image, field, 0)
    struct.pack_into("<I", image, field, pe_checksum(bytes(image)))
    with open(path, "wb") as f:
        f.write(image)


if __name__ == "__main__":
    main()
