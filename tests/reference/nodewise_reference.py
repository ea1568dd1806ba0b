#!/usr/bin/env python3
"""Independent Python model of nodewise-cli.

Reads a network file, acquires it with the same rules as the data-entry window, runs one of the
three load-flow methods and prints the summary or the exported history, with the same standard
error lines and exit statuses as nodewise-cli.

Python floats are IEEE doubles and math.sin/cos/atan/sqrt come from the C library, so evaluating
every expression in the same order gives the same bits. The program runs with traps on division by
zero, invalid operations and overflow; here every arithmetic step goes through a checked helper
that raises ArithmeticFault with the kind of the first faulting operation.
"""

import math
import os
import re
import sys

MAX_NODES = 7
MAX_ITERATIONS = 1000
DEG_TO_RAD = 0.017453292519943295
RAD_TO_DEG = 57.29577951308232
HALF_PI = 1.5707963267948966
THREE_HALF_PI = 4.71238898038469
PI = math.pi

TYPE_LABELS = ["Ed", "PQ", "PE", "Pd", "QE", "Qd"]
ED, PQ, PE, PD, QE, QD = range(6)

WARNINGS = [
    "Rivedi matrice ammettenze:\nrilevati elementi non vuoti fuori\ndalle dimensioni acquisite.\n",
    "Rivedi colonne dati :\nrilevati elementi non vuoti fuori\ndalle dimensioni acquisite.\n",
    "Controlla i dati in ingresso:\nrilevati tipi di nodo non previsti.\n",
    "Numero di equazioni\ne numero di incognite\nnon coincidono.\n",
    "Devi inserire il\nnumero di iterazioni.\n",
    "Numero di iterazioni\nnon valido.\n",
    "La memoria è allocata\nper un numero massimo\ndi iterazioni pari a 1000\n",
    "Un numero di iterazioni\nnegativo non ha senso.\n",
    "Impossibile applicare questo metodo:\nconsultare la documentazione.\n",
]
ZERO_ORDER = "E' stata passata a InvMatr una matrice di ordine nullo."
NOT_INVERTIBLE = "Impossibile invertire la Matrice."
READ_FAILED = "Impossibile portare a termine la lettura."


# ----------------------------------------------------------------------------------------------
# Checked arithmetic


class ArithmeticFault(Exception):
    def __init__(self, kind):
        super().__init__(kind)
        self.kind = kind


DIV_ZERO = "division by zero"
INVALID = "invalid operation"
OVERFLOW = "overflow"


def _nonfinite(a, b, r):
    if r != r:
        if a != a or b != b:
            return r
        raise ArithmeticFault(INVALID)
    if math.isinf(a) or math.isinf(b):
        return r
    raise ArithmeticFault(OVERFLOW)


def add(a, b):
    r = a + b
    if r - r == 0.0:
        return r
    return _nonfinite(a, b, r)


def sub(a, b):
    r = a - b
    if r - r == 0.0:
        return r
    return _nonfinite(a, b, r)


def mul(a, b):
    r = a * b
    if r - r == 0.0:
        return r
    return _nonfinite(a, b, r)


def div(a, b):
    if b == 0.0:
        if a != a:
            return a
        if a == 0.0:
            raise ArithmeticFault(INVALID)
        if math.isinf(a):
            return math.copysign(math.inf, a) * math.copysign(1.0, b)
        raise ArithmeticFault(DIV_ZERO)
    r = a / b
    if r - r == 0.0:
        return r
    return _nonfinite(a, b, r)


def csin(x):
    try:
        return math.sin(x)
    except ValueError:
        raise ArithmeticFault(INVALID)


def ccos(x):
    try:
        return math.cos(x)
    except ValueError:
        raise ArithmeticFault(INVALID)


def gt(a, b):
    # ordered comparison: a NaN operand is an invalid operation
    if a != a or b != b:
        raise ArithmeticFault(INVALID)
    return a > b


# ----------------------------------------------------------------------------------------------
# Conversions and entry syntax

_STRTOD = re.compile(rb"[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)")
_ATOI = re.compile(rb"[+-]?[0-9]+")


def strtod(text):
    """Longest valid decimal prefix (the texts reaching here hold no blanks, letters or e)."""
    m = _STRTOD.match(text)
    if not m:
        return 0.0
    value = float(m.group(0).decode("ascii"))
    if math.isinf(value):
        raise ArithmeticFault(OVERFLOW)
    return value


