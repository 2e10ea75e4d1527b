"""Writes the hand-made seeds of fuzz/corpus in the input format of search_fuzzer.cpp.

Run from anywhere: python fuzz/make_seeds.py. Existing seeds of the same name are
overwritten; inputs that libFuzzer merged into the corpus are left alone.
"""

import pathlib
import struct

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"
WIDTH = {1: "b", 2: "h", 4: "i", 8: "q"}


def raw(r, c, d):
    """r, c, d in the narrowest raw layout (0: 8 bits, 1: 16 bits, 2: 64 bits) that holds them."""
    for layout, bytes_ in ((0, 1), (1, 2), (2, 8)):
        if all(-(1 << (8 * bytes_ - 1)) <= x < 1 << (8 * bytes_ - 1) for x in (r, c, d)):
            return bytes([layout]) + struct.pack("<3" + WIDTH[bytes_], r, c, d)
    raise ValueError("does not fit 64 bits")


def square(layout, r, j, s):
    """Layouts 3, 4, 5: c = r·j − s, d = j·(r·j − 2s), so that c² − r·d = s²."""
    bytes_ = {3: 1, 4: 2, 5: 4}[layout]
    return bytes([layout]) + struct.pack("<3" + WIDTH[bytes_], r, j, s)


NOTABLE_DEGREES = [
    13, 16, 18, 24, 25, 27, 31, 32, 33, 35, 37, 50, 62, 64, 65, 67,
    97, 114, 124, 128, 130, 134, 210, 1000, 1009, 4096, 65521, 65536, 65537, 1 << 30, 2147483646, 2147483647,
]
FORMS = {"c2": 0, "root": 1, "integral-root": 2, "free": 3}


def surface(form, degree, r, c, third, *, bits=8, right=False, shifted=False, multiplier=1, denominator=None):
    """A surface layout (byte 0 >= 128): v in the given form on the surface of the given degree."""
    options = FORMS[form] + 4 * {8: 0, 16: 1, 32: 2}[bits] + 12 * right + 24 * shifted + 48 * (multiplier - 1)
    assert options < 128, "these options do not fit one byte"
    if 1 <= degree <= 12:
        pick = bytes([degree - 1])
    elif degree in NOTABLE_DEGREES:
        pick = bytes([192 + NOTABLE_DEGREES.index(degree)])
    else:
        pick = bytes([224]) + struct.pack("<I", degree - 1)
    data = bytes([128 + options]) + pick + struct.pack("<3" + WIDTH[bits // 8], r, c, third)
    if form == "free":
        data += bytes([denominator - 1])
    return data


SEEDS = {
    # The worked whole searches.
    "irrational-3_2_-1": raw(3, 2, -1),
    "empty-1_0_-1": raw(1, 0, -1),
    "one-1_1_-3": raw(1, 1, -3),
    "beta-zero-1_2_0": raw(1, 2, 0),
    "four-2_1_-4": raw(2, 1, -4),
    "nine-3_1_-5": raw(3, 1, -5),
    "third-3_2_1": raw(3, 2, 1),
    "minus-third-3_1_-1": raw(3, 1, -1),
    "fifth-5_3_1": raw(5, 3, 1),
    "negative-rank-_1_1_3": raw(-1, 1, 3),
    "rank-zero-0_2_4": raw(0, 2, 4),
    "rank-zero-0_3_4": raw(0, 3, 4),
    "rank-zero-wide-0_100_1": bytes([6]) + struct.pack("<bh", 100, 1),
    # Square discriminants built from (r, j, s).
    "square-7_-2_5": square(3, 7, -2, 5),
    "square-12_3_-4": square(3, 12, 3, -4),
    "square-medium-40_-3_17": square(4, 40, -3, 17),
    "square-wide-1000003_-7_65537": square(5, 1_000_003, -7, 65_537),
    # Near and past the 64-bit edge.
    "edge-1_2^31_2^62-4": raw(1, 2**31, 2**62 - 4),
    "edge-0_1_max": raw(0, 1, 2**63 - 1),
    "edge-min_min_min": raw(-(2**63), -(2**63), -(2**63)),
    "edge-1_max_0": raw(1, 2**63 - 1, 0),
    # Surfaces: (r, c, c2) classes, and classes with a rational beta built from a root
    # (on a surface of odd degree a root puts v on the lattice only for r odd or c even).
    "plane-c2-1_0_1": surface("c2", 1, 1, 0, 1),
    "plane-root-3_1_-2": surface("root", 1, 3, 1, -2),
    "plane-root-right-5_1_-3": surface("root", 1, 5, 1, -3, right=True),
    "cubic-root-3_1_-1": surface("root", 3, 3, 1, -1),
    "quartic-root-3_1_-2": surface("root", 4, 3, 1, -2),
    "quartic-integral-root-2_1_-1": surface("integral-root", 4, 2, 1, -1),
    "degree5-root-3_1_-3": surface("root", 5, 3, 1, -3),
    "degree6-root-right-5_2_-4": surface("root", 6, 5, 2, -4, right=True),
    "degree7-integral-root-3_2_-1": surface("integral-root", 7, 3, 2, -1),
    "degree11-root-5_1_-5": surface("root", 11, 5, 1, -5),
    "degree12-root-shifted-_3_-1_2": surface("root", 12, -3, -1, 2, shifted=True),
    "degree31-root-3_1_-2": surface("root", 31, 3, 1, -2),
    "degree114-root-2_1_-1": surface("root", 114, 2, 1, -1),
    "degree33-root-3_1_-2": surface("root", 33, 3, 1, -2),
    "degree37-integral-root-1_1_-1": surface("integral-root", 37, 1, 1, -1),
    "degree130-root-right-3_1_-1": surface("root", 130, 3, 1, -1, right=True),
    "degree-largest-prime-integral-root-3_1_-1": surface("integral-root", 2**31 - 1, 3, 1, -1),
    "degree-1000003-c2-2_1_3": surface("c2", 1_000_003, 2, 1, 3, bits=16),
    "quartic-c2-doubled-denominator-2_1_1": surface("c2", 4, 2, 1, 1, multiplier=2),
    "cubic-free-off-lattice-1_0_1_over_2": surface("free", 3, 1, 0, 1, denominator=2),
    "cubic-free-on-lattice-1_0_-2_over_3": surface("free", 3, 1, 0, -2, denominator=3),
    "degree9-root-wide-41_7_-13": surface("root", 9, 41, 7, -13, bits=16),
}


def main():
    CORPUS.mkdir(exist_ok=True)
    for name, data in SEEDS.items():
        (CORPUS / name).write_bytes(data)
    print(f"wrote {len(SEEDS)} seeds to {CORPUS}")


if __name__ == "__main__":
    main()
