#!/usr/bin/env python3
"""Compares nodewise-cli with the independent Python model on many generated networks.

    python3 tests/reference/crosscheck.py build/nodewise-cli [--cases 400] [--seed 1]
                                          [--keep DIR] [--show 10]

Every generated network file is run through `summary` and through `solve` with each method in
CSV and HTML; standard output bytes, standard error and exit status must agree. Networks are
realistic ones (branch admittances, every node type, the slack anywhere), networks with odd cell
texts, and malformed files (counts, iteration texts, data beyond the node count, binary bytes,
long lines, CRLF, missing lines). Mismatching inputs are written to --keep DIR.
"""

import argparse
import os
import re
import random
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nodewise_reference as ref  # noqa: E402

COMMANDS = [
    ["summary"],
    ["solve", "--method", "gauss"],
    ["solve", "--method", "gauss", "--format", "html"],
    ["solve", "--method", "newton"],
    ["solve", "--method", "newton", "--format", "html"],
    ["solve", "--method", "stott"],
    ["solve", "--method", "stott", "--format", "html"],
]

ODD_ADMITTANCES = [
    "j", "- j", "-j", "+j", "5j", "1+j", "1-j", "+-2", "1+2", "1,23+0,37J", "2j3", "abc", "1e3",
    " ", "   ", "0", "0j", "-0", "1,2,3", ",5-,5j", "--1", "+", "-", ".", "1.5-0.25j", "3 - 4 j",
    "\t1-5j", "1-5j\t", "1 - 5 j x", "-3,21 - 2 j", "10", "1-+5j", "1+-5j", "0,0001-0,001j",
    "100000-1j", "1-5", "j5", "1..5-5j",
]
ODD_DATA = [
    "-", ".", "x", " ", "1e2", "3,5 pu", "+-1", "1-2", "--0,5", "1,0,5", "0", "-0", "abc1",
    "1 0", "+", "0,000001", "123456789", "1.05", "1,05", "e", ",5",
]
ITERATION_TEXTS = [
    "", "abc", "0", "-5", "1000", "999", "99999999999", "-99999999999", "2,5", "-0", "+7", "1e2",
    " 12 ", "x3", "0005", "--3", "+-3", "3-1", "1001", "998", "1.9", ".5", "000", "-", "12abc",
    "\u0662", "4\u00e8",
]


def fmt_number(rng, x, decimals=None):
    if decimals is None:
        decimals = rng.choice([0, 1, 2, 3, 4, 6])
    text = "%.*f" % (decimals, x)
    if "." in text and rng.random() < 0.6:
        text = text.replace(".", ",")
    if text.startswith("-0") and float(text.replace(",", ".")) == 0.0:
        text = text[1:]
    return text


def spaced(rng, parts):
    out = ""
    for p in parts:
        out += p
        if rng.random() < 0.3:
            out += " " * rng.randint(1, 2)
    return out.rstrip() if rng.random() < 0.5 else out


def fmt_admittance(rng, g, b):
    """g + jb in the entry syntax, in one of several spellings."""
    parts = []
    if abs(g) > 0 or rng.random() < 0.2:
        re_text = fmt_number(rng, abs(g))
        if g < 0:
            parts += ["-", re_text]
        else:
            parts += (["+"] if rng.random() < 0.2 else []) + [re_text]
    if abs(b) > 0:
        im_text = fmt_number(rng, abs(b))
        if im_text.replace(",", ".") in ("1", "1.0") and rng.random() < 0.5:
            im_text = ""
        parts += ["-" if b < 0 else "+", im_text, "j"]
    if not parts:
        parts = ["0"]
    return spaced(rng, parts)


def empty_cells():
    return [""] * 56


def adm_index(c, r):
    return c * (c + 1) // 2 + r


def data_index(col, node):
    return 28 + 4 * node + col


