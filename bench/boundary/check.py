#!/usr/bin/env python3
"""Runs the boundary problems of manifest.txt through a brix executable and
classifies each answer against the expected one (see README.md).

Usage: check.py BRIX [NAME...]   (NAMEs select problems whose file name
contains one of them; all problems when none is given)

Exit status: 0 when no answer is wrong, 1 when some answer is wrong, 2 when
the manifest, a problem file or the executable cannot be used.
"""

import os
import re
import resource
import shutil
import subprocess
import sys
import time
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))
ARGS = ["-is", "-ob", "-opf", "-e", "0.01", "-to", "10"]
# Wall-clock limit around every run (`timeout 30`); BOUNDARY_GUARD=SECONDS
# raises it on a loaded machine, where -to 10 (processor time) takes longer.
GUARD_SECONDS = int(os.environ.get("BOUNDARY_GUARD", "30"))
# A projection is fully decided when no undecided part of B, away from the
# don't-care margins, is wider than this (plus the resolution of the listing).
DECIDED_WIDTH = Fraction(1, 10**6)

HEADINGS = {
    "true": "F, rounded inwards, is true on",
    "false": "F, rounded inwards, is false on",
    "open": "The truth of F, rounded outwards is unknown on",
}
INF = float("inf")


class ManifestError(Exception):
    pass


# --- Sets: unions of boxes, each component an interval with open or closed
# ends. An end is exact (a Fraction) or an enclosure (lo, hi) of an
# irrational number; an enclosure is a don't-care margin.


class End:
    def __init__(self, text):
        if ".." in text:
            lo, hi = text.split("..", 1)
            self.lo, self.hi = parse_rational(lo), parse_rational(hi)
            if not self.lo < self.hi:
                raise ManifestError("empty enclosure " + text)
        else:
            self.lo = self.hi = parse_rational(text)
        self.text = text

    def exact(self):
        return self.lo == self.hi

    def short(self):
        if self.exact():
            return self.text
        return "~%.8g" % float((self.lo + self.hi) / 2)


def parse_rational(text):
    try:
        return Fraction(text)
    except (ValueError, ZeroDivisionError):
        raise ManifestError("not a rational: " + text)


# An interval with flags: (lo, lo_closed, hi, hi_closed); lo and hi are
# Fractions or +-INF.
def interval_empty(iv):
    lo, lc, hi, hc = iv
    return lo > hi or (lo == hi and not (lc and hc))


def intersect_interval(a, b):
    if a[0] > b[0] or (a[0] == b[0] and not a[1]):
        lo, lc = a[0], a[1]
    else:
        lo, lc = b[0], b[1]
    if a[2] < b[2] or (a[2] == b[2] and not a[3]):
        hi, hc = a[2], a[3]
    else:
        hi, hc = b[2], b[3]
    return (lo, lc, hi, hc)


def box_empty(box):
    return any(interval_empty(iv) for iv in box)


def intersect_box(a, b):
    return [intersect_interval(x, y) for x, y in zip(a, b)]


def subtract_box(q, p):
    """q minus p, as a list of disjoint non-empty boxes."""
    pieces = []
    rest = list(q)
    for i, (plo, plc, phi, phc) in enumerate(p):
        below = intersect_interval(rest[i], (-INF, False, plo, not plc))
        above = intersect_interval(rest[i], (phi, not phc, INF, False))
        for part in (below, above):
            piece = rest[:i] + [part] + rest[i + 1 :]
            if not box_empty(piece):
                pieces.append(piece)
        rest[i] = intersect_interval(rest[i], p[i])
        if interval_empty(rest[i]):
            break
    return pieces


def inside_union(box, union):
    remaining = [box] if not box_empty(box) else []
    for piece in union:
        remaining = [r for q in remaining for r in subtract_box(q, piece)]
        if not remaining:
            return True
    return not remaining


def meets_union(box, union):
    return any(not box_empty(intersect_box(box, piece)) for piece in union)


