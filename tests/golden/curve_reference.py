#!/usr/bin/env python3
"""Independent reference for the curve report tests (quadratic, cubic, power).

Computes the expected reports from the formulas of the curve fits in 50-digit decimal
arithmetic: the reference straight line, the plot range and the shift of X, the exponent or
shift-and-power grid searches (exact sums of squares, best replaced only on a strictly smaller
one), the normal equations solved by elimination, and the confidence table. The golden files
under tests/golden were made with it and read through by hand; the C++ program never produced
them. The data are formed in 64-bit floats exactly as the tests form them.

    python3 curve_reference.py quadratic_x > curve_quadratic_x.out
    python3 curve_reference.py cubic_z     > curve_cubic_z.out
    python3 curve_reference.py cubic_x     > curve_cubic_x.out
    python3 curve_reference.py quadratic_z > curve_quadratic_z.out
    python3 curve_reference.py power_x     > curve_power_x.out
    python3 curve_reference.py power_z     > curve_power_z.out
"""
import math
import os
import sys
from decimal import Decimal as D, getcontext

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from one_variable_reference import fexp, ffix, stats  # noqa: E402

getcontext().prec = 50
OUT = "@OUT@"
WOBBLE = [0.2, -0.1, 0.15, -0.2, 0.05, 0.1, -0.15, 0.0, 0.2, -0.05,
          -0.1, 0.1, -0.2, 0.15, 0.0, -0.1, 0.2, -0.15, 0.1, 0.05,
          -0.2, 0.15, -0.05, 0.1, -0.1, 0.2, 0.0, -0.15, 0.1, -0.05]


def fint(v, w):
    return str(int(v)).rjust(w)


def power(b, e):
    return b if e == 1 else b ** D(e)


def prepare(ys, xs, polynomial):
    pairs = sorted(zip(xs, ys), key=lambda p: p[0])  # stable
    X = [D(x) for x, _ in pairs]
    Y = [D(y) for _, y in pairs]
    n = len(X)
    st = stats(Y, X)
    slope, icpt = st["RC"], st["C"]
    linssd = sum((y - (slope * x + icpt)) ** 2 for x, y in zip(X, Y))
    syy = st["Syy"]
    p = dict(N=n, X=X, Y=Y, LinAvX=st["AvX"], LinAvY=st["AvY"], LinStDevX=st["StDevX"],
             LinStDevY=st["StDevY"], LinStDevYr=st["StDevYr"], Syy=syy, LinSSD=linssd,
             R2=1 - linssd / syy)
    # The plot range is held in 64-bit reals: formed with floats as the graph scaling does.
    lo, hi = min(xs), max(xs)
    xmax = hi + 0.1 * (hi - lo)
    xmin = lo - 0.05 * (xmax - lo)
    if lo >= 0 and xmin < 0:
        xmin = lo
    lo, xmin, xmax = D(lo), D(xmin), D(xmax)
    p.update(RawXmin=lo, Xmin=xmin, Xmax=xmax)
    shifted = lo > D("0.1") * (xmax - lo) or lo < 0
    p["Shifted"] = shifted
    if shifted:
        p["Base"] = [x - xmin if polynomial else x - lo + D("0.001") for x in X]
    else:
        p["Base"] = list(X)
    return p


def solve(m, r):
    """Gaussian elimination with partial pivoting (exact enough at 50 digits)."""
    k = len(r)
    a = [row[:] + [r[i]] for i, row in enumerate(m)]
    for c in range(k):
        piv = max(range(c, k), key=lambda i: abs(a[i][c]))
        a[c], a[piv] = a[piv], a[c]
        for i in range(c + 1, k):
            f = a[i][c] / a[c][c]
            for j in range(c, k + 1):
                a[i][j] -= f * a[c][j]
    x = [D(0)] * k
    for i in reversed(range(k)):
        x[i] = (a[i][k] - sum(a[i][j] * x[j] for j in range(i + 1, k))) / a[i][i]
    return x