def realistic(rng):
    n = rng.randint(1, 7)
    cells = empty_cells()
    Y = [[complex(0, 0)] * n for _ in range(n)]
    for i in range(n):
        for j in range(i + 1, n):
            connect = (j == i + 1) or rng.random() < 0.4
            if not connect:
                continue
            y = complex(rng.uniform(0.5, 6), -rng.uniform(4, 25))
            Y[i][j] = -y
            Y[j][i] = -y
            Y[i][i] += y
            Y[j][j] += y
    for i in range(n):
        Y[i][i] += complex(0, rng.choice([0, 0, rng.uniform(0.01, 0.2)]))
        if n == 1:
            Y[i][i] = complex(rng.uniform(0.5, 3), -rng.uniform(3, 10))
    for c in range(n):
        for r in range(c + 1):
            v = Y[r][c]
            if v == 0 and r != c and rng.random() < 0.8:
                continue
            cells[adm_index(c, r)] = fmt_admittance(rng, v.real, v.imag)
    types = [rng.choice([1, 1, 1, 1, 2, 2, 3, 4, 5]) for _ in range(n)]
    if rng.random() < 0.9:
        types[rng.randrange(n)] = 0
    if rng.random() < 0.4 and n >= 3:
        a, b = rng.sample([i for i in range(n) if types[i] != 0] or [0], 1)[0], None
        for i in range(n):
            if i != a and types[i] != 0:
                b = i
                break
        if b is not None:
            types[a], types[b] = 3, 4
    for i, t in enumerate(types):
        e = fmt_number(rng, rng.uniform(0.95, 1.1), rng.choice([0, 2, 3]))
        dd = fmt_number(rng, rng.uniform(-10, 10) if rng.random() < 0.5 else 0.0, rng.choice([0, 1, 2]))
        p = fmt_number(rng, rng.uniform(-1.2, 0.8), rng.choice([1, 2, 3]))
        q = fmt_number(rng, rng.uniform(-0.6, 0.4), rng.choice([1, 2, 3]))
        given = {0: (e, dd, "", ""), 1: ("", "", p, q), 2: (e, "", p, ""), 3: ("", dd, p, ""),
                 4: (e, "", "", q), 5: ("", dd, "", q)}[t]
        for col in range(4):
            cells[data_index(col, i)] = given[col]
    return cells


def odd(rng):
    cells = realistic(rng)
    n = 0
    while n < 7 and cells[adm_index(n, n)]:
        n += 1
    for _ in range(rng.randint(1, 4)):
        if rng.random() < 0.5:
            c = rng.randrange(n)
            r = rng.randrange(c + 1)
            if c != r or rng.random() < 0.5:
                cells[adm_index(c, r)] = rng.choice(ODD_ADMITTANCES)
        else:
            node = rng.randrange(n)
            col = rng.randrange(4)
            if cells[data_index(col, node)] or rng.random() < 0.3:
                cells[data_index(col, node)] = rng.choice(ODD_DATA)
    return cells


def to_bytes(cells, newline=b"\n"):
    return b"".join(c.encode("utf-8") + newline for c in cells)


