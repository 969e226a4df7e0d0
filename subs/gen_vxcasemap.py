#!/usr/bin/env python3
"""Generate subs/vxcasemap_tables.inc, the case-mapping tables of VXChar text.

The mapping is the simple (one-to-one) case mapping of the Basic Multilingual
Plane restricted to characters of an early Unicode version: both the
character and its mapping must already exist in that version, so letters
added later map to themselves and the tables stay stable whatever Unicode
data the build machine has.

Layout (read by subs/vxcasemap.cpp):
  kCaseIndex[512]   int16, one entry per block of 128 code units: the start
                    of the block's deltas, or -1 when neither direction maps
                    anything in the block.  Both delta tables use the same
                    index, so identical (upper, lower) block pairs are shared.
  kUpperDelta[], kLowerDelta[]
                    int8 deltas, c + delta; -128 means "look c up in the
                    exception list".
  kUpperExceptions[], kLowerExceptions[]
                    (from, to) pairs of code units, ended by a 0.

Mappings whose delta does not fit in a signed byte are kept only when they
are one of the fixed exception pairs below; every other such mapping is
dropped, so the exception lists hold exactly these pairs.

Usage: gen_vxcasemap.py [UnicodeData.txt DerivedAge.txt [output]]
"""

import sys

AGE = "1.1"

UPPER_EXCEPTIONS = [
    (0x17F, 0x53), (0x253, 0x181), (0x254, 0x186), (0x257, 0x18A),
    (0x258, 0x18E), (0x259, 0x18F), (0x25B, 0x190), (0x260, 0x193),
    (0x263, 0x194), (0x268, 0x197), (0x269, 0x196), (0x26F, 0x19C),
    (0x272, 0x19D), (0x283, 0x1A9), (0x288, 0x1AE), (0x28A, 0x1B1),
    (0x28B, 0x1B2), (0x292, 0x1B7), (0x1F78, 0x1FF8), (0x1F79, 0x1FF9),
]
# Every upper-case pair reversed except long s, whose lower case is plain s.
LOWER_EXCEPTIONS = [(t, f) for (f, t) in UPPER_EXCEPTIONS[1:]]

# Kept without an upper-case form: the micro sign is a symbol, and dotless i
# must not turn into ASCII I (case-blind comparisons would then equate
# characters a user typed as different letters).
NO_UPPER = {0x00B5, 0x0131}


def read_ages(path):
    ages = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            rng, age = (x.strip() for x in line.split(";"))
            lo, _, hi = rng.partition("..")
            lo = int(lo, 16)
            hi = int(hi, 16) if hi else lo
            for c in range(lo, min(hi, 0xFFFF) + 1):
                ages[c] = age
    return ages


def read_mappings(path, ages):
    upper, lower = {}, {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split(";")
            c = int(fields[0], 16)
            if c > 0xFFFF or ages.get(c) != AGE:
                continue
            for col, table in ((12, upper), (13, lower)):
                if fields[col]:
                    m = int(fields[col], 16)
                    if m <= 0xFFFF and ages.get(m) == AGE and m != c:
                        table[c] = m
    for c in NO_UPPER:
        upper.pop(c, None)
    return upper, lower


def deltas(mapping, exceptions):
    """Per code point delta (0 = none); returns (delta dict, dropped list)."""
    allowed = dict(exceptions)
    out, dropped = {}, []
    for c, m in sorted(mapping.items()):
        d = m - c
        if -127 <= d <= 127:
            out[c] = d
        elif allowed.get(c) == m:
            out[c] = -128
        else:
            dropped.append((c, m))
    # A listed pair the data lacks is still part of the list.
    for c, m in exceptions:
        out[c] = -128
    return out, dropped


def generate(unicode_data, derived_age):
    ages = read_ages(derived_age)
    upper, lower = read_mappings(unicode_data, ages)
    up, up_dropped = deltas(upper, UPPER_EXCEPTIONS)
    lo, lo_dropped = deltas(lower, LOWER_EXCEPTIONS)

    assert sorted(c for c, d in up.items() if d == -128) == sorted(f for f, _ in UPPER_EXCEPTIONS)
    assert sorted(c for c, d in lo.items() if d == -128) == sorted(f for f, _ in LOWER_EXCEPTIONS)
    for c in range(0x80):
        ch = chr(c)
        assert up.get(c, 0) == (ord(ch.upper()) - c if ch.islower() else 0), hex(c)
        assert lo.get(c, 0) == (ord(ch.lower()) - c if ch.isupper() else 0), hex(c)
    for c in (0x00B5, 0x0131, 0x0219, 0x0370):
        assert c not in up, hex(c)

    index = []
    blocks = []  # list of (upper block, lower block)
    for b in range(512):
        ub = tuple(up.get(b * 128 + i, 0) for i in range(128))
        lb = tuple(lo.get(b * 128 + i, 0) for i in range(128))
        if not any(ub) and not any(lb):
            index.append(-1)
            continue
        if (ub, lb) not in blocks:
            blocks.append((ub, lb))
        index.append(blocks.index((ub, lb)) * 128)
    assert len(blocks) * 128 <= 32767

    def rows(values, per_line, fmt):
        vals = [fmt(v) for v in values]
        return "\n".join("    " + ", ".join(vals[i:i + per_line]) + ","
                         for i in range(0, len(vals), per_line))

    out = []
    out.append("/* Generated by subs/gen_vxcasemap.py from UnicodeData.txt and DerivedAge.txt")
    out.append(f" * (characters of Unicode {AGE}, Basic Multilingual Plane, simple mappings).")
    out.append(" * Do not edit; rerun the generator.")
    out.append(f" * Dropped upper-case mappings (delta outside a byte): "
               f"{', '.join(f'{c:04X}>{m:04X}' for c, m in up_dropped) or 'none'}.")
    out.append(f" * Dropped lower-case mappings (delta outside a byte): "
               f"{', '.join(f'{c:04X}>{m:04X}' for c, m in lo_dropped) or 'none'}. */")
    out.append("")
    out.append("static const int16_t kCaseIndex[512] = {")
    out.append(rows(index, 16, str))
    out.append("};")
    out.append("")
    for name, pos in (("kUpperDelta", 0), ("kLowerDelta", 1)):
        flat = [v for blk in blocks for v in blk[pos]]
        out.append(f"static const int8_t {name}[{len(flat)}] = {{")
        out.append(rows(flat, 16, str))
        out.append("};")
        out.append("")
    for name, pairs in (("kUpperExceptions", UPPER_EXCEPTIONS), ("kLowerExceptions", LOWER_EXCEPTIONS)):
        out.append(f"static const VXChar {name}[{2 * len(pairs) + 1}] = {{")
        out.append(rows([v for p in pairs for v in p], 8, lambda v: f"0x{v:X}"))
        out.append("    0,")
        out.append("};")
        out.append("")
    return "\n".join(out)


def main(argv):
    ud = argv[1] if len(argv) > 1 else "/usr/share/unicode/UnicodeData.txt"
    da = argv[2] if len(argv) > 2 else "/usr/share/unicode/DerivedAge.txt"
    text = generate(ud, da)
    if len(argv) > 3:
        with open(argv[3], "w", encoding="utf-8") as f:
            f.write(text)
    else:
        sys.stdout.write(text)


if __name__ == "__main__":
    main(sys.argv)