def atoi(text):
    m = _ATOI.match(text)
    if not m:
        return 0
    s = m.group(0)
    neg = s[:1] == b"-"
    digits = s.lstrip(b"+-").lstrip(b"0") or b"0"
    if len(digits) > 12:
        return -(2**31) if neg else 2**31 - 1
    v = int(digits)
    v = -v if neg else v
    return max(-(2**31), min(2**31 - 1, v))


def filter_number(text):
    out = bytearray()
    for ch in text:
        if ch == 0x2C:
            ch = 0x2E
        if 0x30 <= ch <= 0x39 or ch in (0x2B, 0x2D, 0x2E):
            out.append(ch)
    return bytes(out)


def parse_admittance(text):
    s = text.replace(b" ", b"")
    n = len(s)
    pos = 0

    def at(p, ch):
        return p < n and s[p] == ch

    def digits(p):
        out = bytearray()
        while p < n and (0x30 <= s[p] <= 0x39 or s[p] in (0x2E, 0x2C)):
            out.append(0x2E if s[p] == 0x2C else s[p])
            p += 1
        return bytes(out), p

    sign = 1.0
    if at(pos, 0x2B):
        pos += 1
    if at(pos, 0x2D):
        sign = -1.0
        pos += 1
    if at(pos, 0x6A):
        return 0.0, sign * 1.0
    first, pos = digits(pos)
    if at(pos, 0x6A):
        return 0.0, mul(sign, strtod(first))
    re_part = mul(sign, strtod(first))
    if pos >= n:
        return re_part, 0.0
    sign = 1.0
    if at(pos, 0x2B):
        pos += 1
    if at(pos, 0x2D):
        sign = -1.0
        pos += 1
    if at(pos, 0x6A):
        return re_part, sign * 1.0
    second, pos = digits(pos)
    if at(pos, 0x6A):
        return re_part, mul(sign, strtod(second))
    return re_part, 0.0


def complex_modulus(re_part, im):
    return math.sqrt(add(mul(re_part, re_part), mul(im, im)))


def complex_angle(re_part, im):
    if gt(re_part, 0.0):
        return math.atan(div(im, re_part))
    if gt(0.0, re_part):
        return add(math.atan(div(im, re_part)), PI)
    if gt(im, 0.0):
        return HALF_PI
    if gt(0.0, im):
        return THREE_HALF_PI
    return 0.0


# ----------------------------------------------------------------------------------------------
# Network file


def read_network_file(path):
    """56 cell texts: whole lines, one CR before the LF dropped, missing lines empty."""
    with open(path, "rb") as f:
        data = f.read()
    lines = data.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    cells = []
    for i in range(56):
        line = lines[i] if i < len(lines) else b""
        if line.endswith(b"\r"):
            line = line[:-1]
        cells.append(line)
    return cells