def malformed(rng):
    kind = rng.randrange(10)
    cells = realistic(rng)
    n = 0
    while n < 7 and cells[adm_index(n, n)]:
        n += 1
    if kind == 0 and n < 7:  # matrix beyond the node count
        c = rng.randrange(n, 7)
        cells[adm_index(c, rng.randrange(c + 1))] = rng.choice(["1", " ", "x", "0"])
        return to_bytes(cells), "matrix-beyond"
    if kind == 1 and n < 7:  # data beyond the node count
        cells[data_index(rng.randrange(4), rng.randrange(n, 7))] = rng.choice(["1", " ", "x"])
        return to_bytes(cells), "data-beyond"
    if kind == 2:  # a node with one or three quantities
        node = rng.randrange(n)
        col = rng.randrange(4)
        cells[data_index(col, node)] = "" if cells[data_index(col, node)] else "1"
        return to_bytes(cells), "wrong-count"
    if kind == 3:  # CRLF line ends, sometimes only on some lines
        if rng.random() < 0.5:
            return to_bytes(cells, b"\r\n"), "crlf"
        return b"".join(c.encode() + rng.choice([b"\n", b"\r\n", b"\r\r\n"]) for c in cells), "mixed-crlf"
    if kind == 4:  # missing lines, last line without newline
        data = to_bytes(cells)
        cut = rng.randrange(len(data) + 1)
        return data[:cut], "truncated"
    if kind == 5:  # binary bytes in cells
        enc = [c.encode() for c in cells]
        for _ in range(rng.randint(1, 5)):
            i = rng.randrange(56)
            blob = bytes(rng.choice([0, 1, 9, 13, 127, 128, 0xC3, 0xA8, 0xFF, 0x2C, 0x2E, 0x6A, 0x2D])
                         for _ in range(rng.randint(1, 6)))
            pos = rng.randrange(len(enc[i]) + 1)
            enc[i] = enc[i][:pos] + blob + enc[i][pos:]
        return b"".join(e + b"\n" for e in enc), "binary"
    if kind == 6:  # very long lines
        i = rng.randrange(56)
        choice = rng.randrange(4)
        if choice == 0:
            cells[i] = " " * rng.randint(95, 400) + (cells[i] or "1")
        elif choice == 1:
            cells[i] = (cells[i] or "1") + "x" * rng.randint(95, 5000)
        elif choice == 2:
            cells[i] = "0," + "0" * rng.randint(100, 400) + "1"
        else:
            cells[i] = "1" + "0" * rng.randint(90, 120)
        return to_bytes(cells), "long-line"
    if kind == 7:  # extra lines after the 56
        return to_bytes(cells) + b"1\n2\nabc\n", "extra-lines"
    if kind == 8:  # diagonal gap
        if n >= 2:
            k = rng.randrange(1, n)
            cells[adm_index(k, k)] = ""
        return to_bytes(cells), "diagonal-gap"
    if kind == 9:  # empty file or empty grid
        return (b"" if rng.random() < 0.5 else b"\n" * 56), "empty"
    return to_bytes(cells), "plain"


def stress(rng):
    """Networks made to meet the faults and the inversion failures."""
    cells = realistic(rng)
    n = 0
    while n < 7 and cells[adm_index(n, n)]:
        n += 1
    kind = rng.randrange(9)
    if kind == 0:  # a zero or unreadable diagonal element
        k = rng.randrange(n)
        cells[adm_index(k, k)] = rng.choice(["0", "abc", " ", "-0", "0j", "J"])
    elif kind == 1:  # a zero voltage magnitude given
        for i in range(n):
            if cells[data_index(0, i)]:
                cells[data_index(0, i)] = rng.choice(["0", "-0", "0,0", "-", "."])
                break
    elif kind == 2:  # huge or tiny numbers
        i = rng.randrange(56 if rng.random() < 0.5 else 28)
        cells[i] = rng.choice(["1" + "0" * rng.randint(150, 330), "0," + "0" * rng.randint(150, 340) + "1",
                               "1" + "0" * 160 + "-1j", "1-1" + "0" * 160 + "j", "9" * 400])
    elif kind == 3:  # only given voltages
        for i in range(n):
            for col in range(4):
                cells[data_index(col, i)] = ["1", "0", "", ""][col]
    elif kind == 4:  # slack and PE nodes only
        for i in range(n):
            for col in range(4):
                cells[data_index(col, i)] = (["1", "0", "", ""] if i == 0 else ["1,02", "", "0,3", ""])[col]
    elif kind == 5:  # no slack: every node PQ
        for i in range(n):
            for col in range(4):
                cells[data_index(col, i)] = ["", "", "-0,4", "-0,1"][col]
    elif kind == 6:  # an isolated PQ node
        if n >= 2:
            k = rng.randrange(1, n)
            for c in range(n):
                for r in range(c + 1):
                    if (c == k) != (r == k):
                        cells[adm_index(c, r)] = ""
            for col in range(4):
                cells[data_index(col, k)] = ["", "", "-0,4", "-0,1"][col]
    elif kind == 7:  # heavy load, diverging
        for i in range(n):
            if cells[data_index(2, i)]:
                cells[data_index(2, i)] = rng.choice(["-50", "-500", "40"])
    else:  # purely real or purely imaginary admittances
        for c in range(n):
            for r in range(c + 1):
                if cells[adm_index(c, r)]:
                    cells[adm_index(c, r)] = rng.choice(["1", "-1", "j", "-j", "2", "-5j"])
    return to_bytes(cells), "stress"


