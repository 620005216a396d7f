#!/usr/bin/env python3
"""Independent reference for the S-curve report tests (logistic, Gumbel, inverted Gumbel, Fisk).

Computes the expected reports from the formulas of the S-curves in 50-digit decimal arithmetic:
the asymptotes (formed in 64-bit floats, as the program holds them), the scaled and linearised
Y, the exponent search with exact sums of squares, the final line, the curve values and the
confidence table. The Fisk grid (two million points) is searched in 64-bit floats with the best
replaced only on a strictly smaller sum, and the margin to the runner-up is printed so that a
near tie would show; the chosen point is then evaluated in decimals. The golden files under
tests/golden were made with it and read through by hand; the C++ program never produced them.

    python3 scurve_reference.py logistic_x > scurve_logistic_x.out
    python3 scurve_reference.py logistic_z > scurve_logistic_z.out
    python3 scurve_reference.py gumbel_x   > scurve_gumbel_x.out
    python3 scurve_reference.py invgumbel_x > scurve_invgumbel_x.out
    python3 scurve_reference.py fisk_x     > scurve_fisk_x.out
"""
import math
import os
import sys
from decimal import Decimal as D, getcontext

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from one_variable_reference import fexp, ffix, stats  # noqa: E402
from curve_reference import prepare, confidence, table, column_line, fint, WOBBLE  # noqa: E402

getcontext().prec = 50
OUT = "@OUT@"


def asymptotes(ys):
    n = len(ys)
    hi, lo = max(ys), min(ys)
    return D(hi + abs(hi) / (n - 1)), D(lo - abs(lo) / (n + 1))


def link(kind, yt):
    if kind == "logistic":
        return (1 / yt - 1).ln()
    if kind == "gumbel":
        return (-(yt.ln())).ln()
    return (-((1 - yt).ln())).ln()


def clamp(v, lo, hi):
    return min(max(v, lo), hi)


def curve_value(kind, ymax, ymin, v):
    span = ymax - ymin
    if kind == "logistic":
        return ymin + span / (1 + v.exp())
    u = clamp(v, D(-8), D(8))
    if kind == "gumbel":
        return ymin + span * (-(u.exp())).exp()
    return ymin + span * (1 - (-(u.exp())).exp())


def line(f, W):
    st = stats(f, W)
    a, b = st["RC"], st["C"]
    ssd = sum((y - (a * w + b)) ** 2 for w, y in zip(W, f))
    return dict(A=a, B=b, AvX=st["AvX"], Sxx=st["Sxx"], SSD=ssd, StDevRC=st["StDevRC"],
                StDevX=st["StDevX"], StDevY=st["StDevY"])


