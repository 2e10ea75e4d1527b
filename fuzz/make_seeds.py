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
}


def main():
    CORPUS.mkdir(exist_ok=True)
    for name, data in SEEDS.items():
        (CORPUS / name).write_bytes(data)
    print(f"wrote {len(SEEDS)} seeds to {CORPUS}")


if __name__ == "__main__":
    main()
