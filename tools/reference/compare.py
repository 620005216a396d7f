#!/usr/bin/env python3
"""Differential check of the one-variable segmented regression against segref.py.

A developer tool, not part of the test suite.  It generates random data sets of
many shapes, runs each through

  * the Python reference (segref.py),
  * search_driver (the engine's search, all digits; built here with g++), and
  * vornax-batch (the report a user gets),

and compares the found type, the method, the optimal breakpoint, the
coefficients of explanation (CE1 and the running maxima of the types), and from
the report the type line, St.Err.BP and the summary coefficients.

    cmake -S . -B build-r1 -DCMAKE_BUILD_TYPE=RelWithDebInfo && \
        cmake --build build-r1 -j2 --target vornax-batch
    python3 tools/reference/compare.py --build build-r1 --cases 300 --seed 1

Cases that disagree are kept as .inp files (with the options in the title) in
--keep (default /tmp/vornax-compare); rerun them with --replay FILE.inp ...
--max-n 30 favours small data sets (fall-backs, carried standard errors,
minimum counts).  --double-lines holds the reference's final lines as doubles,
as the program does: the exact reference and the program then differ only where
data lie far from zero against their spread (an offset 1e7 with a spread 1e-3),
and with --double-lines those differences vanish.

The coefficients of explanation are compared to 1e-9; the report's numbers to
the digits printed.  A difference only in the choice among candidates whose
coefficients agree to rounding is counted as a near-tie, not as a fault.

search_driver also runs the search passing over the data for every candidate and
checks that the constant-time search chose alike and left every number equal to the
last bit; any difference there is counted as a discrepancy ("closed-form").
--closed-form-only runs that check alone (no reference, no report), fast enough for
many thousands of cases:

    python3 tools/reference/compare.py --build build --cases 6000 --closed-form-only
"""

from __future__ import annotations

import argparse
import math
import os
import random
import re
import subprocess
import sys
import tempfile
from fractions import Fraction as Fr

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from segref import Reference, read_inp  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


