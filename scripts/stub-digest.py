#!/usr/bin/env python3
"""Prints a stub's line for resources/released-stubs.sha256: its digest and a label.

The digest is SHA-256 over the stub as kervale-pack packs it: a certificate
table that ends the file is left out, and the PE checksum and the security
directory entry read as zeros (a signing tool rewrites both); the bytes end
where the last section ends when at most 7 zero bytes follow.

Usage: stub-digest.py STUB.exe [LABEL]
"""
import hashlib
import struct
import sys


def stub_digest(data: bytes) -> str:
    data = bytearray(data)
    if data[:2] != b"MZ":
        return hashlib.sha256(bytes(data)).hexdigest()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return hashlib.sha256(bytes(data)).hexdigest()
    sections, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    optional = pe + 24
    magic, = struct.unpack_from("<H", data, optional)
    directories = {0x10B: 96, 0x20B: 112}.get(magic)
    if directories is not None and optional_size >= directories + 5 * 8:
        count, = struct.unpack_from("<I", data, optional + directories - 4)
        entry = optional + directories + 4 * 8
        offset, size = struct.unpack_from("<II", data, entry)
        if count > 4:
            if size and offset and offset + size == len(data):
                del data[offset:]  # the signature is left out when packing
            data[entry:entry + 8] = bytes(8)
    if optional_size >= 68:
        data[optional + 64:optional + 68] = bytes(4)
    if 0 < sections <= 96:
        end = 0
        for i in range(sections):
            raw_size, raw_at = struct.unpack_from("<II", data, optional + optional_size + 40 * i + 16)
            if raw_size:
                end = max(end, raw_at + raw_size)
        if 0 < end <= len(data) and len(data) - end < 8 and not any(data[end:]):
            del data[end:]
    return hashlib.sha256(bytes(data)).hexdigest()


def main() -> int:
    if len(sys.argv) not in (2, 3):
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    with open(sys.argv[1], "rb") as f:
        digest = stub_digest(f.read())
    print(digest + ("  " + sys.argv[2] if len(sys.argv) == 3 else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