def network(adm, data):
    """File bytes from {(row, col): text} (1-based, row <= col) and {node: (E, d, P, Q)}."""
    cells = empty_cells()
    for (r, c), text in adm.items():
        cells[adm_index(c - 1, r - 1)] = text
    for node, values in data.items():
        for col, text in enumerate(values):
            cells[data_index(col, node - 1)] = text
    return to_bytes(cells)


SLACK = ("1", "0", "", "")
LOAD = ("", "", "-0,5", "-0,2")
TWO = {(1, 1): "1-5j", (1, 2): "-1+5j", (2, 2): "1-5j"}


def probes():
    """Hand-made networks at the edges of the rules: (name, file bytes, iteration texts)."""
    yield "two-node", network(TWO, {1: SLACK, 2: LOAD}), ["3", "1", "999"]
    yield "zero-diagonal-pq", network({**TWO, (2, 2): "0"}, {1: SLACK, 2: LOAD}), ["2"]
    yield "zero-diagonal-pe", network({**TWO, (2, 2): "abc"}, {1: SLACK, 2: ("1", "", "0,3", "")}), ["2"]
    yield "zero-diagonal-pd", network({**TWO, (2, 2): " "}, {1: SLACK, 2: ("", "5", "0,3", "")}), ["2"]
    yield "zero-diagonal-qe", network({**TWO, (2, 2): "0j"}, {1: SLACK, 2: ("1", "", "", "0,1")}), ["2"]
    yield "zero-e-pe", network(TWO, {1: SLACK, 2: ("0", "", "0,3", "")}), ["2"]
    yield "zero-e-pe-no-load", network(TWO, {1: SLACK, 2: ("0", "", "0", "")}), ["2"]
    yield "negative-zero-e", network(TWO, {1: ("-0", "-0", "", ""), 2: LOAD}), ["2"]
    yield "zero-e-slack", network(TWO, {1: ("0", "0", "", ""), 2: LOAD}), ["2"]
    yield "only-slack", network({(1, 1): "1-5j"}, {1: SLACK}), ["3"]
    yield "slack-and-pe", network(TWO, {1: SLACK, 2: ("1,02", "", "0,3", "")}), ["3"]
    yield "slack-and-qd", network(TWO, {1: SLACK, 2: ("", "3", "", "0,1")}), ["3"]
    yield "pd-without-qe", network(TWO, {1: SLACK, 2: ("", "3", "0,2", "")}), ["3"]
    yield "isolated-pq", network({(1, 1): "1-5j", (2, 2): "1-5j"}, {1: SLACK, 2: LOAD}), ["3"]
    yield "isolated-pe", network({(1, 1): "1-5j", (2, 2): "1-5j"}, {1: SLACK, 2: ("1", "", "0,3", "")}), ["3"]
    yield "pure-real", network({(1, 1): "1", (1, 2): "-1", (2, 2): "1"}, {1: SLACK, 2: LOAD}), ["4"]
    yield "pure-imaginary", network({(1, 1): "-5j", (1, 2): "5j", (2, 2): "-5j"}, {1: SLACK, 2: LOAD}), ["4"]
    yield "no-slack", network(TWO, {1: LOAD, 2: LOAD}), ["3", "60"]
    yield "diverging", network(TWO, {1: SLACK, 2: ("", "", "-40", "-20")}), ["50", "400"]
    yield "huge-admittance", network({**TWO, (1, 2): "1" + "0" * 200}, {1: SLACK, 2: LOAD}), ["2"]
    yield "huge-imaginary", network({**TWO, (1, 2): "1-1" + "0" * 200 + "j"}, {1: SLACK, 2: LOAD}), ["2"]
    yield "overflowing-digits", network({**TWO, (1, 2): "9" * 400}, {1: SLACK, 2: LOAD}), ["2"]
    yield "overflowing-data", network(TWO, {1: SLACK, 2: ("", "", "9" * 400, "0")}), ["2"]
    yield "huge-data", network(TWO, {1: SLACK, 2: ("", "", "1" + "0" * 300, "0")}), ["2"]
    yield "huge-phase", network(TWO, {1: ("1", "1" + "0" * 307, "", ""), 2: LOAD}), ["2"]
    yield "tiny-admittance", network({**TWO, (1, 2): "0," + "0" * 320 + "1"}, {1: SLACK, 2: LOAD}), ["2"]
    yield "tiny-diagonal", network({**TWO, (2, 2): "0," + "0" * 320 + "1"}, {1: SLACK, 2: LOAD}), ["2"]
    yield "tiny-e", network(TWO, {1: SLACK, 2: ("0," + "0" * 320 + "1", "", "0,3", "")}), ["2"]
    # two faults within one stored value: the first one raised is the one reported
    yield "qe-zero-e-real-diagonal", network({(1, 1): "2-5j", (1, 2): "-1+5j", (2, 2): "2"},
                                             {1: SLACK, 2: ("0", "", "", "0,3")}), ["2"]
    big = "1" + "0" * 300
    yield "overflow-then-invalid", network({(1, 1): "1-5j", (1, 3): "-1" + "0" * 10, (2, 2): "1-5j",
                                            (2, 3): "1" + "0" * 10, (3, 3): "1-5j"},
                                           {1: (big, "0", "", ""), 2: (big, "0", "", ""), 3: LOAD}), ["2"]
    yield "overflow-then-division", network({(1, 1): "1-5j", (1, 2): "-1" + "0" * 10 + "+5j", (2, 2): "1-5j",
                                             (2, 3): "-1+5j", (3, 3): "1-5j"},
                                            {1: (big, "0", "", ""), 2: ("0", "", "", "0,3"),
                                             3: ("", "2", "0,1", "")}), ["2"]
    yield "singular-stott", network({(1, 1): "1-5j", (1, 2): "-1+5j", (2, 2): "1", (2, 3): "1", (3, 3): "1-5j"},
                                    {1: SLACK, 2: LOAD, 3: LOAD}), ["3"]
    three = {(1, 1): "1", (1, 2): "1", (1, 3): "0", (2, 2): "1", (2, 3): "1", (3, 3): "1"}
    yield "fixed-row-order", network({(1, 1): "1-5j", **{(r + 1, c + 1): t for (r, c), t in three.items()}},
                                     {1: SLACK, 2: LOAD, 3: LOAD, 4: LOAD}), ["3"]
    yield "ties", network({(1, 1): "-2j", (1, 2): "2j", (2, 2): "-2j", (2, 3): "2j", (3, 3): "-2j"},
                          {1: SLACK, 2: LOAD, 3: LOAD}), ["3"]
    yield "empty-grid", b"\n" * 56, ["5"]
    yield "empty-file", b"", ["5"]
    yield "no-final-newline", network(TWO, {1: SLACK, 2: LOAD})[:-1], ["2"]
    yield "cr-before-eof", network(TWO, {1: SLACK, 2: ("", "", "-0,5", "-0,2")}).rstrip(b"\n") + b"\r", ["2"]
    tail = network(TWO, {1: SLACK, 2: ("", "", "-0,5", "-0,2")})
    yield "cr-cr-lf", tail.replace(b"-0,2\n", b"-0,2\r\r\n"), ["2"]
    yield "lone-cr-lines", tail.replace(b"\n", b"\r"), ["2"]
    yield "nul-in-cell", tail.replace(b"-0,5", b"-0\x00,5"), ["2"]
    yield "seven-nodes", network({**{(i, i): "2-10j" for i in range(1, 8)},
                                  **{(i, i + 1): "-1+5j" for i in range(1, 7)}},
                                 {1: SLACK, 2: LOAD, 3: ("1", "", "0,3", ""), 4: ("", "2", "0,1", ""),
                                  5: ("1", "", "", "0,1"), 6: ("", "1", "", "-0,1"), 7: LOAD}), ["5", "999"]
    yield "first-diagonal-empty", network({(1, 2): "-1+5j", (2, 2): "1-5j"}, {1: SLACK, 2: LOAD}), ["2"]
    yield "no-nodes-but-data", network({}, {1: SLACK}), ["2"]
    yield "missing-file", None, ["2"]
    yield "unwritable-output", network(TWO, {1: SLACK, 2: LOAD}), ["2"]
    for text in ITERATION_TEXTS:
        yield "iterations-%r" % text, network(TWO, {1: SLACK, 2: LOAD}), [text]


