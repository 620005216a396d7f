#!/usr/bin/env python3
"""Independent reference for the broken-line reports (two breakpoints).

Fits the broken line Y = C + A*X + D1*max(X-B1,0) + D2*max(X-B2,0) to the test data in 30-digit
arithmetic, exactly: every combination of places for the breakpoints (at a data value, at the
upper end of the interval to the next one with the data set there counted above, or free inside
that interval, where the hinge is I*X - b*I and b = -d/c must fall inside it) solved by its own
normal equations over the data; the errors from the linearised model, the likelihood intervals
from the profile of the residual sum (the other breakpoint searched the same way at every place),
the distributions from mpmath's incomplete beta function. Prints the report with CR LF line ends.
The golden files were made with it and read through by hand; the C++ program never wrote them.

    python3 broken_lines_reference.py exact > broken_lines_exact.out
    python3 broken_lines_reference.py noisy > broken_lines_noisy.out
    python3 broken_lines_reference.py data    # the Y values of the noisy data, X = 0, 2.5, ...
"""
import sys
from decimal import Decimal as D

import mpmath as mp

from one_variable_reference import fexp, ffix

mp.mp.dps = 30
CONF, T = mp.mpf("0.9"), mp.mpf("1.75")


def data(which):
    if which == "exact":
        xs = list(range(21))
        ys = [2 + D("0.5") * x if x <= 6 else (5 - D("1.5") * (x - 6) if x <= 13 else D("-5.5") + 2 * (x - 13))
              for x in xs]
        return [D(y) for y in ys], [D(x) for x in xs]
    xs, ys = [], []
    for i in range(40):
        x = D(i) * D("2.5")
        y = (10 + D("0.3") * x if x < D("32.3") else
             (10 + D("0.3") * D("32.3") - D("0.8") * (x - D("32.3")) if x < D("67.6") else
              10 + D("0.3") * D("32.3") - D("0.8") * (D("67.6") - D("32.3")) + D("0.5") * (x - D("67.6"))))
        w = D(str(round(float(mp.mpf("0.6") * mp.sin(mp.mpf("1.7") * i)), 3)))
        xs.append(x)
        ys.append((y + w).quantize(D("0.001")))
    return ys, xs


def fit(xs, ys, bps):
    """Least-squares coefficients (C, A, D1..) and residual sum for breakpoints bps."""
    p = 2 + len(bps)
    rows = [[mp.mpf(1), x] + [x - b if x > b else mp.mpf(0) for b in bps] for x in xs]
    m = mp.matrix(p, p)
    r = mp.matrix(p, 1)
    for row, y in zip(rows, ys):
        for i in range(p):
            r[i] += row[i] * y
            for j in range(p):
                m[i, j] += row[i] * row[j]
    c = mp.lu_solve(m, r)
    rss = mp.fsum((y - mp.fsum(ci * v for ci, v in zip(c, row))) ** 2 for row, y in zip(rows, ys))
    return [c[i] for i in range(p)], rss


def admissible(xs, bps):
    prev = -mp.inf
    for j, b in enumerate(bps + [mp.inf]):
        seg = [x for x in xs if prev < x <= b]
        distinct = len({x for x in xs if (prev <= x if j else True) and x <= b})
        if len(seg) < 3 or distinct < 2:
            return False
        prev = b
    return len({x for x in xs if x >= bps[-1]}) >= 2 if bps else True


def places(xs):
    """Every place a breakpoint can take: ('at', value) or ('in', lower end, upper end)."""
    grid = sorted(set(xs))
    eps = mp.mpf(10) ** -20  # the upper end approached from below: its data set counts above
    out = []
    for i, g in enumerate(grid):
        out.append(("at", g))
        if i + 1 < len(grid):
            out.append(("in", g, grid[i + 1]))
            out.append(("at", grid[i + 1] - eps))
    return out


def solve_places(xs, ys, chosen):
    """Least squares with the breakpoints at the chosen places; (breakpoints, rss) or None when a
    free breakpoint falls outside its interval or the places are not admissible."""
    rows = []
    for x in xs:
        row = [mp.mpf(1), x]
        for pl in chosen:
            if pl[0] == "at":
                row.append(x - pl[1] if x > pl[1] else mp.mpf(0))
            else:
                row += [x if x > pl[1] else mp.mpf(0), mp.mpf(1) if x > pl[1] else mp.mpf(0)]
        rows.append(row)
    p = len(rows[0])
    m = mp.matrix(p, p)
    r = mp.matrix(p, 1)
    for row, y in zip(rows, ys):
        for i in range(p):
            r[i] += row[i] * y
            for j in range(p):
                m[i, j] += row[i] * row[j]
    try:
        c = mp.lu_solve(m, r)
    except (ZeroDivisionError, TypeError, ValueError):  # singular: some column is empty
        return None
    bps, col = [], 2
    for pl in chosen:
        if pl[0] == "at":
            bps.append(pl[1])
            col += 1
        else:
            if c[col] == 0:
                return None
            b = -c[col + 1] / c[col]
            if not (pl[1] <= b < pl[2]):
                return None
            bps.append(b)
            col += 2
    if any(not bps[i] < bps[i + 1] for i in range(len(bps) - 1)) or not admissible(xs, bps):
        return None
    return bps, fit(xs, ys, bps)[1]


