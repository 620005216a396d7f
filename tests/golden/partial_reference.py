#!/usr/bin/env python3
"""Independent reference for the partial regression tests.

Works out the partial regression of a data set from the rules of the scans (the candidate grid,
the marks of the type-3 and type-4 scans, the thresholds and their companions, the walk of the
type-4 threshold, the final functions and their error terms) in 50-digit decimal arithmetic, and
prints the output file, the variance file or the scan table with CR LF line ends. The golden files
under tests/golden were made with it and then read through by hand; the C++ program never
produced them.

    python3 partial_reference.py rising out > partial_rising.out
    python3 partial_reference.py rising txt > partial_rising.txt
    python3 partial_reference.py falling out > partial_falling.out
    python3 partial_reference.py falling txt > partial_falling.txt

The coefficient of explanation that decides between the types when both scans find a threshold
depends on the acceptance tests of the breakpoint search; these data sets are chosen so that only
one scan finds one, and the script stops if that is not so.
"""
import sys
from decimal import Decimal as D

from one_variable_reference import fexp, ffix, stats, split

BIG = D(1000000)


def sd_partial(st):
    """Standard deviation of a segment's slope as the scans read it."""
    if st["N"] < 3:
        return D(0)
    if st["SSD"] < 0 or not st["Sxx"] > 0:
        return BIG
    return st["StDevRC"]


WOBBLE = [0.3, -0.2, 0.1, -0.4, 0.25, 0.0, -0.15, 0.35, -0.3, 0.2, -0.1, 0.05]


def data_rising(shift=0):
    """X = 1..40, Y level at 10 up to X = 16, then rising by 0.5 per unit, with a wobble.

    Y is worked out in 64-bit binary arithmetic, as the tests enter it, and then taken exactly:
    a mean that lies on a rounding tie in decimal is then rounded from the same value as there.
    """
    xs, ys = [], []
    for i in range(1, 41):
        y = 10 + (0.5 * (i - 16) if i > 16 else 0) + WOBBLE[i % 12] / 2
        xs.append(D(i + shift))
        ys.append(D(y))
    return ys, xs


def data_falling():
    """X = 0..39 in steps of 1, Y falling by 0.4 per unit up to X = 24, then level at 4."""
    xs, ys = [], []
    for i in range(40):
        y = (4 + 0.4 * (24 - i) if i < 24 else 4) + WOBBLE[(i * 5) % 12] / 2
        xs.append(D(i))
        ys.append(D(y))
    return ys, xs


def evaluate(ys, xs, bp, typ, srysqt, totalsxx):
    """The partial evaluation of type 3 or 4 with method 2 at bp."""
    st1, st2 = split(ys, xs, bp)
    slope = {1: st1["RC"], 2: st2["RC"]}
    anx = {1: st1["AvX"], 2: st2["AvX"]}
    any_ = {1: st1["AvY"], 2: st2["AvY"]}
    if typ == 3:
        slope[1] = D(0)
        slope[2] = (any_[2] - any_[1]) / (anx[2] - bp) if anx[2] != bp else D(0)
    else:
        slope[2] = D(0)
        slope[1] = (any_[2] - any_[1]) / (bp - anx[1]) if anx[1] != bp else D(0)
    ssd = {1: D(0), 2: D(0)}
    for y, x in zip(ys, xs):
        s = 1 if x < bp else 2
        ssd[s] += (y - ((x - anx[s]) * slope[s] + any_[s])) ** 2
    ce = 1 - (ssd[1] + ssd[2]) / srysqt
    serc = {}
    for s, st in ((1, st1), (2, st2)):
        if st["N"] > 2 and st["Sxx"] != 0:
            serc[s] = (ssd[s] / (st["Sxx"] * (st["N"] - 2))).sqrt()
        else:
            serc[s] = BIG.sqrt()
    n = st1["N"] + st2["N"]
    ssdt = ssd[1] + ssd[2]
    xav = (st1["AvX"] * st1["N"] + st2["AvX"] * st2["N"]) / n
    k = ssdt / ((n - 4) * totalsxx)
    sdybp = ((xav - bp) ** 2 * k + ssdt / ((n - 4) * n)).sqrt()
    return dict(st1=st1, st2=st2, slope=slope, anx=anx, any=any_, ssd=ssd, ce=ce, serc=serc,
                sdybp=sdybp, seslope=serc[2] if typ == 3 else serc[1])