class ExpectedSet:
    """A set written as in the manifest, with its inner and outer
    approximations (they differ only within the enclosures)."""

    def __init__(self, text, dimension):
        self.text = text
        self.pieces = []  # lists of (lo End, lo closed, hi End, hi closed)
        if text != "empty":
            for piece in text.split("+"):
                parts = piece.split("x")
                if len(parts) != dimension:
                    raise ManifestError("%s has %d components, B has %d" % (piece, len(parts), dimension))
                self.pieces.append([parse_interval(p) for p in parts])
        self.inner = [[(lo.hi, lc and lo.exact(), hi.lo, hc and hi.exact()) for lo, lc, hi, hc in p] for p in self.pieces]
        self.outer = [[(lo.lo, True if not lo.exact() else lc, hi.hi, True if not hi.exact() else hc) for lo, lc, hi, hc in p] for p in self.pieces]

    def margins(self):
        """(dimension, lo, hi) of every enclosed end."""
        found = []
        for piece in self.pieces:
            for i, (lo, _, hi, _) in enumerate(piece):
                for end in (lo, hi):
                    if not end.exact():
                        found.append((i, end.lo, end.hi))
        return found

    def short(self):
        if not self.pieces:
            return "empty"
        return "+".join(
            "x".join("%s%s,%s%s" % ("[" if lc else "(", lo.short(), hi.short(), "]" if hc else ")") for lo, lc, hi, hc in p)
            for p in self.pieces
        )


def parse_interval(text):
    m = re.fullmatch(r"([\[(])([^,]+),([^,]+)([\])])", text)
    if not m:
        raise ManifestError("not an interval: " + text)
    return (End(m.group(2)), m.group(1) == "[", End(m.group(3)), m.group(4) == "]")


# --- Problem files and the manifest.


def strip_comments(text):
    out, i, depth = [], 0, 0
    while i < len(text):
        if depth == 0 and text.startswith("//", i):
            j = text.find("\n", i)
            i = len(text) if j < 0 else j
        elif text.startswith("/*", i):
            depth += 1
            i += 2
        elif depth > 0 and text.startswith("*/", i):
            depth -= 1
            i += 2
        else:
            if depth == 0:
                out.append(text[i])
            i += 1
    return "".join(out)


def read_problem(path):
    """(F, names, B) of a problem file; B as a list of (lo, hi) Fractions."""
    answers = [a.strip() for a in strip_comments(open(path).read()).split(";")]
    if len(answers) < 3 or any(a != "" for a in answers[3:]):
        raise ManifestError("%s: expected three answers F; V; B;" % path)
    formula, names, box = answers[:3]
    names = re.findall(r"[A-Za-z_][A-Za-z0-9_]*", names)
    bounds = re.findall(r"\[\s*([^\[\],]+?)\s*,\s*([^\[\],]+?)\s*\]", box)
    b = [(parse_rational(lo), parse_rational(hi)) for lo, hi in bounds]
    if len(b) != len(names):
        raise ManifestError("%s: V has %d names, B %d components" % (path, len(names), len(b)))
    return formula, names, b


class Problem:
    def __init__(self, file, kind, expected):
        self.file, self.kind = file, kind
        self.name = file[:-4] if file.endswith(".brx") else file
        self.path = os.path.join(HERE, file)
        if not os.path.isfile(self.path):
            raise ManifestError("no problem file " + file)
        self.formula, self.names, self.box = read_problem(self.path)
        if kind == "closed":
            if expected not in ("true", "false") or self.names:
                raise ManifestError("%s: a closed problem has no free variables and expects true or false" % file)
            self.expected = expected
        elif kind == "projection":
            m = re.fullmatch(r"true=(\S+)\s+false=(\S+)", expected)
            if not m or not self.names:
                raise ManifestError("%s: a projection has free variables and expects true=SET false=SET" % file)
            d = len(self.names)
            self.true_set, self.false_set = ExpectedSet(m.group(1), d), ExpectedSet(m.group(2), d)
            self.check_partition()
        else:
            raise ManifestError("%s: unknown kind %s" % (file, kind))

    def b_box(self):
        return [(lo, True, hi, True) for lo, hi in self.box]

    def check_partition(self):
        """The two sets must split B: disjoint, and together all of it."""
        b = self.b_box()
        for piece in self.true_set.outer + self.false_set.outer:
            if not inside_union(piece, [b]):
                raise ManifestError("%s: expected set reaches outside B" % self.file)
        for piece in self.true_set.inner:
            if meets_union(piece, self.false_set.inner):
                raise ManifestError("%s: expected true and false sets overlap" % self.file)
        if not inside_union(b, self.true_set.outer + self.false_set.outer):
            raise ManifestError("%s: expected true and false sets leave part of B out" % self.file)

    def expected_text(self):
        if self.kind == "closed":
            return self.expected
        return "T=" + self.true_set.short()