def random_decimal(rng):
    """A decimal text of any magnitude, with rounding ties and boundaries of the 15-digit format."""
    r = rng.random()
    if r < 0.2:
        return rng.choice(["0,0001", "0,00009999999999999995", "0,000099999999999999949", "999999999999999,5",
                           "999999999999999,4", "1000000000000000", "99999999999999,95", "0,1", "0,3",
                           "123456789012345678", "1,00000000000000050", "0,000012345", "-0,00001234",
                           "2,5", "0,00000000000000000001", "9,999999999999995", "0,5", "-0"])
    digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 22)))
    point = rng.randint(0, len(digits))
    text = "0" * rng.randint(0, 20) + digits[:point] + rng.choice([",", "."]) + digits[point:]
    return rng.choice(["", "-", "+"]) + text


def formats(rng):
    """Summary of many magnitudes: every given quantity a random decimal text."""
    n = rng.randint(1, 7)
    cells = empty_cells()
    for i in range(n):
        cells[adm_index(i, i)] = "1-5j"
        t = rng.randrange(6)
        cols = [(0, 1), (2, 3), (2, 0), (2, 1), (3, 0), (3, 1)][t]
        for col in cols:
            cells[data_index(col, i)] = random_decimal(rng)
    return to_bytes(cells), "formats"