def level_increase(f, typ, bp, n, xmin, xmax):
    """Fraction and increase of Y of a type 3 or 4 function (as the one-variable report)."""
    st = {1: f["st1"], 2: f["st2"]}
    p = {1: st[1]["N"] / n, 2: st[2]["N"] / n}
    sl = 2 if typ == 3 else 1
    h = 3 - sl

    def var_term(s):
        return st[s]["StDevY"] ** 2 / st[s]["N"] if st[s]["N"] > 0 else D(0)

    frac = p[sl]
    yi = (f["any"][h] - f["any"][sl]) * p[sl]
    q = p[sl]
    vsum = var_term(1) + var_term(2)
    variant = yi < 0 if typ == 3 else yi > 0
    if variant:
        reach = xmax - bp if typ == 3 else bp - xmin
        yx = reach * f["slope"][sl] + f["any"][h] if f["slope"][sl] > 0 else D(0)
        frac = p[h]
        yi = (yx - f["any"][h]) * p[h] + (1 - p[h]) * (yx - f["any"][sl])
        q = p[h]
        vsum = 2 * var_term(h)
    da = f["any"][2] - f["any"][1]
    sefrac = (p[1] * p[2] / n).sqrt()
    seyi = (da * da * p[1] * p[2] / n + q * q * vsum).sqrt()
    side = ("<" if typ == 3 else ">") if variant else (">" if typ == 3 else "<")
    return "N" + side + "/Nt", frac, yi, sefrac, seyi