def linked(kind, ys, xs, transform, z, title1, title2):
    p = prepare(ys, xs, False)
    Y, n = p["Y"], p["N"]
    ymax, ymin = asymptotes(ys)
    span = ymax - ymin
    yt = [(y - ymin) / span for y in Y]
    f = [link(kind, clamp(v, D("0.001"), D("0.999"))) for v in yt]
    logistic = kind == "logistic"
    base = [D("0.000001") if (b == 0 if logistic else not b > 0) else b for b in p["Base"]]
    search = transform if logistic else True
    e = 1
    if search:
        best, bestk, second = None, 1, None
        for k in range(1, 281):
            E = D(19 + k) / 100
            W = [b ** E for b in base]
            ln = line(f, W)
            if logistic:
                ssd = sum((t - 1 / (1 + (ln["A"] * w + ln["B"]).exp())) ** 2 for t, w in zip(yt, W))
            else:
                ssd = sum((y - curve_value(kind, ymax, ymin, ln["A"] * w + ln["B"])) ** 2
                          for y, w in zip(Y, W))
            if best is None or ssd < best:
                second, best, bestk = best, ssd, k
            elif second is None or ssd < second:
                second = ssd
        print("best E %s ssd %s next %s" % ((19 + bestk) / 100, best, second), file=sys.stderr)
        e = (19 + bestk) / 100
    if e < 0.21 or e > 2.98 or (not logistic and 0.95 < e < 1.05):
        e = 1
    fb = [b + D("0.001") for b in p["Base"]] if logistic else base
    W = [b if e == 1 else b ** D(e) for b in fb]
    ln = line(f, W)
    ycalc = [curve_value(kind, ymax, ymin, ln["A"] * w + ln["B"]) for w in W]
    ssd = sum((y - yc) ** 2 for y, yc in zip(Y, ycalc))
    ce = 1 - ssd / p["Syy"]
    rows, sysv = confidence(p, W, ycalc, ssd, ln)
    v = "Z" if z else "X"
    shift = p["RawXmin"] - D("0.001")
    out = []
    if logistic:
        out.append(" Results of program VORNAXA for the logistic S-curve regression of Y upon %s."
                   % ("A" if z else "X"))
        out.append(" Filename: " + OUT)
    elif kind == "gumbel":
        out += [" Results of program Ondulex for the Gumbel regression.", " Gumbel file name: " + OUT]
    else:
        out += [" Results of program Ondulex for the Gumbel inverted regression.",
                " Inverted Gumbel file name: " + OUT]
    out += ["", " " + (title1 or "No title given"), " " + (title2 or "No subtitle given"), "",
            " 1st Transformation  : Yt  = (Y-Ymin)/(Ymax-Ymin)",
            "     where : Ymax = " + ffix(ymax, 6, 3) + "    Ymin = " + ffix(ymin, 6, 3)]
    out.append({"logistic": " 2nd Transformation  : Yf = ln(1/Yt-1)",
                "gumbel": " 2nd Transformation  : Yv  = ln[-ln(Yt)]",
                "invgumbel": " 2nd Transformation  : Yv  = ln[-ln(1-Yt)]"}[kind])
    if logistic or not z:
        if not p["Shifted"]:
            out.append(" 3rd Transformation  : Xv = " + v + "^E")
        else:
            out += [" 3rd Transformation  : Xv = (" + v + "-C)^E",
                    " Reduction term      : C = " + ffix(shift, 10, 3)]
    if logistic and not search:
        out.append(" No exponent allowed : E = " + ffix(e, 5, 2))
    else:
        out.append(" Value of exponent   : E = " + ffix(e, 6, 3))
    out.append(" Linearization       : " + ("Yf" if logistic else "Yv") + " = A*Xv + B")
    out.append(" Regression result   : A = " + ffix(ln["A"], 11, 8) + "    B = " + ffix(ln["B"], 6, 3))
    if logistic:
        out.append(" Ycalculated according to logistic S-curve :")
        if not p["Shifted"]:
            out.append("       Yc = Ymin + (Ymax-Ymin)/{1+exp(A*" + v + "^E+B)}")
        else:
            out.append("       Yc = Ymin + (Ymax-Ymin)/[1+exp{A*(" + v + "-C)^E+B}]")
        stdevy = ln["StDevY"] if z else p["LinStDevY"]
        out += [" Parameters:",
                " NrOfData = " + fint(n, 6) + "          Av" + v + "v = " + ffix(ln["AvX"], 6, 3) +
                "           AvY = " + ffix(p["LinAvY"], 6, 3),
                "  StDev" + v + "v =  " + ffix(ln["StDevX"], 6, 3) +
                ("      StDevYf  = " if z else "      StDevY  = ") + ffix(stdevy, 6, 3) +
                "   StErr(Y-Yc) = " + ffix((ssd / (n - 1)).sqrt(), 6, 3),
                " Explanations by regression:",
                ("   CorrCoeffSq(Yf,Z) = " if z else "   CorrCoeffSq(Y,X) = ") + ffix(p["R2"], 6, 3) +
                "   ExplCoeff(Yc," + v + ") = " + ffix(ce, 6, 3), ""]
        out += table(rows, column_line(z))
    else:
        inv = kind == "invgumbel"
        out.append(" Ycalculated according to Gumbel inverted S-curve :" if inv else
                   " Ycalculated according to Gumbel S-curve :")
        inner = "exp[1-exp" if inv else "exp[-exp"
        if not p["Shifted"]:
            out.append("       Yc = (Ymax-Ymin)*" + inner + "(A*" + v + "^E+B)]+Ymin")
        else:
            out.append(("       " if z else "      ") + "Yc = (Ymax-Ymin)*" + inner + "{A*(" + v +
                       "-C)^E+B}]+Ymin")
        out += [" Explanations by regression:",
                "   CorrCoeffSq(Y,X) = " + ffix(p["R2"], 6, 3) + "   ExplCoeff(Yc,X) = " + ffix(ce, 6, 3),
                ""]
        out += table(rows, column_line(False))
    out.append(" System variables: " + "".join(fexp(s, 11, 3) for s in sysv))
    return out