# ---------------------------------------------------------------- data shapes
def make_x(rng: random.Random, n: int):
    kind = rng.choice(["uniform", "uniform", "grid", "equal", "equalleft", "cluster",
                       "fewdistinct"])
    lo = rng.choice([0.0, rng.uniform(-50, 50), rng.uniform(0, 1000)])
    width = rng.choice([1.0, 10.0, 100.0, rng.uniform(0.01, 500)])
    if kind == "uniform":
        xs = [lo + width * rng.random() for _ in range(n)]
    elif kind == "grid":
        xs = [lo + width * (i // rng.choice([1, 1, 2, 3])) / n for i in range(n)]
        xs = [round(v, 2) for v in xs]
    elif kind == "equal":
        # many equal X: a few repeated values, sometimes all but one equal
        if rng.random() < 0.3:
            xs = [lo] * (n - 1) + [lo + width]
        else:
            vals = [lo + width * rng.random() for _ in range(rng.randint(2, 6))]
            xs = [rng.choice(vals) for _ in range(n)]
    elif kind == "equalleft":
        # a block of identical X at the low end, then spread values
        m = rng.randint(3, max(3, n // 2))
        xs = [lo] * m + [lo + width * rng.random() for _ in range(n - m)]
    elif kind == "cluster":
        centres = [lo + width * rng.random() for _ in range(3)]
        xs = [rng.choice(centres) + width * 0.02 * rng.gauss(0, 1) for _ in range(n)]
    else:
        xs = [float(rng.randint(0, 9)) * width / 9 + lo for _ in range(n)]
    rng.shuffle(xs)
    return xs, kind


def make_y(rng: random.Random, xs):
    xmin, xmax = min(xs), max(xs)
    span = (xmax - xmin) or 1.0
    bp = xmin + span * rng.uniform(0.15, 0.85)
    level = rng.choice([0.0, 5.0, 100.0, -20.0, rng.uniform(-50, 50)])
    s = rng.choice([1.0, -1.0]) * rng.choice([0.1, 1.0, 3.0, 10.0]) / span * 10
    noise = rng.choice([0.01, 0.1, 0.5, 1.0, 3.0])
    shape = rng.choice(["line", "type3", "type4", "type5", "twoslopes", "steps", "noise",
                        "const"])

    def f(x):
        if shape == "line":
            return level + s * (x - xmin)
        if shape == "type3":
            return level + (s * (x - bp) if x >= bp else 0.0)
        if shape == "type4":
            return level + (s * (x - bp) if x < bp else 0.0)
        if shape == "type5":
            return level + (abs(s) * span * 0.3 if x >= bp else 0.0)
        if shape == "twoslopes":
            s2 = s * rng_factor
            return level + (s * (x - bp) if x < bp else s2 * (x - bp))
        if shape == "steps":
            return level + s * (x - xmin) + (jump if x >= bp else 0.0)
        if shape == "const":
            return level
        return level

    rng_factor = rng.choice([-1.0, -0.5, 0.0, 0.3, 1.1, 1.3, 2.5])
    jump = rng.choice([-1, 1]) * abs(s) * span * rng.uniform(0.1, 0.6)
    scale = abs(s) * span
    ys = [f(x) + noise * scale * 0.1 * rng.gauss(0, 1) for x in xs]
    if shape == "const" and rng.random() < 0.5:
        ys = [level] * len(xs)
    if rng.random() < 0.15:
        # an exact plateau: every Y on one side of the break the same value
        left = rng.random() < 0.5
        ys = [level if (x < bp) == left else y for x, y in zip(xs, ys)]
        shape += "+plateau"
    return ys, shape


def make_case(rng: random.Random, max_n: int = 300):
    n = min(max_n, rng.choice([rng.randint(3, 12), rng.randint(10, 60), rng.randint(40, 300)]))
    xs, xkind = make_x(rng, n)
    ys, shape = make_y(rng, xs)
    mag = rng.random()
    if mag < 0.12:  # huge or tiny magnitudes
        ey = rng.choice([-40, -12, -6, 6, 12, 40])
        ex = rng.choice([0, 0, 3, 8, 30])
        ys = [y * 10.0 ** ey for y in ys]
        xs = [x * 10.0 ** ex for x in xs]
        shape += f"*1e{ey}/1e{ex}"
    elif mag < 0.2:  # a large offset against a small spread
        oy = rng.choice([1e4, 1e6, 1e8, -1e7])
        ox = rng.choice([0.0, 0.0, 1e3, 1e5])
        ys = [y * 1e-3 + oy for y in ys]
        xs = [x + ox for x in xs]
        shape += f"+{oy:g}/+{ox:g}"
    extra = rng.random()
    if extra < 0.08:
        # mirror images: Y symmetric about the middle of X, so that candidates on either side
        # explain exactly as much in exact arithmetic and differ only by rounding (near-ties)
        half = max(2, n // 2)
        lo = min(xs)
        step = ((max(xs) - lo) or 1.0) / (2 * half)
        left = [lo + step * i for i in range(half)]
        mid = lo + step * half
        xs = left + [2 * mid - x for x in reversed(left)]
        prof = [ys[i % len(ys)] for i in range(half)]
        ys = prof + list(reversed(prof))
        shape += "+mirror"
    elif extra < 0.16:
        # data sets replicated by weight factors: each repeated 2 to 4 times
        k = rng.randint(2, 4)
        ys = [y for y in ys for _ in range(k)]
        xs = [x for x in xs for _ in range(k)]
        shape += f"+replicated{k}"
    n = len(xs)
    conf = rng.choice([90, 95, 98])
    prefer = exclude = None
    r = rng.random()
    if r < 0.15:
        prefer = rng.randint(1, 6)
    elif r < 0.3:
        exclude = rng.randint(2, 6)
    return dict(ys=ys, xs=xs, conf=conf, prefer=prefer, exclude=exclude,
                label=f"{shape}/{xkind}/n={n}")


# ---------------------------------------------------------------- files
def write_inp(path, case):
    lines = [
        f" {case['label']}",
        f" options conf={case['conf']} prefer={case['prefer']} exclude={case['exclude']}",
        f" File name:  {path}",
        " Number of independent variables:  1",
        f" Number of data sets:  {len(case['ys'])}",
        "",
        "",
        "          Dependent    independent",
        "Serial    variable     variable",
        "number    Y            X",
        "-" * 34,
    ]
    for i, (y, x) in enumerate(zip(case["ys"], case["xs"]), 1):
        lines.append(f"{i:5d} {y!r:>24} {x!r:>24}")
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


def read_case(path):
    ys, xs = read_inp(path)
    with open(path, encoding="latin-1") as f:
        head = f.read().splitlines()
    m = re.search(r"conf=(\d+) prefer=(\w+) exclude=(\w+)", head[1])
    conv = lambda v: None if v == "None" else int(v)  # noqa: E731
    return dict(ys=ys, xs=xs, conf=int(m.group(1)), prefer=conv(m.group(2)),
                exclude=conv(m.group(3)), label=head[0].strip())


def build_driver(build):
    exe = os.path.join(tempfile.gettempdir(), "vornax_search_driver")
    src = os.path.join(HERE, "search_driver.cpp")
    libs = [os.path.join(build, "libvornax_regression.a"), os.path.join(build, "libvornax_data.a")]
    subprocess.run(["g++", "-std=c++20", "-O2", "-I", os.path.join(ROOT, "src"), src, *libs,
                    "-o", exe], check=True)
    return exe


def run_driver(exe, case):
    data = "".join(f"{y!r} {x!r}\n" for y, x in zip(case["ys"], case["xs"]))
    out = subprocess.run([exe, str(case["conf"]), str(case["prefer"] or -1),
                          str(case["exclude"] or 0)], input=data, capture_output=True,
                         text=True, check=True).stdout
    d = {}
    for line in out.splitlines():
        k, v = line.split(None, 1)
        d[k] = v
    return d


TYPE_LINE = re.compile(r"^ Function type : (\d)")
COEFS = re.compile(r"^ +(A|As|Cs) = +(\S+) +(C|Ag|Cg) = +(\S+)$")


def run_batch(batch, inp, outdir, case):
    cmd = [batch, inp, "--output-dir", outdir, "-q", "--confidence", str(case["conf"])]
    if case["prefer"]:
        cmd += ["--prefer", str(case["prefer"])]
    if case["exclude"]:
        cmd += ["--exclude", str(case["exclude"])]
    p = subprocess.run(cmd, capture_output=True, text=True)
    res = {"rc": p.returncode, "stderr": p.stderr.strip()}
    if p.returncode != 0:
        return res
    name = os.path.splitext(os.path.basename(inp))[0]
    with open(os.path.join(outdir, name + ".out"), encoding="latin-1") as f:
        lines = f.read().replace("\r\n", "\n").split("\n")
    for i, line in enumerate(lines):
        m = TYPE_LINE.match(line)
        if m:
            res["typeline"] = int(m.group(1))
            if lines[i + 1].startswith(" Calc. method  :"):
                res["method"] = int(lines[i + 1][16:])
        if line.startswith(" Optimal breakpoint of X (BPx) :"):
            res["bp"] = float(line[32:])
        m = COEFS.match(line)
        if m:
            res[m.group(1)] = float(m.group(2))
            res[m.group(3)] = float(m.group(4))
        if "St.Err.BPx" in line and "Y at BPx" in line:  # type 2: Ybp, SEBP, CE
            res["sebp"] = float(lines[i + 1].split()[1])
        if line.startswith("  St.Err.Slope") and "St.Err.BPx" in line:  # types 3 and 4
            res["sebp"] = float(lines[i + 1].split()[1])
    return res


# ---------------------------------------------------------------- comparison
# CE lies in [0, 1] (or a little above for the thresholds 1.1 CE and the like); the sums of
# squares of the program are differences of long double sums, so data with a large offset
# against their spread lose digits there: compare CE absolutely.
CE_TOL = 1e-9


def close(a, b, rel, absol):
    return abs(a - b) <= rel * max(abs(a), abs(b)) + absol


def printed_close(prog, ref, digits, absol):
    """prog was printed with `digits` significant digits; ref is exact-ish."""
    if ref == 0 or prog == 0:
        return abs(prog - ref) <= absol
    return abs(prog - ref) <= 0.6 * 10.0 ** (math.floor(math.log10(abs(ref))) - digits + 1) + absol


def compare(case, ref, drv, bat):
    """Returns a list of (kind, text) differences."""
    diffs = []
    yscale = max(abs(y) for y in case["ys"]) or 1.0
    xs = case["xs"]
    xrange_ = (max(xs) - min(xs)) or 1.0
    xscale = max(abs(x) for x in xs)
    slope_abs = 1e-9 * yscale / xrange_
    icpt_abs = 1e-9 * (yscale + yscale * xscale / xrange_)

    if drv.get("closedform") != "same":
        diffs.append(("closed-form", f"search from the closed form differs: {drv.get('closedform')}"))
    rf = ref["failed"] or "None"
    if drv["failed"] != rf:
        diffs.append(("failed", f"ref {rf} prog {drv['failed']}"))
        return diffs
    if rf == "novariation":
        if bat["rc"] != 1:
            diffs.append(("batch", f"no-variation data gave exit {bat['rc']}"))
        return diffs
    ce1 = float(ref["ce1"])
    if not close(float(drv["ce1"]), ce1, 0, CE_TOL):
        diffs.append(("ce1", f"ref {ce1!r} prog {drv['ce1']}"))
    for t, key in ((3, "ce3m"), (4, "ce4m"), (5, "ce5m"), (2, "ce2m"), (6, "ce6m")):
        if t in ref["maxima"]:
            r = float(ref["maxima"][t])
            if not close(float(drv[key]), r, 0, CE_TOL):
                diffs.append(("maxima", f"type {t}: ref {r!r} prog {drv[key]}"))
    if int(drv["type"]) != ref["type_search"]:
        diffs.append(("type", f"ref {ref['type_search']} prog {drv['type']}"))
    if float(drv["bp"]) != ref["bp"]:
        diffs.append(("bp", f"ref {ref['bp']!r} prog {drv['bp']}"))
    if ref["type_search"] in (2, 3, 4) and int(drv["method"]) != ref["method"]:
        diffs.append(("method", f"ref {ref['method']} prog {drv['method']}"))
    if rf == "preferred":
        if bat["rc"] != 1:
            diffs.append(("batch", f"preferred type not found but exit {bat['rc']}"))
        return diffs
    if bat["rc"] != 0:
        diffs.append(("batch", f"exit {bat['rc']}: {bat['stderr'][:200]}"))
        return diffs
    # the report
    t = ref["type"]
    shown = {0: 0, 1: 1, 2: 2, 3: 3, 4: 4, 5: 5}.get(t)
    if t == 6:
        shown = {1: 8, 2: 6, 3: 7}[ref["variant"]]
    if bat.get("typeline") != shown:
        diffs.append(("report-type", f"ref {shown} prog {bat.get('typeline')}"))
        return diffs
    if t in (2, 3, 4) and bat.get("method") != ref["method"]:
        diffs.append(("report-method", f"ref {ref['method']} prog {bat.get('method')}"))
    if t >= 2:
        if not printed_close(bat["bp"], ref["bp"], 4, 0):
            diffs.append(("report-bp", f"ref {ref['bp']!r} prog {bat['bp']}"))
        for k, ab in (("As", slope_abs), ("Ag", slope_abs), ("Cs", icpt_abs), ("Cg", icpt_abs)):
            if not printed_close(bat[k], ref[k], 4, ab):
                diffs.append(("report-coef", f"{k}: ref {ref[k]!r} prog {bat[k]}"))
        if t in (2, 3, 4):
            sebp = ref["sebp"]
            if not printed_close(bat["sebp"], sebp, 3, 1e-9 * xrange_):
                diffs.append(("report-sebp", f"ref {sebp!r} prog {bat['sebp']}"))
    else:
        for k, rk, ab in (("A", "A", slope_abs), ("C", "C", icpt_abs)):
            if not printed_close(bat[k], ref[rk], 4, ab):
                diffs.append(("report-coef", f"{k}: ref {ref[rk]!r} prog {bat[k]}"))
    return diffs


def near_tie(ref, drv):
    """True when every coefficient of explanation agrees to rounding and only the
    choice among equal ones differs."""
    pairs = [(float(ref["ce1"]), float(drv["ce1"]))]
    for t, key in ((3, "ce3m"), (4, "ce4m"), (5, "ce5m"), (2, "ce2m"), (6, "ce6m")):
        if t in ref["maxima"]:
            pairs.append((float(ref["maxima"][t]), float(drv[key])))
    return all(close(a, b, 0, CE_TOL) for a, b in pairs)


def run_case(case, exe, batch, workdir, keep, index):
    inp = os.path.join(workdir, f"case{index:04d}.inp")
    write_inp(inp, case)
    ref = Reference(case["ys"], case["xs"], case["conf"], case["prefer"], case["exclude"]).run()
    ref["type_search"] = ref.get("type") if ref.get("type") != 0 else 1
    if "maxima" in ref and ref.get("type") == 0:
        ref["type_search"] = 1
    drv = run_driver(exe, case)
    outdir = os.path.join(workdir, f"out{index:04d}")
    os.makedirs(outdir, exist_ok=True)
    bat = run_batch(batch, inp, outdir, case)
    diffs = compare(case, ref, drv, bat)
    if diffs and keep:
        os.makedirs(keep, exist_ok=True)
        write_inp(os.path.join(keep, f"case{index:04d}.inp"), case)
    return ref, drv, bat, diffs


def main(argv):
    ap = argparse.ArgumentParser(description="Differential check against the Python reference")
    ap.add_argument("--build", default=os.path.join(ROOT, "build-r1"))
    ap.add_argument("--cases", type=int, default=300)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--keep", default=os.path.join(tempfile.gettempdir(), "vornax-compare"))
    ap.add_argument("--replay", nargs="*")
    ap.add_argument("--max-n", type=int, default=300, help="largest data set generated")
    ap.add_argument("--verbose", "-v", action="store_true")
    ap.add_argument("--closed-form-only", action="store_true",
                    help="only check that the constant-time search decides as the pass over "
                         "the data (no reference, no report): fast enough for many thousands")
    ap.add_argument("--double-lines", action="store_true",
                    help="hold the reference's final lines as doubles, as the program does")
    a = ap.parse_args(argv)
    Reference.double_lines = a.double_lines
    exe = build_driver(a.build)
    batch = os.path.join(a.build, "vornax-batch")
    rng = random.Random(a.seed)
    counts = {}
    ties = 0
    bad = 0
    with tempfile.TemporaryDirectory() as work:
        cases = ([read_case(p) for p in a.replay] if a.replay
                 else [make_case(rng, a.max_n) for _ in range(a.cases)])
        for i, case in enumerate(cases):
            if a.closed_form_only:
                drv = run_driver(exe, case)
                key = f"{drv['failed'] if drv['failed'] != 'None' else drv['type']}"
                counts[key] = counts.get(key, 0) + 1
                if drv.get("closedform") != "same":
                    bad += 1
                    print(f"[DIFF] case {i} {case['label']} conf={case['conf']} "
                          f"prefer={case['prefer']} exclude={case['exclude']}")
                    print(f"    closed-form: {drv.get('closedform')}")
                    if a.keep:
                        os.makedirs(a.keep, exist_ok=True)
                        write_inp(os.path.join(a.keep, f"case{i:04d}.inp"), case)
                continue
            ref, drv, bat, diffs = run_case(case, exe, batch, work, None if a.replay else a.keep, i)
            key = f"{ref.get('failed') or ref['type']}"
            counts[key] = counts.get(key, 0) + 1
            if diffs:
                tie = "maxima" not in {k for k, _ in diffs} and "ce1" not in {k for k, _ in diffs} \
                    and drv.get("failed") == (ref["failed"] or "None") and near_tie(ref, drv)
                kinds = {k for k, _ in diffs}
                if tie and kinds & {"type", "bp", "method"} and \
                        kinds <= {"type", "bp", "method", "report-type", "report-method",
                                  "report-bp", "report-coef", "report-sebp"}:
                    ties += 1
                    tag = "near-tie"
                else:
                    bad += 1
                    tag = "DIFF"
                print(f"[{tag}] case {i} {case['label']} conf={case['conf']} "
                      f"prefer={case['prefer']} exclude={case['exclude']}")
                for k, text in diffs:
                    print(f"    {k}: {text}")
            elif a.verbose:
                print(f"[ok] case {i} {case['label']} type {ref.get('type')} "
                      f"bp {ref.get('bp')}")
    what = "program" if a.closed_form_only else "reference"
    print(f"{len(cases)} cases; results by {what} type/failure: {dict(sorted(counts.items()))}")
    print(f"near-ties from rounding: {ties}; other discrepancies: {bad}")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
