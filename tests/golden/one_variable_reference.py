#!/usr/bin/env python3
"""Independent reference for the one-variable report tests.

Computes the expected report lines of a one-variable run from the formulas of the segment
statistics, the constrained lines and the error terms, in 50-digit decimal arithmetic, and
prints them with CR LF line ends. The golden files under tests/golden were made with it and
then read through by hand; the C++ program never produced them.

    python3 one_variable_reference.py single > one_variable_type1.out
    python3 one_variable_reference.py type3  > one_variable_type3.out
"""
import sys
from decimal import Decimal as D, getcontext, ROUND_HALF_UP

getcontext().prec = 50
T = D("1.75")


def fexp(v, w, p):
    v = D(v)
    if v == 0:
        s = "0." + "0" * (p - 1) + "E+000" if p > 1 else "0E+000"
        return s.rjust(w)
    sign = "-" if v < 0 else ""
    a = abs(v)
    e = a.adjusted()
    q = (a.scaleb(-e)).quantize(D(1).scaleb(-(p - 1)), rounding=ROUND_HALF_UP)
    if q >= 10:
        e += 1
        q = (a.scaleb(-e)).quantize(D(1).scaleb(-(p - 1)), rounding=ROUND_HALF_UP)
    digits = format(q, "f")
    s = sign + digits + "E" + ("-" if e < 0 else "+") + str(abs(e)).rjust(3, "0")
    return s.rjust(w)


def ffix(v, w, d):
    q = D(v).quantize(D(1).scaleb(-d), rounding=ROUND_HALF_UP)
    if q == 0:
        q = abs(q)
    return format(q, "f").rjust(w)


def stats(ys, xs):
    n = D(len(ys))
    z = dict(N=n, AvY=D(0), AvX=D(0), Syy=D(0), Sxx=D(0), Sxy=D(0), RC=D(0), CC=D(0), CCsq=D(0),
             C=D(0), StDevY=D(0), SSD=D(0), StDevYr=D(0), StDevX=D(0), StDevRC=D(0))
    if len(ys) < 3:
        z["N"] = n if len(ys) < 3 else n
        # statistics stay zero below three data sets (the count itself is kept)
        return z
    sy, sx = sum(ys), sum(xs)
    syy = sum(y * y for y in ys)
    sxx = sum(x * x for x in xs)
    sxy = sum(x * y for x, y in zip(xs, ys))
    avy, avx = sy / n, sx / n
    Syy = max(syy - n * avy * avy, D(0))
    Sxx = max(sxx - n * avx * avx, D(0))
    Sxy = sxy - n * avy * avx
    rc = Sxy / Sxx if Sxx > 0 else D(0)
    cc = Sxy / (Syy * Sxx).sqrt() if Syy > 0 and Sxx > 0 else D(0)
    ccsq = cc * cc
    ssd = (1 - ccsq) * Syy
    z.update(AvY=avy, AvX=avx, Syy=Syy, Sxx=Sxx, Sxy=Sxy, RC=rc, CC=cc, CCsq=ccsq, C=avy - rc * avx,
             StDevY=(Syy / (n - 1)).sqrt(), SSD=ssd,
             StDevYr=(ssd / (n - 1)).sqrt() if ssd >= 0 else D(1000000),
             StDevX=(Sxx / (n - 1)).sqrt(),
             StDevRC=(ssd / ((n - 2) * Sxx)).sqrt() if ssd >= 0 and Sxx != 0 else D(0))
    return z


def split(ys, xs, bp):
    s1 = [(y, x) for y, x in zip(ys, xs) if x < bp]
    s2 = [(y, x) for y, x in zip(ys, xs) if x >= bp]
    st1 = stats([y for y, _ in s1], [x for _, x in s1])
    st2 = stats([y for y, _ in s2], [x for _, x in s2])
    st1["N"], st2["N"] = D(len(s1)), D(len(s2))
    return st1, st2


def ssd_final(ys, xs, bp, lines):
    out = [D(0), D(0), D(0)]
    for y, x in zip(ys, xs):
        s = 1 if x < bp else 2
        sl, ax, ay = lines[s]
        out[s] += (y - ((x - ax) * sl + ay)) ** 2
    return out


