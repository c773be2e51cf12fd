#!/usr/bin/env python3
"""Writes the PSPP syntax that builds the name-collision benchmark's data files.

usage: GenerateNames.py crafted|random OUT.sps SAV COUNT
COUNT numeric variables with 8-byte names and no cases. 'crafted' names all give the
same low 20 bits under the unseeded 32-bit FNV-1a that the reader's name index once used
(ASCII letters upper-cased first), so that such a table piles them onto one probe run;
'random' names have the same length and alphabet and no such relation.
"""
import random
import sys

LENGTH = 8
BITS = 20
FIRST = "abcdefghijklmnopqrstuvwxyz"
REST = FIRST + "0123456789"
FNV_BASIS = 2166136261
FNV_PRIME = 16777619


def crafted_names(count, rng):
    # The low bits of FNV-1a depend only on the low bits before each step, and each step
    # can be undone, so walking back from a target through every 4-character suffix
    # gives, for almost every state, a suffix that leads from it to the target.
    mask = (1 << BITS) - 1
    inverse = pow(FNV_PRIME, -1, 1 << BITS)
    target = rng.getrandbits(BITS)
    suffix_of = {}
    codes = [(c, ord(c.upper())) for c in REST]
    for c1, o1 in codes:
        s1 = ((target * inverse) & mask) ^ o1
        for c2, o2 in codes:
            s2 = ((s1 * inverse) & mask) ^ o2
            for c3, o3 in codes:
                s3 = ((s2 * inverse) & mask) ^ o3
                for c4, o4 in codes:
                    suffix_of[((s3 * inverse) & mask) ^ o4] = c4 + c3 + c2 + c1
    names = set()
    while len(names) < count:
        prefix = rng.choice(FIRST) + "".join(rng.choice(REST) for _ in range(LENGTH - 5))
        state = FNV_BASIS & mask
        for c in prefix:
            state = ((state ^ ord(c.upper())) * FNV_PRIME) & mask
        suffix = suffix_of.get(state)
        if suffix:
            names.add(prefix + suffix)
    return sorted(names)


def random_names(count, rng):
    names = set()
    while len(names) < count:
        names.add(rng.choice(FIRST) + "".join(rng.choice(REST) for _ in range(LENGTH - 1)))
    return sorted(names)


def main(argv):
    kind, out, sav, count = argv[1], argv[2], argv[3], int(argv[4])
    rng = random.Random(20240611)
    names = crafted_names(count, rng) if kind == "crafted" else random_names(count, rng)
    rng.shuffle(names)
    with open(out, "w", encoding="utf-8") as f:
        # NUMERIC needs an input program when no data are read; short commands, as PSPP
        # slows down on very long ones.
        f.write("INPUT PROGRAM.\n")
        for start in range(0, len(names), 100):
            f.write("NUMERIC %s.\n" % " ".join(names[start:start + 100]))
        f.write("END FILE.\nEND INPUT PROGRAM.\n")
        f.write("SAVE OUTFILE='%s'.\n" % sav)


if __name__ == "__main__":
    main(sys.argv)