def analyse(ys, xs):
    order = sorted(range(len(xs)), key=lambda i: xs[i])
    ys = [ys[i] for i in order]
    xs = [xs[i] for i in order]
    n = len(xs)
    xmin, xmax = xs[0], xs[-1]
    # The grid in 64-bit binary arithmetic, as the program makes it, taken exactly.
    step = (float(xmax) - float(xmin)) / 200
    grid = [xmin] + [D(float(xmin) + j * step) for j in range(1, 200)]
    made = list(grid)
    _, single = split(ys, xs, xmin)
    srysqt, totalsxx = single["Syy"], single["Sxx"]
    s0 = single["RC"]
    r = dict(ys=ys, xs=xs, n=n, xmin=xmin, xmax=xmax, single=single, s0=s0, srysqt=srysqt,
             scan3=[], scan4=[])

    # Type-3 scan. A candidate with fewer than three data sets on a side falls back to Xmin.
    falling = s0 <= 0
    found3, t3, inner, outer = False, None, None, None
    for j in range(199):
        bp = grid[j]
        st1, st2 = split(ys, xs, bp)
        if bp > xmin and (st1["N"] < 3 or st2["N"] < 3):
            grid[j] = xmin
            continue
        if not (st1["N"] > 2 and st2["N"] > 2):
            continue
        s1, s2 = st1["RC"], st2["RC"]
        sd1 = sd_partial(st1)
        sd = D("1.25") * sd1
        counts = st1["N"] > 4 and st2["N"] > 4
        if falling:
            mark = counts and s1 > -sd and abs(s1) < abs(s2) and (abs(s1) < abs(s0) or s1 >= 0)
        else:
            mark = counts and s1 <= sd and s1 < s2 and (s1 < s0 or s1 <= 0)
        slope3 = (st2["AvY"] - st1["AvY"]) / (st2["AvX"] - bp)
        r["scan3"].append((bp, st1, st2, slope3, sd, sd1 < BIG, mark))
        if mark:
            t3 = bp if t3 is None or bp > t3 else t3
            found3 = True

        def comp(f):
            if not (counts and abs(s1) < abs(s2)):
                return False
            return (-f * sd1 < s1 < f * sd1) if falling else s1 < f * sd1

        if comp(D("0.75")):
            inner = bp
        if comp(D("1.75")):
            outer = bp
    if found3:
        inner = t3 if inner is None else inner
        outer = t3 if outer is None else outer

    # Type-4 scan on the grid as the fall-backs left it.
    rising, fall4 = s0 > 0, s0 < 0
    found4, t4, low, high = False, None, None, None
    for j in range(199):
        bp = grid[j]
        st1, st2 = split(ys, xs, bp)
        s1, s2 = st1["RC"], st2["RC"]
        sd2 = sd_partial(st2)

        def level(sd):
            if rising:
                return s2 < sd and s2 < s1 and (s2 < s0 or s2 <= 0)
            if fall4:
                return s2 > -sd and abs(s2) < abs(s1) and (abs(s2) < abs(s0) or s2 >= 0)
            return False

        mark = st1["N"] > 5 and level(sd2)
        if st1["N"] > 2 and st2["N"] > 2 and s0 != 0:
            slope3 = (st2["AvY"] - st1["AvY"]) / (bp - st1["AvX"])
            r["scan4"].append((bp, st1, st2, slope3, sd2, sd2 < BIG, mark))
        if mark and not found4:
            t4, found4 = bp, True
        if st1["N"] > 5 and st2["N"] > 5:
            if low is None and level(D("1.5") * sd2):
                low = bp
            if high is None and level(D("0.5") * sd2):
                high = bp
    if found4:
        d = t4 - xmin
        clamp = lambda v, a, b: a if v is None or v < a else (b if v > b else v)
        low = clamp(low, xmin + D("0.85") * d, xmin + D("0.95") * d)
        high = clamp(high, xmin + D("0.95") * d, xmin + D("1.05") * d)
        dlow, dhigh = t4 - low, high - t4
        st1, st2 = split(ys, xs, t4)
        sd1, sd2 = sd_partial(st1), sd_partial(st2)
        k = max(i for i in range(n) if xs[i] <= t4)
        while k + 1 < n:
            if fall4 and ys[k] > st2["AvY"] + sd2 * (xs[-1] - t4):
                pass
            elif rising and ys[k] < st1["AvY"] - sd1 * (xs[-1] - t4):
                pass
            else:
                break
            t4 = xs[k + 1]
            k += 1
        low, high = t4 - dlow, t4 + dhigh

    if found3 and found4:
        sys.exit("both scans found a threshold: these data do not suit this reference")
    typ = 3 if found3 else 4 if found4 else 1
    r.update(type=typ, t3=t3 or D(0), t4=t4 or D(0), inner=inner or D(0), outer=outer or D(0),
             low=low or D(0), high=high or D(0), grid=made)
    if typ == 1:
        return r
    bp = t3 if typ == 3 else t4
    r["bp"] = bp
    r["keep"] = made[19] <= bp <= made[179]
    r["sebp"] = D("0.7") * abs(outer - inner) if typ == 3 else D("0.7") * abs(high - low)
    f = evaluate(ys, xs, bp, typ, srysqt, totalsxx)
    r["f"] = f
    r["inc"] = level_increase(f, typ, bp, D(n), xmin, xmax)
    if typ == 3:
        a_s, a_g = D(0), f["slope"][2]
    else:
        a_s, a_g = f["slope"][1], D(0)
    if (a_s > 0 and s0 < 0) or (a_s < 0 and s0 > 0):
        a_s = D(0)
    if (a_g > 0 and s0 < 0) or (a_g < 0 and s0 > 0):
        a_g = D(0)
    r["As"], r["Ag"] = a_s, a_g
    r["Cs"] = f["any"][1] - a_s * f["anx"][1]
    r["Cg"] = f["any"][2] - a_g * f["anx"][2]
    return r


def block(bp, st):
    known = lambda v: D(0) if v >= BIG else v
    return [
        " BPx=" + ffix(bp, 7, 2) + fexp(st["N"], 22, 3) + fexp(st["AvY"], 17, 3) +
        fexp(st["AvX"], 14, 3),
        fexp(st["RC"], 13, 3) + fexp(st["CCsq"], 21, 3) + fexp(known(st["StDevRC"]), 17, 3) +
        fexp(st["C"], 14, 3),
        fexp(st["StDevY"], 13, 3) + fexp(known(st["StDevYr"]), 21, 3) +
        fexp(st["StDevX"], 17, 3),
    ]


def vals(*v):
    widths = (13, 21, 17, 14)
    return "".join(fexp(x, w, 3) for x, w in zip(v, widths))


