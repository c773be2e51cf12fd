#!/usr/bin/env python3
"""Writes the PSPP syntax that builds the dictionary benchmark's data files.

usage: GenerateSyntax.py big OUT.sps SAV ZSAV VARIABLES MRSETS
       GenerateSyntax.py small OUT.sps ZSAV
'big': VARIABLES numeric variables with long names, each with a label and five value
labels, MRSETS multiple-response sets (half dichotomies, half categories), three cases,
saved plain and ZLIB-compressed. 'small': a handful of variables and cases whose
dictionary heads the large .zsav that expand_zsav.py makes.
"""
import sys


def name(i):
    return "q%05d_item" % i


def big(out, sav, zsav, count, sets):
    w = out.write
    w("SET DECIMAL=DOT.\n")
    # Names listed one by one: TO needs a trailing number, and PSPP makes the 8-byte
    # short names of names sharing their first 8 bytes in quadratic time.
    w("DATA LIST FREE /\n")
    for start in range(1, count + 1, 10):
        w(" ".join(name(i) for i in range(start, min(start + 10, count + 1))))
        w("\n")
    w(".\n")
    w("BEGIN DATA.\n")
    for case in range(3):
        for start in range(1, count + 1, 20):
            w(" ".join(str((i + case) % 5 + 1) for i in range(start, min(start + 20, count + 1))))
            w("\n")
    w("END DATA.\n")
    # One command per variable: PSPP slows down quadratically on very long commands.
    for i in range(1, count + 1):
        w("VARIABLE LABELS %s 'How strongly do you agree with statement %d of the survey"
          " battery on public trust in national institutions'.\n" % (name(i), i))
        w("VALUE LABELS %s 1 'Strongly disagree (item %d)' 2 'Disagree (item %d)'"
          " 3 'Neither agree nor disagree (survey item %d)' 4 'Agree (item %d)'"
          " 5 'Strongly agree (item %d)'.\n" % (name(i), i, i, i, i, i))
    w("SET MXWARNS=0.\nMRSETS\n")
    per = max(1, min(20, count // sets))
    for s in range(sets):
        members = " ".join(name(s * per + k + 1) for k in range(per) if s * per + k < count)
        if s % 2 == 0:
            w("  /MDGROUP NAME=$dich%03d LABEL='Dichotomy set %d of the battery'"
              " VARIABLES=%s VALUE=1\n" % (s, s, members))
        else:
            w("  /MCGROUP NAME=$cat%03d LABEL='Category set %d of the battery'"
              " VARIABLES=%s\n" % (s, s, members))
    w(".\n")
    w("SAVE OUTFILE='%s'.\n" % sav)
    w("SAVE OUTFILE='%s' /ZCOMPRESSED.\n" % zsav)


def small(out, zsav):
    w = out.write
    w("DATA LIST FREE / %s.\n" % " ".join(name(i) for i in range(1, 9)))
    w("BEGIN DATA.\n1 2 3 4 5 6 7 8\n8 7 6 5 4 3 2 1\nEND DATA.\n")
    w("VARIABLE LABELS %s 'First question'.\n" % name(1))
    w("VALUE LABELS %s 1 'Low' 8 'High'.\n" % " ".join(name(i) for i in range(1, 9)))
    w("SAVE OUTFILE='%s' /ZCOMPRESSED.\n" % zsav)


def main(argv):
    with open(argv[2], "w", encoding="utf-8") as out:
        if argv[1] == "big":
            big(out, argv[3], argv[4], int(argv[5]), int(argv[6]))
        else:
            small(out, argv[3])


if __name__ == "__main__":
    main(sys.argv)
