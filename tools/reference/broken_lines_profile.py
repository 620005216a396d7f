#!/usr/bin/env python3
"""The likelihood intervals of a broken line's breakpoints by a plain profile scan.

An independent check of vornax-batch --breakpoints 2|3 (double precision, plain Python): the best
broken line over all admissible breakpoints (at least three data sets in every segment, counted
as X above the lower breakpoint and at or below the upper one, and two different X values between
its ends), exactly: every combination of places, each breakpoint at a data value or free inside
the interval to the next one (where the fit is linear and b = -d/c must fall inside). Then, for
each breakpoint j, the profile residual sum at a place t is the best residual sum with breakpoint
j held at t and the others at their best admissible places (searched the same way). The profile is scanned on a fine uniform grid over the whole range of
X, and each end of the interval where the profile crosses S * (1 + F / (N - p)) is narrowed by
halving. An end where the profile stays below the limit up to the last admissible place is
printed with "(end of range)".

    python3 tools/reference/broken_lines_profile.py examples/01-yield-watertable.inp 2 [POINTS]
    python3 tools/reference/broken_lines_profile.py --csv data.csv 3
"""
import itertools
import math
import sys

from iterative_broken_lines import solve
from segref import read_inp


def read_csv(path):
    xs, ys = [], []
    for line in open(path):
        t = line.replace(";", ",").split(",")
        try:
            y, x = float(t[0]), float(t[1])
        except ValueError:
            continue
        ys.append(y)
        xs.append(x)
    return xs, ys


class Data:
    def __init__(self, xs, ys):
        self.xs, self.ys = xs, ys
        self.grid = sorted(set(xs))
        self.n = len(xs)
        # Centred and scaled, so the normal equations keep their digits.
        self.c = (self.grid[0] + self.grid[-1]) / 2
        self.h = (self.grid[-1] - self.grid[0]) / 2
        self.my = sum(ys) / len(ys)

    def admissible(self, bps):
        if any(not bps[i] < bps[i + 1] for i in range(len(bps) - 1)):
            return False
        ends = [-math.inf] + list(bps) + [math.inf]
        for a, b in zip(ends, ends[1:]):
            if sum(1 for x in self.xs if a < x <= b) < 3:
                return False
            if len({x for x in self.grid if a <= x <= b}) < 2:
                return False
        return True

    def rss(self, bps):
        if not self.admissible(bps):
            return math.inf
        us = [(b - self.c) / self.h for b in bps]
        rows = []
        for x in self.xs:
            u = (x - self.c) / self.h
            rows.append([1.0, u] + [u - b if u > b else 0.0 for b in us])
        p = len(rows[0])
        ys = [y - self.my for y in self.ys]
        a = [[math.fsum(r[i] * r[j] for r in rows) for j in range(p)] for i in range(p)]
        rhs = [math.fsum(r[i] * y for r, y in zip(rows, ys)) for i in range(p)]
        coef = solve(a, rhs)
        if coef is None:
            return math.inf
        return math.fsum((y - sum(ci * v for ci, v in zip(coef, r))) ** 2 for r, y in zip(rows, ys))


def solve_places(d, chosen):
    """Least squares with each breakpoint at ('at', value) or free in ('in', lo, hi), where the
    hinge is I*u - b*I; the breakpoints and residual sum, or None when a free one falls outside
    its interval or the places are not admissible."""
    rows = []
    for x in d.xs:
        u = (x - d.c) / d.h
        row = [1.0, u]
        for pl in chosen:
            lo = (pl[1] - d.c) / d.h
            if pl[0] == "at":
                row.append(u - lo if x > pl[1] else 0.0)
            else:
                row += [u if x > pl[1] else 0.0, 1.0 if x > pl[1] else 0.0]
        rows.append(row)
    p = len(rows[0])
    ys = [y - d.my for y in d.ys]
    a = [[math.fsum(r[i] * r[j] for r in rows) for j in range(p)] for i in range(p)]
    rhs = [math.fsum(r[i] * y for r, y in zip(rows, ys)) for i in range(p)]
    coef = solve(a, rhs)
    if coef is None:
        return None
    bps, col = [], 2
    for pl in chosen:
        if pl[0] == "at":
            bps.append(pl[1])
            col += 1
        else:
            if coef[col] == 0:
                return None
            b = d.c + d.h * (-coef[col + 1] / coef[col])
            if not pl[1] <= b < pl[2]:
                return None
            bps.append(b)
            col += 2
    val = d.rss(bps)
    return (bps, val) if val < math.inf else None