def output(r):
    typ = r["type"]
    lines = [" Results of program Lumitor for partial linear regression of Y upon X.",
             " The dependent variable is Y."]
    if typ > 1:
        lines += [" THIS LUMITOR PROGRAM DETECTS OVER WHICH PART OF THE DATA RANGE THE SLOPE ",
                  " CAN BE TAKEN ZERO LIKE IN TYPE 3 or 4."]
    else:
        lines += [" The types and methods are determined with the procedure of best fit.",
                  " For explanations, use the symbols function in the output scroll menu."]
    lines += ["", " Name of this output file:  run.out", " Name of input file used :  run.inp", "",
              " Partial golden test", " Y against X", " Minimum confidence % : 90", "",
              " Regression of Y upon X without breakpoint (BPx=Xmin).",
              " X is the independent variable.",
              " The table below gives the following series of values respectively:",
              "    Breakpoint(BPx)    number of data        Av.Y          Av.X",
              "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC      Y(X=0)",
              "      St.Dev.Y           St.Dev.Yr         St.Dev.X"]
    lines += block(r["xmin"], r["single"])
    if typ > 1:
        f = r["f"]
        bp = r["bp"]
        three = typ == 3
        sl, h = (2, 1) if three else (1, 2)
        ss, ls = (">", "<") if three else ("<", ">")
        label, frac, yi, sefrac, seyi = r["inc"]
        lines += ["", " Results of regression of Y upon X with optimal breakpoint (BPx)",
                  " X is the independent variable.",
                  " The table below gives the following series of values respectively:",
                  "    Breakpoint(BPx)    number of data        Av.Y          Av.X",
                  "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(X=0)",
                  "      St.Dev.Y           St.Dev.Yr         St.Dev.X",
                  " for the data with X-values smaller and greater  than BPx followed",
                  " by the function parameters.",
                  " Data with X < BPx :"] + block(bp, f["st1"]) + \
                 [" Data with X > BPx :"] + block(bp, f["st2"])
        known = lambda v: D(0) if v >= BIG else v
        lines += ["",
                  " Parameters for function type %d and method  2" % typ,
                  "   Slope " + ss + " BPx              Ybp              " + label +
                  "      increase Yi",
                  vals(f["slope"][sl], f["any"][h], frac, yi),
                  "  St.Err.Slope" + ss + "BPx       St.Err.BPx      St.Err." + label +
                  "    St.Err.Yi",
                  vals(f["seslope"], r["sebp"], sefrac, seyi),
                  "   St.Dev.Yr < BPx     St.Dev.Yr > BPx    St.Dev.Ybp",
                  vals(known(f["st1"]["StDevYr"]), known(f["st2"]["StDevYr"]), f["sdybp"]),
                  "   Slope " + ls + " BPx         St.Err.Slope" + ls +
                  "BPx   Expl. Coeff.  Central expl.",
                  vals(f["slope"][h], f["serc"][h], f["ce"], 0)]
        if three:
            lines += ["   Conf. BP left       Conf. BP right     Av. Y end     BP end",
                      vals(r["inner"], r["outer"], 0, r["t4"]),
                      "   Conf. BP end low    Conf. BP end high  ",
                      vals(r["low"], r["high"])]
        else:
            lines += ["   Conf. BP left       Conf. BP right     Av. Y top     BP top",
                      vals(r["low"], r["high"], 0, r["t3"]),
                      "   Conf. BP top low    Conf. BP top high  ",
                      vals(r["inner"], r["outer"])]
    lines += ["", " SUMMARY OF THE Y-X REGRESSION."]
    if typ == 3:
        lines += [" Function type : 3  - first a horizontal segment, then sloping.",
                  " Calc. method  : 2"]
    elif typ == 4:
        lines += [" Function type : 4  - first a sloping segment, then horizontal.",
                  " Calc. method  : 2"]
    else:
        lines += [" Function type : 1  - a single regression line, no breakpoint found."]
    lines += [" See help functions on Intro tabsheet", ""]
    if typ > 1:
        a_s, a_g, c_s, c_g, bp = r["As"], r["Ag"], r["Cs"], r["Cg"], r["bp"]
        lines += [" Optimal breakpoint of X (BPx) :" + fexp(bp, 11, 4), "",
                  " There are two regression equations:", "",
                  " when X is smaller than BPx:  Y = AsX + Cs",
                  " when X is greater than BPx:  Y = AgX + Cg", "",
                  "     As = " + fexp(a_s, 10, 3) + "       Ag = " + fexp(a_g, 10, 3),
                  "     Cs = " + fexp(c_s, 10, 3) + "       Cg = " + fexp(c_g, 10, 3)]
    else:
        s = r["single"]
        a_s = a_g = s["RC"]
        c_s = c_g = s["C"]
        bp = r["xmin"]
        lines += [" The regression equation is:  Y = A.X + C", "",
                  "      A = " + fexp(a_g, 10, 3) + "     C = " + fexp(c_g, 10, 3)]
    lines += ["", " Serial        Yobs          X         Ycalc",
              " ----------------------------------------------"]
    for i, (y, x) in enumerate(zip(r["ys"], r["xs"])):
        yc = a_s * x + c_s if x < bp else a_g * x + c_g
        lines.append(str(i + 1).rjust(4) + "      " + fexp(y, 12, 3) + fexp(x, 12, 4) +
                     fexp(yc, 12, 3))
    return lines