def admittance_cell(cells, c, r):
    return cells[c * (c + 1) // 2 + r]


def data_cell(cells, col, node):
    return cells[28 + 4 * node + col]


# ----------------------------------------------------------------------------------------------
# Acquisition


class Warning_(Exception):
    def __init__(self, index):
        super().__init__(index)
        self.index = index


class Network:
    pass


def acquire(iter_text, cells):
    net = Network()
    if len(iter_text) == 0:
        raise Warning_(4)
    filtered = filter_number(iter_text)
    if len(filtered) == 0:
        raise Warning_(5)
    count = atoi(filtered)
    if count == 0:
        raise Warning_(5)
    if count < 0:
        raise Warning_(7)
    if count >= MAX_ITERATIONS:
        raise Warning_(6)
    net.K = count

    n = 0
    while n < MAX_NODES and len(admittance_cell(cells, n, n)) > 0:
        n += 1
    net.N = n
    for r in range(MAX_NODES):
        for c in range(max(r, n), MAX_NODES):
            if len(admittance_cell(cells, c, r)) > 0:
                raise Warning_(0)

    Y = [[(0.0, 0.0)] * MAX_NODES for _ in range(MAX_NODES)]
    for k in range(n):
        for col in range(k, n):
            text = admittance_cell(cells, col, k)
            Y[col][k] = parse_admittance(text) if len(text) > 0 else (0.0, 0.0)
            Y[k][col] = Y[col][k]
    net.Y = Y
    net.YMag = [[0.0] * MAX_NODES for _ in range(MAX_NODES)]
    net.YAng = [[0.0] * MAX_NODES for _ in range(MAX_NODES)]
    for i in range(n):
        for k in range(n):
            net.YMag[i][k] = complex_modulus(*Y[i][k])
            net.YAng[i][k] = complex_angle(*Y[i][k])

    for col in range(4):
        for r in range(n, MAX_NODES):
            if len(data_cell(cells, col, r)) > 0:
                raise Warning_(1)

    given = [[False] * MAX_NODES for _ in range(4)]
    values = [[0.0] * MAX_NODES for _ in range(4)]
    for col in range(4):
        for r in range(n):
            text = data_cell(cells, col, r)
            filtered = filter_number(text)
            if len(text) == 0 or len(filtered) == 0:
                values[col][r] = 1.0 if col == 0 else 0.0
            else:
                given[col][r] = True
                values[col][r] = strtod(filtered)
    net.E, net.d, net.P, net.Q = values
    for r in range(n):
        net.d[r] = mul(net.d[r], DEG_TO_RAD)
    for r in range(n):
        if sum(1 for col in range(4) if given[col][r]) != 2:
            raise Warning_(2)
    types = []
    for r in range(n):
        e, dd, p, q = (given[col][r] for col in range(4))
        if e and dd:
            types.append(ED)
        elif p and q:
            types.append(PQ)
        elif p and e:
            types.append(PE)
        elif p and dd:
            types.append(PD)
        elif q and e:
            types.append(QE)
        else:
            types.append(QD)
    net.types = types
    eq, unk = [], []
    for r in range(n):
        t = types[r]
        if t in (PQ, PD):
            eq.append(r)
            unk.append(r)
        elif t == PE:
            eq.append(r)
        elif t == QD:
            unk.append(r)
    net.nP = len(eq)
    net.nE = len(unk)
    for r in range(n):
        t = types[r]
        if t in (PQ, QE):
            eq.append(r)
            unk.append(r)
        elif t == PE:
            unk.append(r)
        elif t == QD:
            eq.append(r)
    net.n = len(unk)
    if len(eq) != net.n:
        raise Warning_(3)
    net.nQ = net.n - net.nP
    net.nd = net.n - net.nE
    net.eq = eq
    net.unk = unk
    return net


# ----------------------------------------------------------------------------------------------
# Matrix inversion


def inv_matr(A, B, n, messages):
    if n == 0:
        messages.append(("Errore", ZERO_ORDER))
        return
    if n == 1:
        try:
            B[0][0] = div(1.0, A[0][0])
        except ArithmeticFault:
            messages.append(("Errore", NOT_INVERTIBLE))
        return
    for i in range(n):
        for j in range(n):
            B[i][j] = 0.0
    ident = [[1.0 if i == j else 0.0 for j in range(n)] for i in range(n)]
    LU = [[0.0] * n for _ in range(n)]
    y = [0.0] * n
    perm = list(range(n))
    try:
        for i in range(n):
            for j in range(i + 1, n):
                if gt(abs(A[perm[j]][i]), abs(A[perm[i]][i])):
                    perm[i], perm[j] = perm[j], perm[i]
        for i in range(n):
            row = A[perm[i]]
            for j in range(i):
                s = 0.0
                for k in range(j):
                    s = add(s, mul(LU[i][k], LU[k][j]))
                LU[i][j] = div(sub(row[j], s), LU[j][j])
            for j in range(i, n):
                s = 0.0
                for k in range(i):
                    s = add(s, mul(LU[i][k], LU[k][j]))
                LU[i][j] = sub(row[j], s)
        for c in range(n):
            for i in range(n):
                s = 0.0
                for k in range(i):
                    s = add(s, mul(LU[i][k], y[k]))
                y[i] = sub(ident[perm[i]][c], s)
            for r in range(n - 1, -1, -1):
                s = 0.0
                for m in range(n - 1, r, -1):
                    s = add(s, mul(LU[r][m], B[m][c]))
                B[r][c] = div(sub(y[r], s), LU[r][r])
    except ArithmeticFault:
        messages.append(("Errore", NOT_INVERTIBLE))


# ----------------------------------------------------------------------------------------------
# Solvers; each returns (E history, d history in degrees), rows of K + 1 entries per node


def gauss(net, messages, trace=None):
    n, K = net.N, net.K
    YM, YA = net.YMag, net.YAng
    P, Q = list(net.P), list(net.Q)
    E = [[net.E[i]] + [0.0] * K for i in range(n)]
    d = [[net.d[i]] + [0.0] * K for i in range(n)]

    def newest(j, i, k):
        t = k + 1 if j < i else k
        return E[j][t], d[j][t]

    def injection(i, k, trig):
        s = 0.0
        for j in range(n):
            ej, dj = newest(j, i, k)
            s = add(s, mul(mul(YM[i][j], ej), trig(sub(sub(d[i][k], dj), YA[i][j]))))
        return mul(E[i][k], s)

    def scaled(i, k):
        a = sub(d[i][k], YA[i][i])
        sc = 0.0
        for j in range(n):
            if j == i:
                continue
            ej, dj = newest(j, i, k)
            sc = add(sc, mul(mul(YM[i][j], ej), ccos(sub(add(dj, YA[i][j]), YA[i][i]))))
        c = sub(div(add(mul(P[i], ccos(a)), mul(Q[i], csin(a))), E[i][k]), sc)
        ss = 0.0
        for j in range(n):
            if j == i:
                continue
            ej, dj = newest(j, i, k)
            ss = add(ss, mul(mul(YM[i][j], ej), csin(sub(add(dj, YA[i][j]), YA[i][i]))))
        r = sub(div(sub(mul(P[i], csin(a)), mul(Q[i], ccos(a))), E[i][k]), ss)
        return c, r

    for k in range(K):
        nodes = []
        for i in range(n):
            t = net.types[i]
            if t == ED:
                E[i][k + 1] = E[i][k]
                d[i][k + 1] = d[i][k]
                nodes.append((None, None, None))
                continue
            computed = None
            if t in (PE, PD):
                Q[i] = injection(i, k, csin)
                computed = ("Q", Q[i])
            elif t in (QE, QD):
                P[i] = injection(i, k, ccos)
                computed = ("P", P[i])
            c, r = scaled(i, k)
            nodes.append((computed, c, r))
            if t in (PQ, PD, QD):
                E[i][k + 1] = div(complex_modulus(c, r), YM[i][i])
            else:
                E[i][k + 1] = E[i][k]
            if t in (PQ, PE, QE):
                d[i][k + 1] = complex_angle(c, r)
            else:
                d[i][k + 1] = d[i][k]
        if trace is not None:
            trace["nodes"] = nodes
    for i in range(n):
        for t in range(K + 1):
            d[i][t] = mul(d[i][t], RAD_TO_DEG)
    return E, d


def inversion_outcome(told):
    """How one call of inv_matr ended, from what it told: "done", "zero order" or "failed"."""
    if not told:
        return "done"
    return "zero order" if told[0][1] == ZERO_ORDER else "failed"


def newton(net, messages, jac_inv, trace=None):
    n_nodes, K = net.N, net.K
    YM, YA = net.YMag, net.YAng
    n, nP, nE = net.n, net.nP, net.nE
    eq, unk = net.eq, net.unk
    E = [[net.E[i]] * (K + 1) for i in range(n_nodes)]
    d = [[net.d[i]] * (K + 1) for i in range(n_nodes)]
    jac = [[0.0] * 14 for _ in range(14)]
    mismatch = [0.0] * 14
    corr = [0.0] * 14
    for k in range(K):

        def a(i, j):
            return sub(sub(d[i][k], d[j][k]), YA[i][j])

        def calc(i, trig):
            s = 0.0
            for m in range(n_nodes):
                s = add(s, mul(mul(YM[i][m], E[m][k]), trig(a(i, m))))
            return mul(E[i][k], s)

        for r in range(n):
            i = eq[r]
            if r < nP:
                mismatch[r] = sub(net.P[i], calc(i, ccos))
            else:
                mismatch[r] = sub(net.Q[i], calc(i, csin))

        def off_sum(i, trig):
            s = 0.0
            for m in range(n_nodes):
                if m != i:
                    s = add(s, mul(mul(YM[i][m], E[m][k]), trig(a(i, m))))
            return s

        for r in range(n):
            i = eq[r]
            for c in range(n):
                j = unk[c]
                Ei = E[i][k]
                if r < nP and c < nE:
                    if j != i:
                        v = mul(mul(Ei, YM[i][j]), ccos(a(i, j)))
                    else:
                        v = add(off_sum(i, ccos), mul(mul(mul(2.0, YM[i][i]), Ei), ccos(YA[i][i])))
                elif r < nP:
                    if j != i:
                        v = mul(mul(mul(Ei, E[j][k]), YM[i][j]), csin(a(i, j)))
                    else:
                        v = mul(-Ei, off_sum(i, csin))
                elif c < nE:
                    if j != i:
                        v = mul(mul(Ei, YM[i][j]), csin(a(i, j)))
                    else:
                        v = sub(off_sum(i, csin), mul(mul(mul(2.0, YM[i][i]), Ei), csin(YA[i][i])))
                else:
                    if j != i:
                        v = mul(mul(mul(-Ei, E[j][k]), YM[i][j]), ccos(a(i, j)))
                    else:
                        v = mul(Ei, off_sum(i, ccos))
                jac[r][c] = v
        told = len(messages)
        inv_matr(jac, jac_inv, n, messages)
        for r in range(n):
            s = 0.0
            for c in range(n):
                s = add(s, mul(jac_inv[r][c], mismatch[c]))
            corr[r] = s
        if trace is not None:
            trace["mismatch"] = mismatch[:n]
            trace["jacobian"] = [row[:n] for row in jac[:n]]
            trace["jacobian_inverse"] = [row[:n] for row in jac_inv[:n]]
            trace["correction"] = corr[:n]
            trace["inversion"] = inversion_outcome(messages[told:])
        for c in range(nE):
            j = unk[c]
            E[j][k + 1] = add(E[j][k], corr[c])
        for c in range(nE, n):
            j = unk[c]
            d[j][k + 1] = add(d[j][k], corr[c])
    for i in range(n_nodes):
        for t in range(K + 1):
            d[i][t] = mul(d[i][t], RAD_TO_DEG)
    return E, d


def stott(net, messages, trace=None):
    N, K = net.N, net.K
    YM, YA, Y = net.YMag, net.YAng, net.Y
    nP, nQ, nE, nd = net.nP, net.nQ, net.nE, net.nd
    eq, unk = net.eq, net.unk
    E = [[net.E[i]] * (K + 1) for i in range(N)]
    d = [[net.d[i]] * (K + 1) for i in range(N)]
    bp = [[0.0] * 7 for _ in range(7)]
    bs = [[0.0] * 7 for _ in range(7)]
    bpi = [[0.0] * 7 for _ in range(7)]
    bsi = [[0.0] * 7 for _ in range(7)]
    for r in range(nP):
        for c in range(nd):
            bp[r][c] = Y[eq[r]][unk[nE + c]][1]
    for r in range(nQ):
        for c in range(nE):
            bs[r][c] = Y[eq[nP + r]][unk[c]][1]
    told = len(messages)
    inv_matr(bp, bpi, nP, messages)
    bp_outcome = inversion_outcome(messages[told:])
    told = len(messages)
    inv_matr(bs, bsi, nQ, messages)
    bs_outcome = inversion_outcome(messages[told:])
    mis = [0.0] * 14
    corr = [0.0] * 14
    for k in range(K):
        for r in range(nP, nP + nQ):
            m = eq[r]
            s = 0.0
            for j in range(N):
                s = add(s, mul(mul(YM[m][j], E[j][k]), csin(sub(sub(d[m][k], d[j][k]), YA[m][j]))))
            mis[r] = sub(s, div(net.Q[m], E[m][k]))
        for c in range(nE):
            s = 0.0
            for t in range(nQ):
                s = add(s, mul(bsi[c][t], mis[nP + t]))
            corr[c] = s
        for c in range(nE):
            i = unk[c]
            E[i][k + 1] = add(E[i][k], corr[c])
        for r in range(nP):
            m = eq[r]
            s = 0.0
            for j in range(N):
                s = add(s, mul(mul(YM[m][j], E[j][k + 1]), ccos(sub(sub(d[m][k], d[j][k]), YA[m][j]))))
            mis[r] = sub(s, div(net.P[m], E[m][k + 1]))
        for c in range(nd):
            i = unk[nE + c]
            s = 0.0
            for t in range(nP):
                s = add(s, mul(bpi[c][t], mis[t]))
            corr[nE + c] = div(s, E[i][k + 1])
        for p in range(nE, nE + nd):
            i = unk[p]
            d[i][k + 1] = add(d[i][k], corr[p])
        if trace is not None:
            trace["b_prime"] = [row[:nd] for row in bp[:nP]]
            trace["b_prime_inverse"] = [row[:nP] for row in bpi[:nd]]
            trace["b_second"] = [row[:nE] for row in bs[:nQ]]
            trace["b_second_inverse"] = [row[:nQ] for row in bsi[:nE]]
            trace["mismatch"] = mis[: nP + nQ]
            trace["correction"] = corr[: nE + nd]
            trace["b_prime_inversion"] = bp_outcome
            trace["b_second_inversion"] = bs_outcome
    for i in range(N):
        for t in range(K + 1):
            d[i][t] = mul(d[i][t], RAD_TO_DEG)
    return E, d


# ----------------------------------------------------------------------------------------------
# Output


def format_general(v):
    if v != v:
        return "NAN"
    if math.isinf(v):
        return "INF" if v > 0 else "-INF"
    if v == 0.0:
        return "0"
    text = "%.14e" % v
    neg = text.startswith("-")
    mant, exp = text.lstrip("-").split("e")
    exp = int(exp)
    digits = mant.replace(".", "").rstrip("0")
    sign = "-" if neg else ""
    if -4 <= exp < 15:
        if exp >= 0:
            intpart = digits[: exp + 1].ljust(exp + 1, "0")
            frac = digits[exp + 1 :]
        else:
            intpart = "0"
            frac = "0" * (-exp - 1) + digits
        return sign + intpart + ("." + frac if frac else "")
    return sign + digits[0] + ("." + digits[1:] if len(digits) > 1 else "") + "E" + str(exp)


def export(title, E, d, N, K, fmt):
    out = []
    if fmt == "csv":
        out.append("%s,,,\n" % title)
        out.append(",,,\n")
        out.append("iterazione,nodo,E,d(gradi)\n")
        for i in range(K + 1):
            for j in range(N):
                out.append("%d,%d,%.14f,%.9f\n" % (i, j + 1, E[j][i], d[j][i]))
            out.append(",,,\n")
    else:
        out.append("<html><head><title>%s</title></head>\n" % title)
        out.append("<body>\n")
        out.append("%s<br><br>\n" % title)
        out.append("<table border=2>\n")
        out.append(
            "<tr><td width=100 align=center>iterazione</td><td width=100 align=center>nodo</td>"
            "<td width=200 align=center>modulo tensione</td>"
            "<td width=200 align=center>fase tensione (in gradi)</td></tr>\n"
        )
        for i in range(K + 1):
            for j in range(N):
                out.append("<tr>")
                out.append(
                    "<td width=100 align=center>%d</td><td width=100 align=center>%d</td>"
                    "<td width=200 align=center>%.14f</td><td width=200 align=center>%.9f</td>\n"
                    % (i, j + 1, E[j][i], d[j][i])
                )
                out.append("</tr>")
            out.append("<tr height=20><td></td><td></td><td></td><td></td></tr>\n")
        out.append("</table>\n")
        out.append("</body></html>\n")
    return "".join(out).encode("utf-8")


def message_line(caption, text):
    body = text.replace("\n", " ").rstrip(" ")
    sep = " " if caption.endswith(":") else ": "
    return caption + sep + body


# ----------------------------------------------------------------------------------------------
# Command line (same contract as nodewise-cli)


def cut_off_message(net):
    """The nodes in groups joined by non-zero off-diagonal elements that hold no Ed node, and the
    first Ed node; None when every node reaches one (or there is no Ed node, or one node)."""
    n = net.N
    if n < 2 or ED not in net.types[:n]:
        return None
    group = [-1] * n
    for start in range(n):
        if group[start] >= 0:
            continue
        group[start] = start
        pending = [start]
        while pending:
            i = pending.pop()
            for k in range(n):
                if k != i and net.Y[i][k] != (0.0, 0.0) and group[k] < 0:
                    group[k] = start
                    pending.append(k)
    grounded = {group[i] for i in range(n) if net.types[i] == ED}
    cut = [i + 1 for i in range(n) if group[i] not in grounded]
    if not cut:
        return None
    slack = net.types[:n].index(ED) + 1
    if len(cut) == 1:
        return "Il nodo %d non \u00e8 collegato al nodo di saldo %d." % (cut[0], slack)
    return "I nodi %s non sono collegati al nodo di saldo %d." % (", ".join(map(str, cut)), slack)


def run(argv):
    """Returns (stdout bytes, list of stderr lines, exit status): 5 instead of 0 when a matrix
    could not be inverted."""
    out, errors, status = run_command(argv)
    if status == 0 and message_line("Errore", NOT_INVERTIBLE) in errors:
        status = 5
    return out, errors, status


def run_command(argv):
    if len(argv) < 2 or argv[0] not in ("summary", "solve"):
        return b"", ["usage"], 1
    command, path = argv[0], argv[1]
    opts = {}
    rest = argv[2:]
    if len(rest) % 2:
        return b"", ["usage"], 1
    for i in range(0, len(rest), 2):
        opts[rest[i]] = rest[i + 1]
    iter_text = opts.get("--iterations", "20")
    if isinstance(iter_text, str):
        iter_text = iter_text.encode("utf-8", "surrogateescape")
    errors = []
    try:
        cells = read_network_file(path)
    except OSError:
        return b"", [message_line("Errore", READ_FAILED)], 1
    try:
        net = acquire(iter_text, cells)
    except Warning_ as w:
        return b"", [message_line("Attenzione:", WARNINGS[w.index])], 2
    except ArithmeticFault as f:
        return b"", ["Nodewise: " + f.kind], 3
    cut_off = cut_off_message(net)
    if cut_off is not None:
        errors.append(message_line("Attenzione:", cut_off))
    if command == "summary":
        lines = []
        try:
            for i in range(net.N):
                lines.append(
                    "%d\t%s\t%s\t%s\t%s\t%s\n"
                    % (
                        i + 1,
                        TYPE_LABELS[net.types[i]],
                        format_general(net.E[i]),
                        format_general(mul(net.d[i], RAD_TO_DEG)),
                        format_general(net.P[i]),
                        format_general(net.Q[i]),
                    )
                )
        except ArithmeticFault as f:
            return b"", ["Nodewise: " + f.kind], 3
        return "".join(lines).encode("utf-8"), errors, 0
    method = opts.get("--method")
    fmt = opts.get("--format", "csv")
    balanced = net.nP == net.nd and net.nQ == net.nE
    messages = []
    try:
        if method == "gauss":
            E, d = gauss(net, messages)
            title = "Risultati calcolo Gauss"
        elif method == "newton":
            if not balanced:
                messages.append(("Attenzione:", WARNINGS[8]))
            E, d = newton(net, messages, [[0.0] * 14 for _ in range(14)])
            title = "Risultati calcolo Newton"
        else:
            if not balanced:
                return b"", errors + [message_line("Attenzione:", WARNINGS[8])], 4
            E, d = stott(net, messages)
            title = "Risultati calcolo Stott"
    except ArithmeticFault as f:
        return b"", errors + [message_line(*m) for m in messages] + ["Nodewise: " + f.kind], 3
    errors += [message_line(*m) for m in messages]
    contents = export(title, E, d, net.N, net.K, fmt)
    output = opts.get("--output")
    if output is not None:
        try:
            write_atomically(output, contents)
        except OSError as e:
            reason = "nodewise-cli: %s: %s" % (output, os.strerror(e.errno))
            return b"", errors + [message_line("Errore", "Errore salvataggio in ." + fmt), reason], 1
        return b"", errors, 0
    return contents, errors, 0


def write_atomically(path, contents):
    """Writes beside the target and renames, so a failed save leaves an earlier file as it was."""
    import tempfile

    folder = os.path.dirname(os.path.abspath(path))
    fd, temp = tempfile.mkstemp(dir=folder, prefix=".nodewise-")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(contents)
        os.replace(temp, path)
    except OSError:
        if os.path.exists(temp):
            os.remove(temp)
        raise


def main():
    argv = [a.encode("utf-8", "surrogateescape").decode("utf-8", "surrogateescape") for a in sys.argv[1:]]
    out, errs, status = run(argv)
    sys.stdout.buffer.write(out)
    for line in errs:
        sys.stderr.buffer.write(line.encode("utf-8", "surrogateescape") + b"\n")
    return status


if __name__ == "__main__":
    sys.exit(main())