def best_line(d, k, fixed=None, at=None):
    """The best admissible breakpoints (breakpoint `fixed` held at `at`), exactly: every
    combination of places for the others, each a data value, the upper end of the interval to
    the next one (approached from below, its data set counted above) or free inside it."""
    places = []
    for i, g in enumerate(d.grid):
        places.append(("at", g))
        if i + 1 < len(d.grid):
            places.append(("in", g, d.grid[i + 1]))
            places.append(("at", math.nextafter(d.grid[i + 1], -math.inf)))
    best = (None, math.inf)
    for combo in itertools.combinations(places, k - (fixed is not None)):
        chosen = list(combo)
        if fixed is not None:
            chosen.insert(fixed, ("at", at))
        got = solve_places(d, chosen)
        if got and got[1] < best[1]:
            best = got
    return best


def t_quantile(conf, df):
    """Two-sided Student t quantile by bisection on the regularised incomplete beta."""
    def tail(t):
        return betainc(df / 2, 0.5, df / (df + t * t))
    lo, hi = 0.0, 1.0
    while tail(hi) > 1 - conf:
        hi *= 2
    for _ in range(200):
        mid = (lo + hi) / 2
        if tail(mid) > 1 - conf:
            lo = mid
        else:
            hi = mid
    return (lo + hi) / 2


def betainc(a, b, x):
    """I_x(a, b) by its continued fraction (Numerical Recipes' form)."""
    if x <= 0:
        return 0.0
    if x >= 1:
        return 1.0
    lbeta = math.lgamma(a + b) - math.lgamma(a) - math.lgamma(b)
    front = math.exp(lbeta + a * math.log(x) + b * math.log(1 - x))
    if x > (a + 1) / (a + b + 2):
        return 1 - betainc(b, a, 1 - x)
    tiny = 1e-300
    f, c, dd = 1.0, 1.0, 0.0
    for i in range(0, 400):
        m = i // 2
        if i == 0:
            num = 1.0
        elif i % 2 == 0:
            num = m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m))
        else:
            num = -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1))
        dd = 1 + num * dd
        dd = tiny if abs(dd) < tiny else dd
        dd = 1 / dd
        c = 1 + num / c
        c = tiny if abs(c) < tiny else c
        f *= c * dd
        if abs(1 - c * dd) < 1e-15:
            break
    return front * (f - 1) / a


def main():
    args = sys.argv[1:]
    if args[0] == "--csv":
        xs, ys = read_csv(args[1])
        args = args[1:]
    else:
        ys, xs = read_inp(args[0])
    k = int(args[1])
    points = int(args[2]) if len(args) > 2 else 200
    conf = 0.9
    d = Data(xs, ys)
    bps, rss = best_line(d, k)
    df = d.n - 2 * k - 2
    tq = t_quantile(conf, df)
    limit = rss * (1 + tq * tq / df)
    print("breakpoints", " ".join("%.10g" % b for b in bps), "rss %.10g" % rss,
          "limit %.10g" % limit, "t %.6f" % tq)
    for j in range(k):
        def profile(t):
            return best_line(d, k, fixed=j, at=t)[1]
        lo_x, hi_x = d.grid[0], d.grid[-1]
        scan = sorted(set([lo_x + (hi_x - lo_x) * i / points for i in range(points + 1)] +
                          [bps[j]]))
        values = [(t, profile(t)) for t in scan]
        inside = [t for t, v in values if v <= limit]
        ends = []
        for side in (-1, 1):
            edge = min(inside) if side < 0 else max(inside)
            # The next scanned place outward: beyond the limit, or no admissible place.
            outer = [(t, v) for t, v in values if (t < edge if side < 0 else t > edge)]
            outer = sorted(outer, key=lambda p: -p[0] if side < 0 else p[0])
            if not outer or outer[0][1] == math.inf and all(v == math.inf for _, v in outer):
                # Nothing admissible beyond: narrow to the last admissible place.
                a, b = edge, (outer[0][0] if outer else edge)
                for _ in range(50):
                    mid = (a + b) / 2
                    if profile(mid) < math.inf:
                        a = mid
                    else:
                        b = mid
                if profile(b) <= limit:
                    a = b
                ends.append("%.6g (end of range)" % a)
                continue
            a, b = edge, outer[0][0]
            for _ in range(40):
                mid = (a + b) / 2
                if profile(mid) <= limit:
                    a = mid
                else:
                    b = mid
            ends.append("%.6g" % a)
        print("breakpoint %d  %.6g  likelihood %s to %s" % (j + 1, bps[j], ends[0], ends[1]))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