def poly_fit(W, Y, degree):
    """Least-squares coefficients, highest power first."""
    k = degree + 1
    s = [sum(w ** j for w in W) for j in range(2 * k - 1)]
    t = [sum(y * w ** j for w, y in zip(W, Y)) for j in range(k)]
    m = [[s[i + j] for j in range(k)] for i in range(k)]
    return list(reversed(solve(m, t)))


def poly_eval(c, w):
    v = D(0)
    for a in c:
        v = v * w + a
    return v


def line(Y, W):
    st = stats(Y, W)
    a, b = st["RC"], st["C"]
    ssd = sum((y - (a * w + b)) ** 2 for w, y in zip(W, Y))
    return dict(A=a, B=b, AvX=st["AvX"], Sxx=st["Sxx"], SSD=ssd, StDevRC=st["StDevRC"],
                StDevYr=st["StDevYr"])


def confidence(p, W, ycalc, ssd, ln):
    n = p["N"]
    s2 = ssd / (n - 1)
    k = ln["SSD"] / ((n - 2) * ln["Sxx"]) if ln["Sxx"] > 0 else D(0)
    middle = min(round(n * 0.5), n - 1)  # Python rounds halves to even
    rows, vmid = [], D(0)
    for i in range(n):
        v = (W[i] - ln["AvX"]) ** 2 * k + s2 / n
        sd = v.sqrt() if v > 0 else D(0)
        rows.append((i + 1, p["X"][i], p["Y"][i], ycalc[i], ycalc[i] - D("1.75") * sd,
                     ycalc[i] + D("1.75") * sd))
        if i == middle:
            vmid = v
    return rows, [s2 / n, ln["StDevRC"], ln["AvX"], vmid]


def table(rows, column_line):
    out = [" " * 30 + " " * 11 + "90% Confidence limits", column_line, "- " * 29 + "-"]
    for r in rows:
        out.append(fint(r[0], 9) + "".join(field(v) for v in r[1:]))
    out.append(" #")
    return out


def field(v):
    """A value of the confidence table: ten places, and a blank before it when it fills them."""
    text = ffix(v, 10, 3)
    return text if text.startswith(" ") else " " + text


def column_line(z):
    return "Serial Nr." + ("    Zvalue  " if z else "    Xvalue  ") + "  Yvalue  " + \
        "  Ycalc   " + "  Lower   " + "  Upper"