def type3_lines(st1, st2, bp, method):
    l1 = [D(0), st1["AvX"], st1["AvY"]]
    l2 = [st2["RC"], st2["AvX"], st2["AvY"]]
    if method == 1:
        l1[2] = (bp - l2[1]) * l2[0] + l2[2]
    else:
        l2[0] = (l2[2] - l1[2]) / (l2[1] - bp) if l2[1] != bp else D(0)
    return {1: l1, 2: l2}


def segment_block(label, bp, st):
    return [
        " " + label + "=" + ffix(bp, 7, 2) + fexp(st["N"], 22, 3) + fexp(st["AvY"], 17, 3) +
        fexp(st["AvX"], 14, 4),
        fexp(st["RC"], 13, 3) + fexp(st["CCsq"], 21, 3) + fexp(st["StDevRC"], 17, 3) +
        fexp(st["C"], 14, 3),
        fexp(st["StDevY"], 13, 3) + fexp(st["StDevYr"], 21, 3) + fexp(st["StDevX"], 17, 3),
    ]


HEADER = [
    " Results of program Vornax for the segmented linear regression of Y upon X.",
    " Y is the dependent variable.",
    " There can be different types of functions ranging from type 0 to type 6",
    " and (for types 2, 3 and 4) two methods of calculation.",
    " The types and methods are determined with the procedure of best fit.",
    " For explanations, use the symbols function in the output scroll menu.",
    "",
    " Name of this output file:  @DIR@/run.out",
    " Name of input file used :  @DIR@/run.inp",
    "",
    " Golden test",
    " X and Y without units",
    " Minimum confidence % : 90",
    "",
    " Regression of Y upon X without breakpoint (BPx=Xmin).",
    " X is the independent variable.",
    " The table below gives the following series of values respectively:",
    "    Breakpoint(BPx)    number of data        Av.Y          Av.X",
    "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC      Y(X=0)",
    "      St.Dev.Y           St.Dev.Yr         St.Dev.X",
]


def data_single():
    xs = [D(float(i)) for i in range(1, 13)]
    noise = [0.3, -0.2, 0.1, -0.4, 0.25, 0.0, -0.15, 0.35, -0.3, 0.2, -0.1, 0.05]
    ys = [D(float(2 + 0.5 * i + e)) for i, e in zip(range(1, 13), noise)]
    return ys, xs


def data_type3():
    xs = [D(float(i)) for i in range(0, 30)]
    noise = [0.2, -0.1, 0.15, -0.2, 0.05, 0.1, -0.15, 0.0, 0.2, -0.05,
             -0.1, 0.1, -0.2, 0.15, 0.0, -0.1, 0.2, -0.15, 0.1, 0.05,
             -0.2, 0.15, -0.05, 0.1, -0.1, 0.2, 0.0, -0.15, 0.1, -0.05]
    ys = [D(float((10 if i <= 15 else 10 - 0.8 * (i - 15)) + e)) for i, e in zip(range(30), noise)]
    return ys, xs


def single_report(ys, xs):
    xmin = min(xs)
    st1, st2 = split(ys, xs, xmin)
    lines = HEADER[:]
    lines.append("")
    lines += segment_block("BPx", xmin, st2)
    return lines, st2


def summary_single(ys, xs, st2):
    sig = abs(st2["RC"]) - T * st2["StDevRC"] >= 0
    a = st2["RC"] if sig else D(0)
    c = st2["AvY"] - a * st2["AvX"]
    out = ["", " SUMMARY OF THE Y-X REGRESSION."]
    out.append(" Function type : 1  - a single regression line, no breakpoint found." if sig else
               " Function type : 0  - a horizontal regression line, no breakpoint found.")
    out += [" See help functions on Intro tabsheet", "",
            " The regression equation is:  Y = A.X + C", "",
            "      A = " + fexp(a, 10, 4) + "     C = " + fexp(c, 10, 4), "",
            " Serial        Yobs          X         Ycalc",
            " ----------------------------------------------"]
    for i, (y, x) in enumerate(zip(ys, xs)):
        out.append(str(i + 1).rjust(4) + "      " + fexp(y, 12, 3) + fexp(x, 12, 4) +
                   fexp(a * x + c, 12, 3))
    return out


