#!/usr/bin/env python3
"""Runs BRIX, z3 and QEPCAD side by side on the peer problems (manifest.txt)
and prints one table: CPU seconds of each, the ratio of BRIX to its peer (z3
for closed sentences, QEPCAD for problems with free variables) and the share
of B that BRIX leaves open.

    run.py BRIX [NAME...] [--limit SECS] [--set DIR]

DIR is a problem set beside this folder (default: peers); QEPCAD runs only
where the set has a NAME.qe file.

Exit status 1 when an answer is wrong, 2 when a tool cannot be run."""
import os
import re
import resource
import shutil
import signal
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def run_cpu(argv, stdin_path, limit):
    """Runs argv with the file on standard input; returns (CPU seconds of the
    child, output, timed out). A run past the limit is killed."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    with open(stdin_path) as f:
        p = subprocess.Popen(argv, stdin=f, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, text=True,
                             start_new_session=True)
        try:
            out, _ = p.communicate(timeout=limit)
            timed_out = False
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            out, _ = p.communicate()
            timed_out = True
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return cpu, out, timed_out


def brix_result(out):
    if "F is true\n" in out:
        return "true", None
    if "F is false\n" in out:
        return "false", None
    vol = {}
    for kind, v in re.findall(r"F (is true|is false|has no truth value) on \d+ boxes? of volume (\S+)", out):
        vol[kind] = float(v)
    total = sum(vol.values())
    share = vol.get("has no truth value", 0.0) / total if total > 0 else None
    return "open", share


def qepcad_result(out):
    m = re.search(r"An equivalent quantifier-free formula:\s*\n\s*\n(.*?)\n\s*\n", out, re.S)
    if not m:
        return "none"
    text = m.group(1).strip()
    return {"TRUE": "true", "FALSE": "false"}.get(text, "formula")


def main():
    args = sys.argv[1:]
    limit = 120.0
    if "--limit" in args:
        i = args.index("--limit")
        limit = float(args[i + 1])
        del args[i:i + 2]
    folder = HERE
    if "--set" in args:
        i = args.index("--set")
        folder = os.path.join(os.path.dirname(HERE), args[i + 1])
        del args[i:i + 2]
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    brix, names = args[0], args[1:]
    z3, qepcad = shutil.which("z3"), shutil.which("qepcad")
    if not os.access(brix, os.X_OK) or not z3 or not qepcad:
        print("run.py: needs BRIX, z3 and qepcad (make bench-peers installs them)", file=sys.stderr)
        return 2
    rows, kinds, wrong = [], [], 0
    for line in open(os.path.join(folder, "manifest.txt")):
        if not line.strip() or line.startswith("#"):
            continue
        name, kind, expected, eps = line.split()
        if names and not any(n in name for n in names):
            continue
        base = os.path.join(folder, name)
        argv = [brix, "-is", "-to", str(int(limit))]
        if kind == "free":
            argv += ["-e", eps]
        b_cpu, b_out, b_to = run_cpu(argv, base + ".brx", limit + 5)
        b_ans, share = brix_result(b_out)
        q_cpu, q_ans = None, "-"
        if os.path.exists(base + ".qe"):
            q_cpu, q_out, q_to = run_cpu([qepcad, "+N200000000"], base + ".qe", limit)
            q_ans = "time-out" if q_to else qepcad_result(q_out)
        z_cpu, z_ans, z_to = None, "-", False
        note = []
        if kind == "closed":
            truth, z_expected = expected.split(":")
            z_cpu, z_out, z_to = run_cpu([z3, "-T:%d" % int(limit), base + ".smt2"], "/dev/null", limit + 5)
            z_ans = "time-out" if z_to else (z_out.strip().splitlines() or ["none"])[-1]
            if b_ans in ("true", "false") and b_ans != truth:
                note.append("BRIX WRONG")
            if z_ans in ("sat", "unsat") and z_ans != z_expected:
                note.append("z3 wrong?")
            if q_ans in ("true", "false") and q_ans != truth:
                note.append("QEPCAD wrong?")
            peer = z_cpu if z_ans in ("sat", "unsat") else None
        else:
            peer = q_cpu if q_ans not in ("time-out", "none", "-") else None
        if "BRIX WRONG" in note:
            wrong += 1
        decided = b_ans in ("true", "false") or (share is not None and share <= float(eps if eps != "-" else 0))
        if not decided:
            ratio = "-"  # BRIX did not answer: counts as infinite
        elif peer is None:
            ratio = "0"  # only BRIX answered
        else:
            ratio = "%.2f" % (b_cpu / max(peer, 0.001))
        kinds.append(kind)
        rows.append((name, "%.3f" % b_cpu, b_ans if kind == "closed" else ("%.4f" % share if share is not None else "-"),
                     "%.3f" % z_cpu if z_cpu is not None else "-", z_ans,
                     "%.2f" % q_cpu if q_cpu is not None else "-", q_ans, ratio, " ".join(note)))
        print("  ".join(rows[-1]), file=sys.stderr, flush=True)
    head = ("problem", "brix s", "brix answer/open", "z3 s", "z3", "qepcad s", "qepcad", "ratio", "")
    widths = [max(len(r[i]) for r in rows + [head]) for i in range(len(head))]
    for r in [head] + rows:
        print("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())
    for kind, peer in (("closed", "z3"), ("free", "QEPCAD")):
        ratios = sorted(float(r[7]) if r[7] != "-" else float("inf")
                        for r, k in zip(rows, kinds) if k == kind)
        if ratios:
            n = len(ratios)
            median = (ratios[(n - 1) // 2] + ratios[n // 2]) / 2
            print("median BRIX/%s ratio over %d problems: %.2f" % (peer, n, median))
    print("wrong answers of BRIX: %d" % wrong)
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