def fisk(ys, xs, z, title1, title2):
    p = prepare(ys, xs, False)
    Y, n = p["Y"], p["N"]
    ymax, ymin = asymptotes(ys)
    increasing = Y[-1] > Y[0]
    xb = [float(b) for b in p["Base"]]
    yf = [float(y) for y in Y]
    best, second, point = math.inf, math.inf, (1, 1, 1)
    for r in range(1, 21):
        c = float(ymax) * (0.5 + 0.05 * r)
        for t in range(1, 101):
            b = 0.05 * t
            for i in range(1, 1001):
                a = 0.05 * i
                ssd = 0.0
                for x, y in zip(xb, yf):
                    yc = c / (1 + (x / a) ** b)
                    if increasing:
                        yc = c - yc
                    ssd += (y - yc) ** 2
                if ssd < best:
                    second, best, point = best, ssd, (r, t, i)
                elif ssd < second:
                    second = ssd
    print("best %s ssd %r next %r" % (point, best, second), file=sys.stderr)
    r, t, i = point
    a, b, c = D(0.05 * i), D(0.05 * t), D(float(ymax) * (0.5 + 0.05 * r))
    base = p["Base"]
    # Rising data: the curve C - C/[1+(X/A)^b] is printed and used as C/[1+(X/A)^B], B = -b.
    if increasing:
        b = -b
    ycalc = [c / (1 + (x / a) ** b) for x in base]
    ssd = sum((y - yc) ** 2 for y, yc in zip(Y, ycalc))
    ce = 1 - ssd / p["Syy"]
    ln = line(Y, base)
    rows, sysv = confidence(p, base, ycalc, ssd, ln)
    out = [" Results of program Ondulex for the Fisk regression.", " Fisk S-curve file name: " + OUT,
           "", " *", " " + title1, " " + title2, "", " *",
           " Ycalculated according to the Fisk S-curve :"]
    if not p["Shifted"]:
        out.append("       Yc = C/[1+(X/A)^B] where C = " + ffix(c, 8, 3))
    else:
        out.append("       Yc = C/[1+{(X-D)/A}^B] where C = " + ffix(c, 8, 3) + " and D =" +
                   ffix(p["RawXmin"] - D("0.001"), 6, 3))
    out += ["       A = " + ffix(a, 6, 3) + "   B = " + ffix(b, 6, 3),
            "   CorrCoeffSq(Y,X) = " + ffix(p["R2"], 6, 3) + "   ExplCoeff(Yc,X) = " + ffix(ce, 6, 3),
            ""]
    out += table(rows, column_line(z))
    out.append(" System variables: " + "".join(fexp(s, 11, 4) for s in sysv))
    return out


def data_falling():
    """Germination falling with temperature: 15 data sets from 2 to 30."""
    xs, ys = [], []
    for i in range(15):
        x = 2.0 + 2.0 * i
        xs.append(x)
        ys.append(5 + 85 / (1 + math.exp(0.4 * (x - 16))) + WOBBLE[i])
    return ys, xs


def data_rising_shifted():
    """A rising S on X from 100 to 128 (shifted)."""
    xs, ys = [], []
    for i in range(15):
        x = 100.0 + 2.0 * i
        xs.append(x)
        ys.append(10 + 70 * math.exp(-math.exp(-0.3 * (x - 112))) + WOBBLE[i])
    return ys, xs


def data_fisk():
    xs = [1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0]
    ys = [9.5, 9.2, 8.1, 6.0, 3.9, 2.2, 1.3, 0.8]
    return ys, xs


def main():
    which = sys.argv[1]
    t1, t2 = "Golden test", "X and Y without units"
    if which == "logistic_x":
        lines = linked("logistic", *data_falling(), True, False, t1, t2)
    elif which == "logistic_z":
        lines = linked("logistic", *data_rising_shifted(), False, True, t1, "")
    elif which == "gumbel_x":
        lines = linked("gumbel", *data_falling(), True, False, t1, t2)
    elif which == "invgumbel_x":
        lines = linked("invgumbel", *data_rising_shifted(), True, False, t1, t2)
    elif which == "fisk_x":
        lines = fisk(*data_fisk(), False, t1, t2)
    else:
        raise SystemExit("unknown report " + which)
    sys.stdout.buffer.write(("\r\n".join(lines) + "\r\n").encode("latin-1"))


if __name__ == "__main__":
    main()