def iteration_text(rng):
    r = rng.random()
    if r < 0.55:
        return str(rng.randint(1, 8))
    if r < 0.8:
        return str(rng.randint(9, 60))
    if r < 0.88:
        return str(rng.randint(61, 999))
    return rng.choice(ITERATION_TEXTS)


def output_of(argv):
    return argv[argv.index("--output") + 1] if "--output" in argv else None


# The program lists the cells whose text it does not read whole before anything else; that list
# is the core's own description of its reading (tested there, case by case), not a result this
# model computes, so it is left out of the comparison.
UNREAD_CELL_LINE = re.compile(rb"^(Y[1-7],[1-7]|[EdPQ][1-7]): letto ")


def without_unread_cells(err):
    lines = err.split(b"\n")
    while lines and UNREAD_CELL_LINE.match(lines[0]):
        lines.pop(0)
    return b"\n".join(lines)


def run_cli(cli, argv):
    """(stdout, stderr, status, bytes of the --output file or None)."""
    output = output_of(argv)
    if output and os.path.exists(output):
        os.remove(output)
    p = subprocess.run([cli] + argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    written = None
    if output and os.path.exists(output):
        with open(output, "rb") as f:
            written = f.read()
    return p.stdout, without_unread_cells(p.stderr), p.returncode, written


def run_ref(argv):
    output = output_of(argv)
    if output and os.path.exists(output):
        os.remove(output)
    out, errs, status = ref.run(argv)
    err = b"".join(e.encode("utf-8", "surrogateescape") + b"\n" for e in errs)
    written = None
    if output and os.path.exists(output):
        with open(output, "rb") as f:
            written = f.read()
    return out, err, status, written


def first_difference(a, b):
    la, lb = a.split(b"\n"), b.split(b"\n")
    for i in range(max(len(la), len(lb))):
        x = la[i] if i < len(la) else b"<missing>"
        y = lb[i] if i < len(lb) else b"<missing>"
        if x != y:
            return i + 1, x, y
    return None


def generate(rng, index):
    r = rng.random()
    if r < 0.5:
        return to_bytes(realistic(rng)), "realistic"
    if r < 0.65:
        return to_bytes(odd(rng)), "odd"
    if r < 0.8:
        return stress(rng)
    if r < 0.85:
        return formats(rng)
    return malformed(rng)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("cli")
    ap.add_argument("--cases", type=int, default=400)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--keep", default=None)
    ap.add_argument("--show", type=int, default=10)
    ap.add_argument("--files", nargs="*", default=[], help="also check these network files (iterations 1, 5, 20, 999)")
    ap.add_argument("--outcomes", action="store_true", help="list how often each exit status and last message occurred")
    args = ap.parse_args()
    cli = os.path.abspath(args.cli)
    rng = random.Random(args.seed)
    passed = failed = 0
    shown = 0
    outcomes = {}
    start = time.time()
    cases = [(name, data, it) for name, data, its in probes() for it in its]
    for name in args.files:
        with open(name, "rb") as f:
            data = f.read()
        cases += [(os.path.basename(name), data, it) for it in ("1", "5", "20", "999")]
    with tempfile.TemporaryDirectory() as tmp:
        for index in range(len(cases) + args.cases):
            if index < len(cases):
                kind, data, iters = cases[index]
            else:
                data, kind = generate(rng, index)
                iters = iteration_text(rng) if rng.random() < 0.97 else None
            path = os.path.join(tmp, "case%04d.nwd" % index)
            if data is not None:
                with open(path, "wb") as f:
                    f.write(data)
            for command in COMMANDS:
                argv = [command[0], path] + command[1:]
                if iters is not None:
                    argv += ["--iterations", iters]
                if command[0] == "solve" and kind == "unwritable-output":
                    argv += ["--output", os.path.join(tmp, "no-such-folder", "export.out")]
                elif command[0] == "solve" and index % 5 == 4:
                    argv += ["--output", os.path.join(tmp, "export.out")]
                got = run_cli(cli, argv)
                want = run_ref(argv)
                key = (want[2], want[1].split(b"\n")[-2][:40] if want[1] else b"")
                outcomes[key] = outcomes.get(key, 0) + 1
                if got == want:
                    passed += 1
                    continue
                failed += 1
                if args.keep and data is not None:
                    os.makedirs(args.keep, exist_ok=True)
                    with open(os.path.join(args.keep, "case%04d.nwd" % index), "wb") as f:
                        f.write(data)
                if shown < args.show:
                    shown += 1
                    print("MISMATCH case%04d (%s) %s" % (index, kind, " ".join(argv[:1] + argv[2:])))
                    if got[2] != want[2]:
                        print("  exit status: program %d, reference %d" % (got[2], want[2]))
                    if got[3] != want[3]:
                        print("  --output file: program %s, reference %s"
                              % ("absent" if got[3] is None else "%d bytes" % len(got[3]),
                                 "absent" if want[3] is None else "%d bytes" % len(want[3])))
                    for name, g, w in (("stdout", got[0], want[0]), ("stderr", got[1], want[1]),
                                       ("--output file", got[3] or b"", want[3] or b"")):
                        diff = first_difference(g, w)
                        if diff:
                            line, g_line, w_line = diff
                            print("  %s line %d:\n    program:   %r\n    reference: %r"
                                  % (name, line, g_line[:200], w_line[:200]))
    if args.outcomes:
        for (status, err), count in sorted(outcomes.items()):
            print("  %5d  exit %d  %s" % (count, status, err.decode("utf-8", "replace")))
    print("elapsed %.1f s" % (time.time() - start))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