def scan_table(r):
    typ = r["type"]
    three = typ == 3
    s0 = r["s0"]
    lines = ["@DIR@/run.txt", ""]
    if three:
        lines += [" BP=breakpoint, Nr1 = number of data below BP, AvY1 = average Y below BP"]
    else:
        lines += [" BP=breakpoint, Number1 = number of data below BP, AvY1 = average Y below BP"]
    lines += [" AvX1 = average X below BP, AvY2 = average Y above BP, AvX2 = average X above BP",
              " Slope1 = regr. coeff. for all points below BP",
              " Slope2 = regr. coeff. for all points above BP"]
    if three:
        lines += [" Slope3 = slope of line connecting point (BP,Ybp) with point (AvX2, AvY2)",
                  " Ybp = Y at BP, StDevSlope1 = 1,25*standard deviation of Slope1"]
        if s0 > 0:
            lines += [" Check # = condition Slope1 < StDevSlope1 is met, Slope1 may be taken zero",
                      " Check o = condition Slope1 < StDevSlope1 is not met, Slope1 is definitely positive"]
        else:
            lines += [" Check # = condition Slope1 > - StDevSlope1 is met, Slope1 may be taken zero",
                      " Check o = condition Slope1 > - StDevSlope1 is not met, Slope1 is definitely negative"]
        lines += [" For relations of Type 3, the BP value at the last # sign is selected as threshold."]
    else:
        lines += [" Slope3 = slope of line connecting point (BP,Ybp) with point (AvX1, AvY1)",
                  " Ybp = Y at BP, StDevSlope2= standard deviation of Slope2"]
        if s0 >= 0:
            lines += [" Check # = condition Slope2 < StDevSlope2 is met, Slope2 may be taken zero",
                      " Check o = condition Slope2 < StDevSlope2 is not met, Slope2 is definitely postive"]
        else:
            lines += [" Check # = condition Slope2 > - StDevSlope2 is met, Slope2 may be taken zero",
                      " Check o = condition Slope2 > - StDevSlope2 is not met, Slope2 is definitely negative"]
        lines += [" For relations of Type 4, the BP at the first # sign is selected as threshold."]
    lines += ["", "    BP    Nr1   AvY1    AvX1   Slope1  Slope2  Slope3   AvY2    AvX2  " +
              ("StDevSlope1" if three else "StDevSlope2") + "  Check", ""]
    for bp, st1, st2, slope3, sd, known, mark in (r["scan3"] if three else r["scan4"]):
        lines.append(ffix(bp, 8, 2) + str(int(st1["N"])).rjust(4) + ffix(st1["AvY"], 8, 2) +
                     ffix(st1["AvX"], 8, 2) + ffix(st1["RC"], 8, 3) + ffix(st2["RC"], 8, 2) +
                     ffix(slope3, 8, 2) + ffix(st2["AvY"], 8, 2) + ffix(st2["AvX"], 8, 2) +
                     (ffix(sd, 11, 3) if known else "       n.a.") +
                     ("      #" if mark else "      o"))
    return lines


def main():
    which, what = sys.argv[1], sys.argv[2]
    ys, xs = data_rising() if which == "rising" else data_falling()
    r = analyse(ys, xs)
    if what == "out":
        lines = output(r)
    elif what == "txt":
        lines = scan_table(r)
    else:
        lines = ["type %d t3 %s t4 %s bp %s inner %s outer %s low %s high %s keep %s" % (
            r["type"], r["t3"], r["t4"], r.get("bp"), r["inner"], r["outer"], r["low"],
            r["high"], r.get("keep"))]
    sys.stdout.buffer.write(("\r\n".join(lines) + "\r\n").encode())


if __name__ == "__main__":
    main()