def type3_errors(st1, st2, lines, ssd, bp, method, srysqt, totalsxx):
    n1, n2 = st1["N"], st2["N"]
    big = D(1000000)
    vy1 = st1["Syy"] / (n1 * (n1 - 1)) if n1 > 1 else big
    vy2 = st2["Syy"] / (n2 * (n2 - 1)) if n2 > 1 else big
    vx2 = st2["Sxx"] / (n2 * (n2 - 1)) if n2 > 2 else big
    dy2 = (st2["AvY"] - st1["AvY"]) ** 2
    varrc = {}
    for s, st in ((1, st1), (2, st2)):
        varrc[s] = ssd[s] / (st["Sxx"] * (st["N"] - 2)) if st["N"] > 2 and st["Sxx"] != 0 else big
    serc = {s: varrc[s].sqrt() for s in (1, 2)}
    ssdt = ssd[1] + ssd[2]
    xav = (st2["AvX"] * n2 + st1["AvX"] * n1) / (n1 + n2)
    k = ssdt / ((n1 + n2 - 4) * totalsxx)
    sdybp = ((xav - bp) ** 2 * k + ssdt / ((n1 + n2 - 4) * (n1 + n2))).sqrt()
    e2 = (serc[2] ** 2 * (st2["AvX"] - bp) ** 2 + ssdt / (n2 * (n2 - 1))).sqrt()
    if method == 1:
        vy1 = e2 * e2
    rc2 = lines[2][0]
    div = st2["RC"] - serc[2]
    xc = st2["AvX"] + (st1["AvY"] - st2["AvY"]) / div if div != 0 else big
    e2 = bp - xc
    a = 1 / (rc2 + serc[2]) if rc2 + serc[2] != 0 else big
    b = 1 / (rc2 - serc[2]) if rc2 - serc[2] != 0 else -big
    h = abs(a - b) / 2
    sebp = (vx2 + dy2 * h * h + (vy1 + vy2) / (rc2 * rc2)).sqrt() if rc2 * rc2 > 0 else D(0)
    if 0 < e2 < sebp:
        sebp = e2
    return dict(SERC=serc, SEBP=sebp, SDYbp=sdybp, SESlope=serc[2], SSDt=ssdt)