def polynomial(ys, xs, cubic, transform, z, title1, title2):
    degree = 3 if cubic else 2
    p = prepare(ys, xs, True)
    Y, n = p["Y"], p["N"]
    base = [b + D("0.001") for b in p["Base"]]
    e = 1
    if transform:
        best, bestk, second = None, 1, None
        for k in range(1, 281):
            E = D(19 + k) / 100
            W = [power(b, E) for b in base]
            c = poly_fit(W, Y, degree)
            ssd = sum((y - poly_eval(c, w)) ** 2 for w, y in zip(W, Y))
            if best is None or ssd < best:
                second, best, bestk = best, ssd, k
            elif second is None or ssd < second:
                second = ssd
        print("best E %s ssd %s next %s" % ((19 + bestk) / 100, best, second), file=sys.stderr)
        e = (19 + bestk) / 100
        if e < 0.21 or e > 2.98 or 0.94 < e < 1.06:
            e = 1
    W = [power(b, D(e) if e != 1 else 1) for b in base]
    c = poly_fit(W, Y, degree)
    ycalc = [poly_eval(c, w) for w in W]
    ssd = sum((y - yc) ** 2 for y, yc in zip(Y, ycalc))
    ce = 1 - ssd / p["Syy"]
    ln = line(Y, W)
    rows, sysv = confidence(p, W, ycalc, ssd, ln)
    v = "Z" if z else "X"
    stderr = (ssd / (n - 1)).sqrt()
    ef = "    E = " + ffix(e, 5, 2)
    xm = "    " + v + "min = " + ffix(p["Xmin"], 8, 3)
    out = []
    if not cubic:
        out += [" Results of program VornaxA for the quadratic regression of Y upon %s." % v,
                " Name of file: " + OUT, "", " " + title1, " " + title2, "",
                " Ycalculated according to qauadratic function :"]
        if not p["Shifted"] and e != 1:
            out.append("       Yc = A*W^2 + B*W + C" + "     W = " + v + "^E" + ef)
        elif not p["Shifted"]:
            out.append("       Yc = A*Z^2 + B*Z + C" if z else "       Yc = A*^2 + B*X + C")
        elif e != 1:
            out.append("       Yc = A*W^2 + B*W + C" + "     W = (" + v + " - " + v + "min)^E" + xm + ef)
        else:
            out.append("       Yc = A*W^2 + B*W + C" + "     W = " + v + "-" + v + "min" + xm)
        out.append("       A = " + fexp(c[0], 10, 3) + "    B = " + fexp(c[1], 10, 3) +
                   "    C = " + fexp(c[2], 10, 3))
        avx, avy = ("          AvZ = " if z else "          AvX = "), "         AvY = "
    else:
        coeff = ("       A = " + fexp(c[0], 8, 3) + "    B = " + fexp(c[1], 8, 3) + "    C = " +
                 fexp(c[2], 8, 3) + "    D = " + fexp(c[3], 8, 3))
        out += [" Results of program VornaxA for the cubic regression of Y upon %s." % v,
                " This file: " + OUT, "", " " + title1, " " + title2, "",
                " Ycalculated according to generalized cubic regression :"]
        if not p["Shifted"] and e != 1:
            out += ["       Yc = A*W^3 + B*W^2 + C*W + D", coeff, "       W = " + v + "^E" + ef]
        elif not p["Shifted"]:
            out += ["       Yc = A*Z^3 + B*Z^2 + C*Z + D" if z else
                    "       Yc = A*X^3 + B*X^2 + C*X + D", coeff]
        else:
            out += ["", "       Yc = A*W^3 + B*W^2 + C*W + D", coeff]
            if e != 1:
                out.append("       W = (" + v + " - " + v + "min)^E" + xm + ef)
            else:
                out.append("       W = " + v + "-" + v + "min" + xm)
        avx = "           AvZ = " if z else "          AvX = "
        avy = "            AvY = " if z else "           AvY = "
    out += [" Parameters:",
            " NrOfData = " + fint(n, 6) + avx + ffix(p["LinAvX"], 6, 3) + avy + ffix(p["LinAvY"], 6, 3),
            "   StDev" + v + " =  " + ffix(p["LinStDevX"], 6, 3) + "      StDevY = " +
            ffix(p["LinStDevY"], 6, 3) + "   StErr(Y-Yc) = " + ffix(stderr, 6, 3),
            " Explanations by regression:",
            "   CorrCoeffSq(Y," + v + ") = " + ffix(p["R2"], 6, 3) + "     ExplCoeff(Yc," + v +
            ") = " + ffix(ce, 6, 3), ""]
    out += table(rows, column_line(z) + ("   Ycalc (%)" if cubic and not z else ""))
    if cubic:
        out.append(" System variables: " + "".join(fexp(s, 11, 3) for s in sysv))
    else:
        out.append(" System variables: " + "".join(fexp(s, 12, 3) for s in sysv[:3]) +
                   fexp(sysv[3], 11, 3))
    return out


