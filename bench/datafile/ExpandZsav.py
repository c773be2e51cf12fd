#!/usr/bin/env python3
"""Makes a large .zsav from a small one that PSPP wrote.

usage: ExpandZsav.py SMALL.zsav OUT.zsav MEGABYTES

Keeps PSPP's header and dictionary as they are (up to and including the type 999
record), then writes a ZLIB data area of about MEGABYTES megabytes: bytecode-compressed
cases of the file's numeric variables (random values, so that zlib cannot shrink
them much), cut into blocks of the size PSPP uses, each block deflated; the same
deflated block is repeated to keep generation fast, so every block decompresses to the
same cases. The zheader, the ztrailer and the header's case count are written to
match, so the result is a valid system file that PSPP reads.
"""
import random
import struct
import sys
import zlib

BLOCK = 0x3FF000  # uncompressed bytes per block, as PSPP writes them
BIAS = 100.0


def dictionary_end(data):
    """Offset just past the type 999 record (little-endian files only)."""
    i32 = lambda at: struct.unpack_from("<i", data, at)[0]
    if data[:4] != b"$FL3" or i32(64) not in (2, 3):
        raise SystemExit("expected a little-endian .zsav")
    pos = 176
    variables = 0
    while True:
        rec = i32(pos)
        pos += 4
        if rec == 2:
            width, has_label, n_missing = i32(pos), i32(pos + 4), i32(pos + 8)
            pos += 28
            if width != -1:
                variables += 1
                if width != 0:
                    raise SystemExit("the small file must hold numeric variables only")
            if has_label:
                pos += 4 + (i32(pos) + 3) // 4 * 4
            pos += 8 * abs(n_missing)
        elif rec == 3:
            count = i32(pos)
            pos += 4
            for _ in range(count):
                length = data[pos + 8]
                pos += 8 + (length + 1 + 7) // 8 * 8
            pos += 4  # record type 4
            pos += 4 + 4 * i32(pos)
        elif rec == 6:
            pos += 4 + 80 * i32(pos)
        elif rec == 7:
            size, count = i32(pos + 4), i32(pos + 8)
            pos += 12 + size * count
        elif rec == 999:
            return pos + 4, variables
        else:
            raise SystemExit("unexpected record type %d" % rec)


def block_bytes(variables, rng):
    """One block of whole cases: per 8 values a command byte group, 7 raw values
    (code 253) and one small integer stored in the command byte."""
    if variables % 8 != 0:
        raise SystemExit("the small file must hold a multiple of 8 variables")
    # 8 command bytes + 7 raw doubles = 64 bytes per group; 64 divides BLOCK.
    group = bytes([253] * 7 + [100 + 5])
    out = bytearray()
    while len(out) < BLOCK:
        out += group
        for _ in range(7):
            out += struct.pack("<d", rng.random() * 1000.0)
    return bytes(out[:BLOCK]), BLOCK // 64 // (variables // 8)


def main(argv):
    small, out_path, megabytes = argv[1], argv[2], int(argv[3])
    data = open(small, "rb").read()
    end, variables = dictionary_end(data)
    raw, cases_per_block = block_bytes(variables, random.Random(1))
    deflated = zlib.compress(raw, 1)
    blocks = max(1, megabytes * 1024 * 1024 // len(deflated))
    header = bytearray(data[:end])
    struct.pack_into("<i", header, 72, 2)  # ZLIB compression
    struct.pack_into("<i", header, 80, blocks * cases_per_block)
    zheader_ofs = len(header)
    data_ofs = zheader_ofs + 24
    ztrailer_ofs = data_ofs + blocks * len(deflated)
    ztrailer_len = 24 + 24 * blocks
    with open(out_path, "wb") as out:
        out.write(header)
        out.write(struct.pack("<qqq", zheader_ofs, ztrailer_ofs, ztrailer_len))
        for _ in range(blocks):
            out.write(deflated)
        out.write(struct.pack("<qqii", -int(BIAS), 0, BLOCK, blocks))
        for k in range(blocks):
            out.write(struct.pack("<qqii", zheader_ofs + k * BLOCK, data_ofs + k * len(deflated),
                                  BLOCK, len(deflated)))
    print("%s: %d blocks, %d cases, %.0f MB" % (out_path, blocks, blocks * cases_per_block,
                                                (ztrailer_ofs + ztrailer_len) / 1e6))


if __name__ == "__main__":
    main(sys.argv)