def main():
    which = sys.argv[1]
    if which == "single":
        ys, xs = data_single()
        lines, st2 = single_report(ys, xs)
        lines += summary_single(ys, xs, st2)
    else:
        ys, xs = data_type3()
        lines, st_single = single_report(ys, xs)
        srysqt, totalsxx = st_single["Syy"], st_single["Sxx"]
        xmin, xmax = min(xs), max(xs)
        step = (xmax - xmin) / 100
        best = None
        for method in (1, 2):
            for k in range(1, 101):
                bp = D(float(xmin + (k - 1) * step))
                st1, st2 = split(ys, xs, bp)
                if st1["N"] < 3 or st2["N"] < 3:
                    continue
                ln = type3_lines(st1, st2, bp, method)
                ssd = ssd_final(ys, xs, bp, ln)
                ce = 1 - (ssd[1] + ssd[2]) / srysqt
                if best is None or ce > best[0]:
                    best = (ce, bp, method)
        ce, bp, method = best
        sys.stderr.write("type 3 optimum: BP=%s method=%d CE=%s\n" % (bp, method, ce))
        st1, st2 = split(ys, xs, bp)
        ln = type3_lines(st1, st2, bp, method)
        ssd = ssd_final(ys, xs, bp, ln)
        err = type3_errors(st1, st2, ln, ssd, bp, method, srysqt, totalsxx)
        n = D(len(ys))
        p1, p2 = st1["N"] / n, st2["N"] / n
        fraction = p2
        yi = (ln[1][2] - ln[2][2]) * p2
        q = p2
        vsum = st1["StDevY"] ** 2 / st1["N"] + st2["StDevY"] ** 2 / st2["N"]
        assert yi >= 0, "the test data are meant for the ordinary (decreasing) variant"
        sefrac = (p1 * p2 / n).sqrt()
        seyi = ((ln[2][2] - ln[1][2]) ** 2 * p1 * p2 / n + q * q * vsum).sqrt()
        sdyr = {s: ((ssd[s] / (st["N"] - 1)).sqrt() if ssd[s] > 0 and st["N"] > 1 else ssd[s])
                for s, st in ((1, st1), (2, st2))}
        lines += [
            "",
            " Results of regression of Y upon X with optimal breakpoint (BPx)",
            " X is the independent variable.",
            " The table below gives the following series of values respectively:",
            "    Breakpoint(BPx)    number of data        Av.Y          Av.X",
            "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(X=0)",
            "      St.Dev.Y           St.Dev.Yr         St.Dev.X",
            " for the data with X-values smaller and greater  than BPx followed",
            " by the function parameters.",
            "",
            " Data with X < BPx :",
        ]
        lines += segment_block("BPx", bp, st1)
        lines.append(" Data with X > BPx :")
        lines += segment_block("BPx", bp, st2)
        lines += [
            "",
            " Parameters for function type 3 and method" + str(method).rjust(3),
            "   Slope > BPx              Ybp              N>/Nt      increase Yi",
            fexp(ln[2][0], 13, 3) + fexp(ln[1][2], 21, 3) + fexp(fraction, 17, 3) + fexp(yi, 14, 3),
            "  St.Err.Slope>BPx       St.Err.BPx      St.Err.N>/Nt    St.Err.Yi",
            fexp(err["SESlope"], 13, 3) + fexp(err["SEBP"], 21, 3) + fexp(sefrac, 17, 3) +
            fexp(seyi, 14, 3),
        ]
        if method == 1:
            lines += ["   St.Dev.Yr < BPx     St.Dev.Yr > BPx    St.Dev.Ybp",
                      fexp(sdyr[1], 13, 3) + fexp(sdyr[2], 21, 3) + fexp(err["SDYbp"], 17, 3)]
        else:
            lines += ["   St.Dev.Yr > BPx     St.Dev.Yr < BPx    St.Dev.Ybp",
                      fexp(sdyr[2], 13, 3) + fexp(sdyr[1], 21, 3) + fexp(err["SDYbp"], 17, 3)]
        lines += ["   Slope < BPx         St.Err.Slope<BPx   Expl.Coeff.",
                  fexp(0, 13, 3) + fexp(err["SERC"][1], 21, 3) + fexp(ce, 17, 3), ""]
        sys.stderr.write("BPLow=%s BPHigh=%s\n" % (bp - T * err["SEBP"], bp + T * err["SEBP"]))
        ag = ln[2][0]
        cs = ln[1][2]
        cg = ln[2][2] - ag * ln[2][1]
        lines += ["", " SUMMARY OF THE Y-X REGRESSION.",
                  " Function type : 3  - first a horizontal segment, then sloping.",
                  " Calc. method  :" + str(method).rjust(2),
                  " See help functions on Intro tabsheet", "",
                  " Optimal breakpoint of X (BPx) :" + fexp(bp, 11, 4), "",
                  " There are two regression equations:", "",
                  " when X is smaller than BPx:  Y = AsX + Cs",
                  " when X is greater than BPx:  Y = AgX + Cg", "",
                  "     As = " + fexp(0, 10, 4) + "       Ag = " + fexp(ag, 10, 4),
                  "     Cs = " + fexp(cs, 10, 4) + "       Cg = " + fexp(cg, 10, 4), "",
                  " Serial        Yobs          X         Ycalc",
                  " ----------------------------------------------"]
        for i, (y, x) in enumerate(zip(ys, xs)):
            yc = ag * x + cg if x >= bp else cs
            lines.append(str(i + 1).rjust(4) + "      " + fexp(y, 12, 3) + fexp(x, 12, 4) +
                         fexp(yc, 12, 3))
        sys.stderr.write("var: %s %s %s %s\n" % (srysqt, st_single["SSD"], bp, ssd[1] + ssd[2]))
    sys.stdout.write("".join(l + "\r\n" for l in lines))


if __name__ == "__main__":
    main()