def search(xs, ys, k, fixed=None):
    """The global minimum over all admissible breakpoints; `fixed` = (j, t) holds breakpoint j."""
    import itertools
    if k == 0:
        return [], fit(xs, ys, [])[1]
    best = (None, mp.inf)
    free = k - (1 if fixed else 0)
    for combo in itertools.combinations(places(xs), free):
        chosen = list(combo)
        if fixed:
            chosen.insert(fixed[0], ("at", fixed[1]))
        got = solve_places(xs, ys, chosen)
        if got and got[1] < best[1]:
            best = got
    return best


def tquant(df):
    return mp.findroot(lambda t: mp.betainc(df / 2, mp.mpf(1) / 2, 0, df / (df + t * t), regularized=True) - (1 - CONF), 1.7)


def main():
    which = sys.argv[1]
    if which == "data":
        ysD, xsD = data("noisy")
        sys.stdout.write(", ".join(str(y) for y in ysD) + "\n")
        return
    ysD, xsD = data(which)
    xs = [mp.mpf(str(x)) for x in xsD]
    ys = [mp.mpf(str(y)) for y in ysD]
    n = len(xs)
    sst = mp.fsum((y - mp.fsum(ys) / n) ** 2 for y in ys)
    steps = []
    for k in range(3):
        bps, rss = search(xs, ys, k)
        df = n - 2 * k - 2
        if rss / df <= mp.mpf(10) ** -12 * sst / (n - 1):
            rss = mp.mpf(0)
        steps.append((bps, rss))
    bps, rss = steps[2]
    c, _ = fit(xs, ys, bps)
    k = 2
    df = n - 2 * k - 2
    exact = rss == 0
    s2 = 0 if exact else rss / df
    # J'J: C, A, D1, D2, B1, B2.
    p = 2 * k + 2
    m = mp.matrix(p, p)
    for x in xs:
        row = [mp.mpf(1), x] + [x - b if x > b else 0 for b in bps] + [-c[2 + j] if x > bps[j] else 0 for j in range(k)]
        for i in range(p):
            for j in range(p):
                m[i, j] += row[i] * row[j]
    cov = mp.inverse(m) * s2
    se = [mp.sqrt(max(cov[i, i], 0)) for i in range(p)]
    tq = tquant(df)
    limit = rss * (1 + tq * tq / df)

    def likelihood(j):
        if exact:
            return bps[j], bps[j]
        grid = sorted(set(xs))
        ends = []
        for direction in (-1, 1):
            inside = bps[j]
            outside = None
            order = [g for g in grid if (g < bps[j] if direction < 0 else g > bps[j])]
            order = sorted(order, reverse=direction < 0)
            for g in order:
                v, val = search(xs, ys, k, fixed=(j, g))
                if val > limit:
                    outside = g
                    break
                inside = g
            if outside is None:
                ends.append(inside)
                continue
            for _ in range(48):
                mid = (inside + outside) / 2
                v, val = search(xs, ys, k, fixed=(j, mid))
                if val > limit:
                    outside = mid
                else:
                    inside = mid
            ends.append(inside)
        return ends

    out = []
    w = out.append
    w(" Results of program Vornax for the broken-line regression of Y upon X.")
    w(" Y is the dependent variable.")
    w(" Broken line of straight segments joined at the breakpoints, fitted by least")
    w(" squares; the breakpoints are found by an exact search.")
    w(" X is the independent variable.")
    w("")
    w(" Name of this output file:  @DIR@/run.out")
    w(" Name of input file used :  @DIR@/run.inp")
    w("")
    w(" Golden test")
    w(" Broken line, " + which)
    w(" Minimum confidence % : 90")
    w(" Number of breakpoints : 2")
    w("")
    w(" Breakpoints of X (BPX) with their standard errors, the 90% confidence limits")
    w(" (BPX -/+ 1.75 St.Err.) and the likelihood interval:")
    w("   Nr.      BPX       St.Err.BPX   Lower limit  Upper limit   Likelihood interval")
    for j in range(k):
        b, s = bps[j], se[2 + k + j]
        lo, hi = likelihood(j)
        w(str(j + 1).rjust(5) + "  " + fexp(D(str(b)), 12, 4) + fexp(D(str(s)), 12, 3) + " " +
          fexp(D(str(b - T * s)), 12, 4) + " " + fexp(D(str(b + T * s)), 12, 4) + "  " +
          fexp(D(str(lo)), 11, 4) + " to" + fexp(D(str(hi)), 11, 4))
    w("")
    w(" Segments with their slopes:")
    w("   Nr.     from X        to X      number of data    Slope     St.Err.Slope")
    ends = [min(xs)] + bps + [max(xs)]
    slope = c[1]
    intercept = c[0]
    segs = []
    for s in range(k + 1):
        idx = [1] + [2 + j for j in range(s)]
        var = mp.fsum(cov[a, b] for a in idx for b in idx)
        count = len([x for x in xs if (s == 0 or x > bps[s - 1]) and (s == k or x <= bps[s])])
        if s > 0:
            slope += c[1 + s]
            intercept -= c[1 + s] * bps[s - 1]
        segs.append((slope, intercept))
        w(str(s + 1).rjust(5) + "  " + fexp(D(str(ends[s])), 12, 4) + fexp(D(str(ends[s + 1])), 12, 4) +
          str(count).rjust(12) + "    " + fexp(D(str(slope)), 11, 4) + fexp(D(str(mp.sqrt(max(var, 0)))), 11, 3))
    w("")
    w(" Changes of slope at the breakpoints, tested against no change:")
    w("   Nr.     Change       St.Err.      t-value      Probability")
    for j in range(k):
        d, s = c[2 + j], se[2 + j]
        t = d / s if s > 0 else 0
        prob = mp.betainc(mp.mpf(df) / 2, mp.mpf(1) / 2, 0, df / (df + t * t), regularized=True) if s > 0 else (0 if d != 0 else 1)
        w(str(j + 1).rjust(5) + "  " + fexp(D(str(d)), 11, 4) + fexp(D(str(s)), 12, 3) + ffix(D(str(t)), 12, 3) +
          "   " + ffix(D(str(100 * prob)), 9, 3) + " %")
    w("")
    w(" Residual sum of squares :" + fexp(D(str(rss)), 12, 4) + "    degrees of freedom :" + str(df).rjust(8))
    w(" Expl.Coeff. of the broken line   :" + fexp(D(str(1 - rss / sst)), 11, 4))
    w(" Expl.Coeff. of the straight line :" + fexp(D(str(1 - steps[0][1] / sst)), 11, 4))
    w("")
    w(" Numbers of breakpoints compared (each added breakpoint against one fewer):")
    w("   Nr.   Res.Sum of Sq.  Expl.Coeff.      F-test          Probability   Permutations")
    for kk, (_, r) in enumerate(steps):
        line = str(kk).rjust(5) + "  " + fexp(D(str(r)), 13, 4) + fexp(D(str(1 - r / sst)), 12, 4)
        if kk > 0:
            d1, d2 = 2, n - 2 * kk - 2
            gain = steps[kk - 1][1] - r
            if r == 0:
                f, prob = mp.mpf(1000000), 0
            else:
                f = (gain / d1) / (r / d2)
                prob = mp.betainc(mp.mpf(d2) / 2, mp.mpf(d1) / 2, 0, d2 / (d2 + d1 * f), regularized=True)
            line += "   F(" + str(d1) + "," + str(d2) + ")=" + ffix(D(str(f)), 12, 3) + "  " + ffix(D(str(100 * prob)), 9, 3) + " %"
        if kk == k:
            line += "  *"
        w(line)
    w("  (* the number reported; the probability is that of a gain at least as large by chance)")
    w("")
    import itertools
    combos = sum(1 for cmb in itertools.combinations(sorted(set(xs))[1:-1], k) if admissible(xs, list(cmb)))
    w(" Search: " + str(combos) + " combinations of breakpoints on the grid of X values,")
    w(" of which " + str(combos) + " were evaluated exactly and the rest excluded by a proven bound;")
    w(" then every combination of the intervals between neighbouring X values, solved exactly.")
    w("")
    w("")
    w(" SUMMARY OF THE BROKEN-LINE REGRESSION.")
    w(" Number of breakpoints : 2")
    w(" Breakpoints of X (BPX) :" + "".join(fexp(D(str(b)), 12, 4) for b in bps))
    w("")
    w(" There are 3 regression equations:")
    w("")
    w(" when X is smaller than BP1".ljust(36) + ":  Y = A1X + C1")
    w(" when X lies between BP1 and BP2".ljust(36) + ":  Y = A2X + C2")
    w(" when X is greater than BP2".ljust(36) + ":  Y = A3X + C3")
    w("")
    for s, (a, cc) in enumerate(segs):
        w("     A" + str(s + 1) + " = " + fexp(D(str(a)), 11, 4) + "      C" + str(s + 1) + " = " + fexp(D(str(cc)), 11, 4))
    w("")
    w(" Serial        Yobs          X         Ycalc")
    w(" ----------------------------------------------")
    for i, (x, y) in enumerate(sorted(zip(xs, ys), key=lambda p: p[0])):
        yc = c[0] + c[1] * x + mp.fsum(c[2 + j] * (x - bps[j]) for j in range(k) if x > bps[j])
        w(str(i + 1).rjust(4) + "      " + fexp(D(str(y)), 12, 3) + fexp(D(str(x)), 12, 4) + fexp(D(str(yc)), 12, 3))
    sys.stdout.write("\r\n".join(out) + "\r\n")
    sys.stderr.write("breakpoints %s rss %s\n" % ([mp.nstr(b, 15) for b in bps], mp.nstr(rss, 15)))


if __name__ == "__main__":
    main()