def read_manifest():
    problems = []
    with open(os.path.join(HERE, "manifest.txt")) as m:
        for number, line in enumerate(m, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split(None, 2)
            if len(fields) != 3:
                raise ManifestError("manifest.txt:%d: expected FILE KIND EXPECTED" % number)
            problems.append(Problem(*fields))
    return problems


# --- Reading the listing.


def number(text):
    if text in ("Infinity", "+Infinity", "inf"):
        return INF
    if text in ("-Infinity", "-inf"):
        return -INF
    return Fraction(text)


def resolution(text):
    """The unit of the last printed digit (6 decimals, of the mantissa in
    exponent notation)."""
    m = re.search(r"[eE]([-+]?\d+)$", text)
    return Fraction(10) ** (int(m.group(1)) - 6) if m else Fraction(1, 10**6)


def listed_boxes(output, heading):
    """The boxes under heading, as lists of (lo, lo text, hi, hi text); None
    when the heading is missing."""
    at = output.find(heading + "\n")
    if at < 0:
        return None
    boxes = []
    for line in output[at + len(heading) + 1 :].split("\n"):
        if not line.strip():
            break
        end = line.find(" ] ]")
        body = line[: end + 4] if end >= 0 else line
        texts = body.replace("[", " ").replace("]", " ").replace(",", " ").split()
        if len(texts) % 2:
            continue
        boxes.append([(number(texts[k]), texts[k], number(texts[k + 1]), texts[k + 1]) for k in range(0, len(texts), 2)])
    return boxes


def closed_box(listed):
    return [(lo, True, hi, True) for lo, _, hi, _ in listed]


def thin(listed):
    """A proved box printed upside down holds no printed point."""
    return any(lo > hi for lo, _, hi, _ in listed)


# --- Running and classifying.


class Outcome:
    def __init__(self):
        self.result = ""
        self.open_share = "-"
        self.problems = []  # lines explaining a wrong answer
        self.decided = False
        self.wrong = False


def run(brix, problem):
    with open(problem.path) as stdin:
        cpu_start = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.monotonic()
        try:
            done = subprocess.run(
                ["timeout", str(GUARD_SECONDS), brix] + ARGS,
                stdin=stdin,
                capture_output=True,
                timeout=GUARD_SECONDS + 10,
            )
            rc, out, err = done.returncode, done.stdout, done.stderr
        except subprocess.TimeoutExpired as e:
            rc, out, err = "hung", e.stdout or b"", e.stderr or b""
        seconds = time.monotonic() - start
        cpu_end = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (cpu_end.ru_utime + cpu_end.ru_stime) - (cpu_start.ru_utime + cpu_start.ru_stime)
    return rc, out.decode("utf-8", "replace"), err.decode("utf-8", "replace"), seconds, cpu


def status_text(rc, out, err):
    words = ["%s" % rc]
    if rc == 124:
        words.append("killed")
    elif isinstance(rc, int) and rc < 0:
        words.append("signal%d" % -rc)
    if "Out of precision" in err or "Out of precision" in out:
        words.append("out-of-precision")
    if "Partial result!" in out:
        words.append("partial")
    if "time-out after" in out:
        words.append("time-out")
    if "Syntax error" in out or "Syntax error" in err:
        words.append("syntax-error")
    return " ".join(words)


def classify_closed(problem, out):
    o = Outcome()
    said_true = re.search(r"^F is true$", out, re.M) is not None
    said_false = re.search(r"^F is false$", out, re.M) is not None
    if said_true and said_false:
        o.result, o.wrong = "WRONG", True
        o.problems.append("said both true and false")
    elif said_true or said_false:
        answer = "true" if said_true else "false"
        if answer == problem.expected:
            o.result, o.decided = "right", True
        else:
            o.result, o.wrong = "WRONG", True
            o.problems.append("said %s, the sentence is %s" % (answer, problem.expected))
    else:
        o.result = "undecided"
    return o


def undecided_parts(problem, listing):
    """The parts of B no proved box covers, each as (box, slack): in one
    dimension the gaps between the listed true and false boxes, in more the
    listed open boxes. slack is the listing resolution at its ends."""
    d = len(problem.box)
    if d == 1:
        proved = sorted(
            (b[0] for b in listing["true"] + listing["false"] if not thin(b)),
            key=lambda c: c[0],
        )
        lo, lo_text = problem.box[0][0], None
        hi = problem.box[0][1]
        gaps = []
        for plo, plo_text, phi, phi_text in proved:
            if plo > lo:
                gaps.append((lo, lo_text, min(plo, hi), plo_text))
            if phi > lo:
                lo, lo_text = phi, phi_text
        if lo < hi:
            gaps.append((lo, lo_text, hi, None))
        parts = []
        for glo, glo_text, ghi, ghi_text in gaps:
            slack = sum(resolution(t) for t in (glo_text, ghi_text) if t is not None)
            parts.append(([(glo, True, ghi, True)], slack))
        return parts
    return [(closed_box(b), sum(resolution(t) for c in b for t in (c[1], c[3]))) for b in listing["open"]]


def classify_projection(problem, out):
    o = Outcome()
    listing = {kind: listed_boxes(out, heading) for kind, heading in HEADINGS.items()}
    if any(v is None for v in listing.values()):
        listing = {kind: [] for kind in HEADINGS}
        o.open_share = "1 (none)"
    margin = 0
    for kind, want in (("true", problem.true_set), ("false", problem.false_set)):
        for listed in listing[kind]:
            if thin(listed):
                continue
            box = closed_box(listed)
            if inside_union(box, want.inner):
                continue
            if inside_union(box, want.outer):
                margin += 1
                continue
            o.wrong = True
            o.problems.append(
                "%s box %s is not in the expected %s set %s"
                % (kind, "x".join("[%s, %s]" % (c[1], c[3]) for c in listed), kind, want.text)
            )
    # The open share as BRIX computes it; else from the listed proved boxes.
    m = re.search(r"^Relative error: (\S+)", out, re.M)
    volume_b = 1
    for lo, hi in problem.box:
        volume_b *= hi - lo
    if m:
        o.open_share = "%.3g" % float(m.group(1))
    elif o.open_share == "-" and volume_b > 0:
        covered = 0
        for listed in listing["true"] + listing["false"]:
            if not thin(listed):
                v = 1
                for lo, _, hi, _ in listed:
                    v *= hi - lo
                covered += v
        o.open_share = "%.3g" % float(1 - covered / volume_b)

    margins = problem.true_set.margins() + problem.false_set.margins()
    wide = 0
    for part, slack in undecided_parts(problem, listing):
        pieces = [part]
        for dim, lo, hi in margins:
            slab = [(-INF, False, INF, False)] * len(problem.box)
            slab[dim] = (lo, True, hi, True)
            pieces = [r for q in pieces for r in subtract_box(q, slab)]
        for piece in pieces:
            if min(hi - lo for lo, _, hi, _ in piece) > DECIDED_WIDTH + slack:
                wide += 1
    present = o.open_share != "1 (none)"
    if o.wrong:
        o.result = "WRONG"
    elif present and wide == 0:
        # exact: BRIX itself reports no open volume at all.
        o.result = "exact" if m and float(m.group(1)) == 0 else "decided"
        o.decided = True
    else:
        o.result = "open"
    if margin:
        o.result += " (%d in margin)" % margin
    return o


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    brix = argv[1] if os.sep in argv[1] else (shutil.which(argv[1]) or argv[1])
    if not (os.path.isfile(brix) and os.access(brix, os.X_OK)):
        print("check.py: %s is not an executable" % brix, file=sys.stderr)
        return 2
    try:
        problems = read_manifest()
    except ManifestError as e:
        print("check.py: %s" % e, file=sys.stderr)
        return 2
    if argv[2:]:
        problems = [p for p in problems if any(s in p.file for s in argv[2:])]

    header = ("problem", "kind", "expected", "result", "open", "seconds", "cpu", "status")
    widths = [max(len(header[0]), max((len(p.name) for p in problems), default=0)), 10, 28, 15, 9, 7, 6]
    def row(cells):
        return "  ".join(c.ljust(w) for c, w in zip(cells, widths)) + "  " + cells[-1]
    print(row(header))
    sys.stdout.flush()
    closed = decided_closed = projections = decided_projections = wrong = 0
    complaints = []
    for p in problems:
        rc, out, err, seconds, cpu = run(brix, p)
        o = classify_closed(p, out) if p.kind == "closed" else classify_projection(p, out)
        if p.kind == "closed":
            closed += 1
            decided_closed += o.decided
        else:
            projections += 1
            decided_projections += o.decided
        if o.wrong:
            wrong += 1
            complaints += ["%s: %s" % (p.name, c) for c in o.problems]
        result = o.result if not o.wrong else "*** " + o.result + " ***"
        print(row((p.name, p.kind, p.expected_text(), result, o.open_share, "%.2f" % seconds, "%.2f" % cpu, status_text(rc, out, err))))
        sys.stdout.flush()
    for c in complaints[:50]:
        print("WRONG " + c)
    if len(complaints) > 50:
        print("WRONG ... and %d more" % (len(complaints) - 50))
    print(
        "decided %d of %d closed sentences, projections fully decided %d of %d, wrong %d"
        % (decided_closed, closed, decided_projections, projections, wrong)
    )
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