def power_curve(ys, xs, z, title1, title2):
    p = prepare(ys, xs, False)
    X, Y, n = p["X"], p["Y"], p["N"]
    c0 = p["RawXmin"]

    def shift(i):
        s = c0 - i * c0 / 100
        return c0 if c0 >= 0 and not s > 0 else s

    def xv(C, P):
        out = []
        for x in X:
            t = x - C
            t = D("0.001") if c0 == 0 or not t > 0 else t
            out.append(t ** P)
        return out

    best, bi, bj, second = None, 1, 1, None
    for i in range(1, 10):
        for j in range(1, 296):
            W = xv(shift(i), D(5 + j) / 100)
            ssd = line(Y, W)["SSD"]
            if best is None or ssd < best:
                second, best, bi, bj = best, ssd, i, j
            elif second is None or ssd < second:
                second = ssd
    print("best C %s P %s ssd %s next %s" % (shift(bi), (5 + bj) / 100, best, second),
          file=sys.stderr)
    C, P = shift(bi), D(5 + bj) / 100
    W = xv(C, P)
    ln = line(Y, W)
    ycalc = [ln["A"] * w + ln["B"] for w in W]
    ssd = sum((y - yc) ** 2 for y, yc in zip(Y, ycalc))
    ce = 1 - ssd / p["Syy"]
    rows, sysv = confidence(p, W, ycalc, ssd, ln)
    v = "Z" if z else "X"
    out = [" Results of program VornaxA for the power curve regression of Y upon %s." % v,
           " Output filename: " + OUT, "",
           " " + (title1 or "No title given"), " " + (title2 or "No subtitle given"), "",
           " 1st Transformation  : " + v + "t = " + v + " - C        C = " + ffix(C, 6, 3),
           " 2nd Transformation  : " + v + "v = " + v + "t ^ P",
           " Linearization       : Y  = A * " + v + "v + B",
           " Regression result   : Power P =" + ffix(P, 6, 3) + "   A = " + fexp(ln["A"], 11, 3) +
           "   B = " + fexp(ln["B"], 11, 3),
           " Ycalculated according to power curve :",
           "                        Yc = B + A * Zt ^ P" if z else
           "                       Yc = B + A * Xt ^ P",
           " Parameters:",
           " NrOfData = " + fint(n, 6) + "         Av" + v + "v  = " + fexp(ln["AvX"], 6, 3) +
           "        AvY = " + ffix(p["LinAvY"], 6, 3),
           "  StDev" + v + "v =  " + ffix(p["LinStDevX"], 6, 3) + "      StDevY  = " +
           ffix(p["LinStDevYr"], 6, 3) + "   StErr(Y-Yc) = " + ffix(ln["StDevYr"], 6, 3),
           " Explanations by regression:",
           "   CorrCoeffSq(Y," + v + ") = " + ffix(p["R2"], 6, 3) + "     ExplCoeff(Yc," + v +
           ") = " + ffix(ce, 6, 3), ""]
    out += table(rows, column_line(z))
    out.append(" System variables: " + "".join(fexp(s, 11, 3) for s in sysv))
    return out


def data_quadratic():
    xs = [float(i) for i in range(1, 26)]
    ys = []
    for i in range(1, 26):
        w = math.pow(i, 0.6)
        ys.append(6 + 2.5 * w - 0.1 * w * w + 0.5 * WOBBLE[i - 1])
    return ys, xs


def data_cubic():
    xs, ys = [], []
    for i in range(24):
        v = 50 + 1.5 * i
        u = v - 60
        xs.append(v)
        w = math.pow(v - 49, 1.4)
        ys.append(40 + 0.5 * w - 0.002 * w * w + 0.000002 * w * w * w + WOBBLE[i])
    return ys, xs


def data_power():
    xs, ys = [], []
    for i in range(20):
        v = 2 + 1.5 * i
        xs.append(v)
        ys.append(1.5 + 2.2 * math.pow(v, 0.45) + 0.2 * WOBBLE[i])
    return ys, xs


def main():
    which = sys.argv[1]
    t1, t2 = "Golden test", "X and Y without units"
    if which == "quadratic_x":
        lines = polynomial(*data_quadratic(), False, True, False, t1, t2)
    elif which == "cubic_z":
        lines = polynomial(*data_cubic(), True, False, True, t1, t2)
    elif which == "cubic_x":
        lines = polynomial(*data_cubic(), True, True, False, t1, t2)
    elif which == "quadratic_z":
        lines = polynomial(*data_cubic(), False, False, True, t1, t2)
    elif which == "power_x":
        lines = power_curve(*data_power(), False, "", t2)
    elif which == "power_z":
        lines = power_curve(*data_power(), True, t1, "")
    else:
        raise SystemExit("unknown report " + which)
    sys.stdout.buffer.write(("\r\n".join(lines) + "\r\n").encode("latin-1"))


if __name__ == "__main__":
    main()
