#!/usr/bin/env python3
"""Writes small valid DDS and Targa files to start the fuzzers from: make_seeds.py <out folder>."""
import os
import struct
import sys


def dds(width, height, mips=1, pf=(0x41, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000), caps2=0, flags=0x1007,
        depth=0, dx10=None, payload=b""):
    header = struct.pack("<4sIIIIIII44x", b"DDS ", 124, flags, height, width, 0, depth, mips)
    pf_flags, fourcc, bits, r, g, b, a = pf
    if dx10 is not None:
        pf_flags, fourcc = 0x4, struct.unpack("<I", b"DX10")[0]
    header += struct.pack("<IIIIIIII", 32, pf_flags, fourcc, bits, r, g, b, a)
    header += struct.pack("<IIIII", 0x1000, caps2, 0, 0, 0)
    if dx10 is not None:
        fmt, dim, misc, array = dx10
        header += struct.pack("<IIIII", fmt, dim, misc, array, 0)
    return header + payload


def tga(width, height, pixels, image_type=2, descriptor=8, id_field=b""):
    header = struct.pack("<BBBHHBHHHHBB", len(id_field), 0, image_type, 0, 0, 0, 0, 0, width, height, 32, descriptor)
    return header + id_field + pixels


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "dds"), exist_ok=True)
    os.makedirs(os.path.join(out, "tga"), exist_ok=True)
    dxt1 = (0x4, struct.unpack("<I", b"DXT1")[0], 0, 0, 0, 0, 0)
    seeds = {
        "rgba_mips.dds": dds(4, 4, 3, payload=bytes(84)),
        "bc1.dds": dds(8, 8, 4, pf=dxt1, payload=bytes(56)),
        "cube.dds": dds(4, 4, 1, caps2=0xFE00, payload=bytes(64 * 6)),
        "volume.dds": dds(4, 4, 1, flags=0x801007, depth=2, payload=bytes(128)),
        "dx10_bc7_array.dds": dds(4, 4, 1, dx10=(98, 3, 0, 2), payload=bytes(32)),
        "dx10_cube.dds": dds(4, 4, 1, dx10=(28, 3, 4, 1), payload=bytes(64 * 6)),
        "dx10_1d.dds": dds(8, 1, 1, dx10=(28, 2, 0, 1), payload=bytes(32)),
    }
    for name, data in seeds.items():
        with open(os.path.join(out, "dds", name), "wb") as f:
            f.write(data)
    tgas = {
        "raw.tga": tga(2, 2, bytes(range(16))),
        "top.tga": tga(2, 2, bytes(range(16)), descriptor=0x28, id_field=b"abc"),
        "rle.tga": tga(3, 2, bytes([0x82, 1, 2, 3, 4, 0x02]) + bytes(range(12))),
    }
    for name, data in tgas.items():
        with open(os.path.join(out, "tga", name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
