#!/usr/bin/env python3
"""Compares `nodewise-cli step` with the independent Python model on generated networks.

    python3 tests/reference/step_crosscheck.py build/nodewise-cli [--cases 60] [--seed 1]

For every generated network (those of crosscheck.py: realistic ones and ones made to meet faults
and inversion failures) and every method, a few iterations k are asked for; the exit status must
agree and, on success, every number of the JSON must equal the model's value of iteration k bit
for bit (JSON numbers read back exactly).
"""

import argparse
import json
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import crosscheck as gen  # noqa: E402
import nodewise_reference as ref  # noqa: E402

TYPE_LABELS = ["Ed", "PQ", "PE", "Pd", "QE", "Qd"]


def expected_step(path, method, k):
    """(status, expected JSON object or None) from the model."""
    try:
        cells = ref.read_network_file(path)
    except OSError:
        return 1, None
    try:
        net = ref.acquire(str(k).encode(), cells)
    except ref.Warning_:
        return 2, None
    except ref.ArithmeticFault:
        return 3, None
    balanced = net.nP == net.nd and net.nQ == net.nE
    if method == "stott" and not balanced:
        return 4, None
    trace = {}
    messages = []
    try:
        if method == "gauss":
            E, d = ref.gauss(net, messages, trace)
        elif method == "newton":
            E, d = ref.newton(net, messages, [[0.0] * 14 for _ in range(14)], trace)
        else:
            E, d = ref.stott(net, messages, trace)
    except ref.ArithmeticFault:
        return 3, None
    out = {
        "method": method,
        "iteration": k,
        "before": {"E": [E[i][k - 1] for i in range(net.N)], "d": [d[i][k - 1] for i in range(net.N)]},
        "after": {"E": [E[i][k] for i in range(net.N)], "d": [d[i][k] for i in range(net.N)]},
    }
    if method in ("newton", "stott"):
        rows = net.nP + net.nQ if method == "stott" else net.n
        cols = net.nE + net.nd if method == "stott" else net.n
        out["equations"] = [("P" if r < net.nP else "Q") + str(net.eq[r] + 1) for r in range(rows)]
        out["unknowns"] = [("E" if c < net.nE else "d") + str(net.unk[c] + 1) for c in range(cols)]
        out.update(trace)
    else:
        nodes = []
        for i, (computed, c, r) in enumerate(trace["nodes"]):
            nodes.append(
                {
                    "node": i + 1,
                    "type": TYPE_LABELS[net.types[i]],
                    "computed": None if computed is None else {"quantity": computed[0], "value": computed[1]},
                    "C": c,
                    "R": r,
                }
            )
        out["nodes"] = nodes
    # a completed step whose inversion failed ends with status 5
    failed = any(out.get(key) == "failed" for key in ("inversion", "b_prime_inversion", "b_second_inversion"))
    return (5 if failed else 0), out


def same(a, b, where):
    """The first difference between two JSON values (floats compared bit for bit), or None."""
    if isinstance(a, float) or isinstance(b, float):
        if isinstance(a, (int, float)) and isinstance(b, (int, float)) and float(a).hex() == float(b).hex():
            return None
        return "%s: %r vs %r" % (where, a, b)
    if isinstance(a, dict) and isinstance(b, dict):
        if list(a.keys()) != list(b.keys()):
            return "%s: keys %s vs %s" % (where, list(a.keys()), list(b.keys()))
        for key in a:
            found = same(a[key], b[key], where + "." + key)
            if found:
                return found
        return None
    if isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            return "%s: length %d vs %d" % (where, len(a), len(b))
        for i, (x, y) in enumerate(zip(a, b)):
            found = same(x, y, "%s[%d]" % (where, i))
            if found:
                return found
        return None
    return None if a == b else "%s: %r vs %r" % (where, a, b)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--cases", type=int, default=60)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    failures = 0
    checked = 0
    statuses = {}
    with tempfile.TemporaryDirectory() as folder:
        for case in range(args.cases):
            data = gen.stress(rng)[0] if case % 4 == 3 else gen.to_bytes(gen.realistic(rng))
            path = os.path.join(folder, "net%d.nwd" % case)
            with open(path, "wb") as f:
                f.write(data)
            for method in ("gauss", "newton", "stott"):
                for k in sorted({1, 2, rng.randint(3, 12)}):
                    status, expected = expected_step(path, method, k)
                    run = subprocess.run(
                        [args.cli, "step", path, "--method", method, "--iteration", str(k)],
                        capture_output=True,
                        env=dict(os.environ, LC_ALL="C"),
                    )
                    checked += 1
                    statuses[status] = statuses.get(status, 0) + 1
                    problem = None
                    if run.returncode != status:
                        problem = "status %d, expected %d: %s" % (run.returncode, status, run.stderr.decode())
                    elif status in (0, 5):
                        problem = same(json.loads(run.stdout), expected, "step")
                    if problem:
                        failures += 1
                        if failures <= 10:
                            print("case %d %s k=%d: %s" % (case, method, k, problem))
    print("statuses:", dict(sorted(statuses.items())))
    print("%d passed, %d failed" % (checked - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
