#!/usr/bin/env python3
"""Random SMT-LIB 2 problems answered by brix-smt2 and by z3: bounded
variables, polynomial atoms with decimal and rational constants (some on
the boundaries that doubles get wrong), and/or/not/=>/ite, and guarded
quantifiers in about a third of them. A sat against an unsat is a finding,
as is an answer that is none of sat, unsat and unknown, or a hang; the
script of each finding is kept in the output folder.

Usage: smt2_vs_z3.py BRIX_SMT2 [-seed S] [-count N] [-out DIR]
"""
import os
import random
import subprocess
import sys

def literal(k):
    """An integer as an SMT-LIB term (negative numerals are applications of -)."""
    return str(k) if k >= 0 else "(- %d)" % -k


def number(r):
    k = r.random()
    if k < 0.4:
        text = str(r.randint(0, 5))
    elif k < 0.7:
        text = "%d.%d" % (r.randint(0, 3), r.randint(0, 99))
    else:
        text = "(/ %d %d)" % (r.randint(1, 9), r.randint(1, 9))
    return text if r.random() < 0.6 else "(- %s)" % text


def term(r, names, depth):
    if depth == 0 or r.random() < 0.3:
        return r.choice(names) if r.random() < 0.6 else number(r)
    op = r.choice(["+", "*", "-", "+"])
    return "(%s %s %s)" % (op, term(r, names, depth - 1), term(r, names, depth - 1))


# Constants that are no doubles, or whose sums are not what doubles make them.
BOUNDARY = ["0.1", "(/ 1 3)", "0.3", "(/ 2 3)", "1.1", "0.7", "(* 0.1 3)", "(+ 0.1 0.2)"]


def atom(r, names):
    if r.random() < 0.3:
        side = r.choice(names)
        if r.random() < 0.4:
            side = "(* %s %s)" % (r.choice(names), r.choice(names))
        rel = r.choice(["<", "<=", ">", ">=", "="])
        return "(%s %s %s)" % (rel, side, r.choice(BOUNDARY))
    rel = r.choice(["<", "<=", ">", ">=", "=", "<", "<="])
    return "(%s %s %s)" % (rel, term(r, names, 2), term(r, names, 1))


def formula(r, names, quantify, depth):
    if depth == 0 or r.random() < 0.35:
        return atom(r, names)
    sub = lambda: formula(r, names, quantify, depth - 1)
    k = r.random()
    if k < 0.3:
        return "(and %s %s)" % (sub(), sub())
    if k < 0.55:
        return "(or %s %s)" % (sub(), sub())
    if k < 0.65:
        return "(not %s)" % sub()
    if k < 0.72:
        return "(=> %s %s)" % (sub(), sub())
    if k < 0.77:
        return "(ite %s %s %s)" % (sub(), sub(), sub())
    if quantify and k < 0.9:
        y = "y%d" % depth
        lo = r.randint(-2, 0)
        hi = lo + r.randint(1, 3)
        guard = "(<= %s %s) (<= %s %s)" % (literal(lo), y, y, literal(hi))
        body = formula(r, names + [y], False, depth - 1)
        if r.random() < 0.5:
            return "(forall ((%s Real)) (=> (and %s) %s))" % (y, guard, body)
        return "(exists ((%s Real)) (and %s %s))" % (y, guard, body)
    return atom(r, names)


def problem(seed):
    r = random.Random(seed)
    names = ["x%d" % i for i in range(r.randint(1, 3))]
    quantify = r.random() < 0.3
    lines = ["(set-logic %s)" % ("NRA" if quantify else "QF_NRA")]
    lines += ["(declare-const %s Real)" % x for x in names]
    for x in names:
        lo = r.randint(-3, 1)
        hi = lo + r.randint(1, 4)
        lines.append("(assert (<= %s %s %s))" % (literal(lo), x, literal(hi)))
    for _ in range(r.randint(1, 3)):
        lines.append("(assert %s)" % formula(r, names, quantify, 3))
    lines.append("(check-sat)")
    return "\n".join(lines) + "\n"


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    brix, start, count, out = args[0], 1, 200, "build/smt2-vs-z3"
    for flag, value in zip(args[1::2], args[2::2]):
        if flag == "-seed":
            start = int(value)
        elif flag == "-count":
            count = int(value)
        elif flag == "-out":
            out = value
    os.makedirs(out, exist_ok=True)
    findings, tally = 0, {}
    for seed in range(start, start + count):
        path = os.path.join(out, "p%d.smt2" % seed)
        with open(path, "w") as f:
            f.write(problem(seed))
        answers = []
        for command in ([brix, "-t", "2", path], ["z3", "-T:10", path]):
            try:
                words = subprocess.run(command, capture_output=True, text=True,
                                       timeout=60).stdout.split()
            except subprocess.TimeoutExpired:
                words = ["hang"]
            answers.append(words[0] if words else "none")
        b, z = answers
        tally[(b, z)] = tally.get((b, z), 0) + 1
        decided = ("sat", "unsat")
        if (b in decided and z in decided and b != z) or b not in decided + ("unknown",):
            print("finding: %s brix-smt2 %s, z3 %s" % (path, b, z))
            findings += 1
        else:
            os.remove(path)
    for (b, z), n in sorted(tally.items()):
        print("brix-smt2 %-8s z3 %-8s %d" % (b, z, n))
    print("%d problems, %d findings" % (count, findings))
    sys.exit(1 if findings else 0)


if __name__ == "__main__":
    main()
