#!/usr/bin/env python3
"""Independent reference for the two-variable report tests.

Computes the expected report of a two-variable run in 50-digit decimal arithmetic from the
method's formulas: the search of each variable (single line, types 3 and 4 with both methods and
their acceptance tests), the choice of the sequence, the stage blocks with their parameter
tables, the relation between X and Z, the combination of the stages into four plane equations
and the data table. Prints the lines with CR LF line ends. The golden files were made with it and
read through by hand; the C++ program never produced them.

    python3 two_variable_reference.py seq1 > two_variable_seq1.out
    python3 two_variable_reference.py seq2 > two_variable_seq2.out

The data are chosen so that the best type of every search explains more than 1/1.1 of the
variation: types 5, 2 and 6 then cannot win (each has to beat the best so far by 10 %), and the
search reduces to the single line and types 3 and 4. The script checks that this holds.
"""
import sys
from decimal import Decimal as D

from one_variable_reference import T, fexp, ffix, split, ssd_final, segment_block

BIG = D(1000000)


def sqrt(v):
    return v.sqrt() if v > 0 else D(0)


# ---------------------------------------------------------------- data
def data_seq1():
    # Y = type 3 on X (level 20 up to 15, then rising by 1.2) + 0.6 Z + a fixed wobble.
    n = 36
    xs = [float(i) for i in range(n)]
    zs = [((i * 11) % n) / 4 for i in range(n)]
    wob = [((i * 5) % 7 - 3) / 30 for i in range(n)]
    ys = [(20 if x < 15 else 20 + 1.2 * (x - 15)) + 0.6 * z + w for x, z, w in zip(xs, zs, wob)]
    return ys, xs, zs


def data_seq2():
    # Y = type 4 on Z (rising by 2 up to 10, then level at 25) + 0.1 X + a fixed wobble.
    n = 36
    zs = [i / 2 for i in range(n)]
    xs = [float((i * 7) % n) for i in range(n)]
    wob = [((i * 3) % 5 - 2) / 25 for i in range(n)]
    ys = [(5 + 2 * z if z < 10 else 25.0) + 0.1 * x + w for x, z, w in zip(xs, zs, wob)]
    return ys, xs, zs


# ---------------------------------------------------------------- the lines of a type
def lines(typ, method, st1, st2, bp):
    """[slope, anchor X, anchor Y] per segment; types 1, 3 and 4."""
    l1 = [st1["RC"], st1["AvX"], st1["AvY"]]
    l2 = [st2["RC"], st2["AvX"], st2["AvY"]]
    if typ == 3:
        l1[0] = D(0)
        if method == 1:
            l1[2] = (bp - l2[1]) * l2[0] + l2[2]
        else:
            l2[0] = (l2[2] - l1[2]) / (l2[1] - bp) if l2[1] != bp else D(0)
    elif typ == 4:
        l2[0] = D(0)
        if method == 1:
            l2[2] = (bp - l1[1]) * l1[0] + l1[2]
        else:
            l1[0] = (l2[2] - l1[2]) / (bp - l1[1]) if l1[1] != bp else D(0)
    return {1: l1, 2: l2}


def errors(typ, method, st1, st2, ln, ssd, bp, totalsxx):
    """The error routine for types 1, 3 and 4."""
    n1, n2 = st1["N"], st2["N"]
    vy1 = st1["Syy"] / (n1 * (n1 - 1)) if n1 > 1 else BIG
    vy2 = st2["Syy"] / (n2 * (n2 - 1)) if n2 > 1 else BIG
    vx1 = st1["Sxx"] / (n1 * (n1 - 1)) if n1 > 2 else BIG
    vx2 = st2["Sxx"] / (n2 * (n2 - 1)) if n2 > 2 else BIG
    dy2 = (st2["AvY"] - st1["AvY"]) ** 2
    serc = {}
    for s, st in ((1, st1), (2, st2)):
        var = ssd[s] / (st["Sxx"] * (st["N"] - 2)) if st["N"] > 2 and st["Sxx"] != 0 else BIG
        serc[s] = sqrt(var)
    ssdt = ssd[1] + ssd[2]
    nt = n1 + n2
    xav = (st2["AvX"] * n2 + st1["AvX"] * n1) / nt
    k = ssdt / ((nt - 4) * totalsxx) if (nt - 4) * totalsxx > 0 else D(0)
    sdybp = sqrt((xav - bp) ** 2 * k + (ssdt / ((nt - 4) * nt) if nt > 4 else D(0)))
    out = dict(SERC=serc, SEBP=D(0), SDYbp=sdybp, SESlope=D(0))
    if typ not in (3, 4):
        return out
    if typ == 3:
        e = sqrt(serc[2] ** 2 * (st2["AvX"] - bp) ** 2 + ssdt / (n2 * (n2 - 1))) if n2 > 2 else D(0)
        if method == 1:
            vy1 = e * e
        ss, sh, rc, se, vx = st2, st1, ln[2][0], serc[2], vx2
    else:
        e = sqrt(serc[1] ** 2 * (st1["AvX"] - bp) ** 2 + ssdt / (n1 * (n1 - 1))) if n1 > 2 else D(0)
        if method == 1:
            vy2 = e * e
        ss, sh, rc, se, vx = st1, st2, ln[1][0], serc[1], vx1
    div = ss["RC"] - se
    xc = ss["AvX"] + (sh["AvY"] - ss["AvY"]) / div if div != 0 else BIG
    e = bp - xc if typ == 3 else xc - bp
    a = 1 / (rc + se) if rc + se != 0 else BIG
    b = 1 / (rc - se) if rc - se != 0 else -BIG
    h = abs(a - b) / 2
    sebp = sqrt(vx + dy2 * h * h + (vy1 + vy2) / (rc * rc)) if rc * rc > 0 else D(0)
    if 0 < e < sebp:
        sebp = e
    out.update(SEBP=sebp, SESlope=se)
    return out


# ---------------------------------------------------------------- the search of one variable
def search(ys, xs):
    """Best type (1, 3 or 4), method, breakpoint and CE of ys upon xs."""
    ys = [D(v) for v in ys]
    xs = [D(v) for v in xs]
    xmin, xmax = min(xs), max(xs)
    step = (float(xmax) - float(xmin)) / 100
    cands = [float(xmin) + k * step for k in range(100)]   # as the program: in doubles
    st1, st2 = split(ys, xs, xmin)
    srysqt = st2["Syy"]
    n = len(ys)
    mincount = max(D(n) / 10, D(5))
    ce1 = st2["CCsq"] if st2["Syy"] > 0 else D(0)
    best = dict(type=1, method=0, bp=xmin, ce=ce1)
    threshold = ce1
    serc_prev = {1: D(0), 2: D(0)}
    for typ in (3, 4):
        for method in (1, 2):
            for c in cands:
                bp = D(c)
                st1, st2 = split(ys, xs, bp)
                if bp > xmin and (st1["N"] < 3 or st2["N"] < 3):
                    continue   # falls back to the single line, never accepted
                ln = lines(typ, method, st1, st2, bp)
                ssd = ssd_final(ys, xs, bp, {1: ln[1], 2: ln[2]})
                ce = 1 - (ssd[1] + ssd[2]) / srysqt
                if st1["Sxx"] == 0 and st2["Sxx"] == 0:
                    ce = D(0)
                # Margins of types 3 and 4 read the standard errors of the preceding evaluation.
                m1 = abs(ln[1][0]) - T * serc_prev[1]
                m2 = abs(ln[2][0]) - T * serc_prev[2]
                serc_prev = errors(typ, method, st1, st2, ln, ssd, bp, D(0))["SERC"]
                counts = st1["N"] >= mincount and st2["N"] >= mincount
                if typ == 3:
                    ok = (m1 < 0 or ln[1][0] == 0) and m2 > 0 and counts
                else:
                    ok = m1 > 0 and (m2 < 0 or ln[2][0] == 0) and counts
                if ok and ce > threshold and bp > xmin:
                    threshold = ce
                    best = dict(type=typ, method=method, bp=bp, ce=ce)
    return best


# ---------------------------------------------------------------- one report block
def block(ys, xs, typ, method, bp):
    ys = [D(v) for v in ys]
    xs = [D(v) for v in xs]
    xmin = min(xs)
    st0 = split(ys, xs, xmin)[1]
    srysqt, totalsxx = st0["Syy"], st0["Sxx"]
    st1, st2 = split(ys, xs, bp)
    ln = lines(typ, method, st1, st2, bp)
    ssd = ssd_final(ys, xs, bp, {1: ln[1], 2: ln[2]})
    ce = 1 - (ssd[1] + ssd[2]) / srysqt if srysqt > 0 else D(0)
    err = errors(typ, method, st1, st2, ln, ssd, bp, totalsxx)
    return dict(st1=st1, st2=st2, ln=ln, ssd=ssd, ce=ce, err=err, n=len(ys),
                xmin=xmin, xmax=max(xs), single_sig=abs(st2["RC"]) - T * st2["StDevRC"] >= 0
                and st2["RC"] != 0)


def residuals(ys, xs, ln, bp):
    out = []
    for y, x in zip(ys, xs):
        y, x = D(y), D(x)
        s = 1 if x < bp else 2
        out.append(y - ((x - ln[s][1]) * ln[s][0] + ln[s][2]))
    return out


def parameter_table(b, typ, method, bp, v):
    """The lines of a type-3 or type-4 table in the two-variable layout."""
    B = "BP" + v.lower()
    st1, st2, ln, err = b["st1"], b["st2"], b["ln"], b["err"]
    n = D(b["n"])
    p = {1: st1["N"] / n, 2: st2["N"] / n}
    sl, h = (2, 1) if typ == 3 else (1, 2)
    slope_side, level_side = (">", "<") if typ == 3 else ("<", ">")
    fraction = p[sl]
    yi = (ln[h][2] - ln[sl][2]) * p[sl]
    q = p[sl]
    vterm = {s: (st["StDevY"] ** 2 / st["N"] if st["N"] > 0 else D(0)) for s, st in ((1, st1), (2, st2))}
    vsum = vterm[1] + vterm[2]
    variant = yi < 0 if typ == 3 else yi > 0
    if variant:
        reach = b["xmax"] - bp if typ == 3 else bp - b["xmin"]
        yx = reach * ln[sl][0] + ln[h][2] if ln[sl][0] > 0 else D(0)
        fraction = p[h]
        yi = (yx - ln[h][2]) * p[h] + (1 - p[h]) * (yx - ln[sl][2])
        q = p[h]
        vsum = 2 * vterm[h]
    sefrac = sqrt(p[1] * p[2] / n)
    seyi = sqrt((ln[2][2] - ln[1][2]) ** 2 * p[1] * p[2] / n + q * q * vsum)
    frac = "N" + (level_side if variant else slope_side) + "/Nt"
    sdyr = {s: (sqrt(b["ssd"][s] / (st["N"] - 1)) if b["ssd"][s] > 0 and st["N"] > 1 else b["ssd"][s])
            for s, st in ((1, st1), (2, st2))}
    return [
        "",
        " Parameters for function type %d and method%3d" % (typ, method),
        "   Slope " + slope_side + " " + B + "              Ybp" + "             " + frac +
        "       Increase Yi",
        fexp(ln[sl][0], 13, 3) + fexp(ln[h][2], 21, 3) + fexp(fraction, 17, 3) + fexp(yi, 14, 3),
        "  St.Err.Slope" + slope_side + B + "       St.Err." + B + "      St.Err." + frac +
        "    St.Err.Yi",
        fexp(err["SESlope"], 13, 3) + fexp(err["SEBP"], 21, 3) + fexp(sefrac, 17, 3) +
        fexp(seyi, 14, 3),
        "   St.Dev.Yr " + level_side + " " + B + "       St.Dev.Ybp",
        fexp(sdyr[h], 13, 3) + fexp(err["SDYbp"], 21, 3),
        "   Slope " + level_side + " " + B + "        St.Err.Slope" + level_side + B + "   Expl.Coeff.",
        fexp(ln[h][0], 13, 3) + fexp(err["SERC"][h], 21, 3) + fexp(b["ce"], 17, 3),
    ]


# ---------------------------------------------------------------- the whole report
HEADER = [
    " Results of program VORNAX2 for the segmented linear regression of",
    " Y upon X and Z with X-breakpoint BP1 and Z-breakpoint BPz.",
    " The regression sequences are either:",
    " - Y upon X followed by the residuals YXr upon Z, or",
    " - Y upon Z followed by the residuals YXr upon X,",
    " whichever gives the best statistical explanation.",
    " There can be different types of functions ranging from type 0 to type 6",
    " and (for types 2, 3 and 4) two methods of calculation.",
    " The types and methods are determined with the procedure of best fit.",
    " For explanations, use the symbols function in the output scroll menu.",
    "",
    " Name of this output file:  @DIR@/golden.out",
    " Name of input file used :  @DIR@/golden.inp",
    "",
    " Golden test",
    " Y, X and Z without units",
    " Minimum confidence % : 90",
    "",
]

TABLE = " The table below gives the following series of values respectively:"


def headings(seq):
    """Heading lines per block, for sequence 1 (X first) or 2 (Z first)."""
    f, s = ("X", "Z") if seq == 1 else ("Z", "X")
    fb, sb = "BP" + f.lower(), "BP" + s.lower()
    ordinal = {"X": "The first (X)", "Z": "The second (Z)"}
    return {
        "first0": [" Regression of Y upon %s without breakpoint (%s=%smin)." % (f, fb, f),
                   " %s of two independent variables is used firstly." % ordinal[f], TABLE,
                   "    Breakpoint(%s)    number of data        Av.Y          Av.%s" % (fb, f),
                   "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(%s=0)" % f,
                   "      St.Dev.Y           St.Dev.Yr         St.Dev.%s" % f, ""],
        "first1": [""] + ([" Regression of Y on X with optimal breakpoint (BPx)."] if seq == 1 else []) + [
                   " %s of two independent variables is used firstly." % ordinal[f], TABLE,
                   "    Breakpoint(%s)    number of data        Av.Y          Av.%s" % (fb, f),
                   "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(%s=0)" % f,
                   "      St.Dev.Y           St.Dev.Yr         St.Dev.%s" % f,
                   " for the data with %s-values smaller and greater than %s followed" % (f, fb),
                   " by the function parameters.", ""],
        "relation": ["", " Regression of %s upon %s without breakpoint (%s=%smin)." % (f, s, sb, s),
                     " This analyzes the relation between the independent variables.", TABLE,
                     "    Breakpoint(%s)    number of data        Av.%s          Av.%s" % (sb, f, s),
                     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       %s(%s=0)" % (f, s),
                     "      St.Dev.%s           St.Dev.%sr         St.Dev.%s" % (f, s, s), ""],
        "second0": ["", " Regression of Y residuals (Yr) %s %s without breakpoint (%s=%smin)."
                    % ("on" if seq == 1 else "upon", s, sb, s),
                    " %s of two independent variables is used secondly." % ordinal[s], TABLE,
                    "    Breakpoint(%s)    number of data        Av.Yr         Av.%s" % (sb, s),
                    "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Yr(%s=0)" % s,
                    "      St.Dev.Yr          St.Dev.Yrr         St.Dev.%s" % s, ""],
    }


TYPE_TEXT = {
    0: "0  - a horizontal regression line, no breakpoint found.",
    1: "1  - a single regression line, no breakpoint found.",
    3: "3  - first a horizontal segment, then sloping.",
    4: "4  - first a sloping segment, then horizontal.",
}


def stage_equation(ys, xs, typ, method, bp):
    """The stage's [slope, anchor X, anchor Y] per side as the combination adjusts them."""
    b = block(ys, xs, 1 if typ in (0, 1) else typ, method, bp)
    ln = {s: list(b["ln"][s]) for s in (1, 2)}
    if typ == 0:
        ln[2][0] = D(0)
    if typ in (0, 1):
        ln[1][0] = ln[1][2] = D(0)   # the empty lower side carries nothing
    # types 3 and 4: the constrained lines already are what the adjustment makes of them
    return ln


def report(seq, ys, xs, zs):
    sx, sz = search(ys, xs), search(ys, zs)
    chosen = 1 if sx["ce"] > sz["ce"] else 2
    assert chosen == seq, "the data do not choose sequence %d" % seq
    first, second = (xs, zs) if seq == 1 else (zs, xs)
    f = sx if seq == 1 else sz
    assert f["ce"] * D("1.1") > 1, "types 5, 2 or 6 could compete in the first stage"
    fv, sv = ("X", "Z") if seq == 1 else ("Z", "X")
    h = headings(seq)
    out = HEADER + h["first0"]

    # First stage without breakpoint.
    fmin = D(min(first))
    b0 = block(ys, first, 1, 0, fmin)
    out += segment_block("BP" + fv.lower(), fmin, b0["st2"])
    t1 = f["type"]
    if t1 == 1 and not b0["single_sig"]:
        t1 = 0
    ln0 = {s: list(b0["ln"][s]) for s in (1, 2)}
    if t1 == 0:
        ln0[2][0] = D(0)
    res1 = residuals(ys, first, ln0, fmin)
    bp1 = fmin
    if t1 >= 2:
        bp1 = f["bp"]
        b1 = block(ys, first, t1, f["method"], bp1)
        out += h["first1"]
        out.append(" Data with %s < BP%s :" % (fv, fv.lower()))
        out += segment_block("BP" + fv.lower(), bp1, b1["st1"])
        out.append(" Data with %s > BP%s :" % (fv, fv.lower()))
        out += segment_block("BP" + fv.lower(), bp1, b1["st2"])
        out += parameter_table(b1, t1, f["method"], bp1, fv)
        res1 = residuals(ys, first, b1["ln"], bp1)

    # The relation between the independent variables.
    smin = D(min(second))
    out += h["relation"]
    out += segment_block("BP" + sv.lower(), smin, block(first, second, 1, 0, smin)["st2"])

    # Second stage.
    s2 = search(res1, second)
    assert s2["ce"] * D("1.1") > 1, "types 5, 2 or 6 could compete in the second stage"
    assert s2["type"] == 1, "the golden data are meant for a single line in the second stage"
    out += h["second0"]
    b2 = block(res1, second, 1, 0, smin)
    out += segment_block("BP" + sv.lower(), smin, b2["st2"])
    t2 = 1 if b2["single_sig"] else 0

    # Combination.
    e1 = stage_equation(ys, first, t1, f["method"], bp1)
    e2 = stage_equation(res1, second, t2, 0, smin)
    As, Ag, Bs, Bg = e1[1][0], e1[2][0], e2[1][0], e2[2][0]

    def c(a, b):
        return e1[a][2] + e2[b][2] - e1[a][0] * e1[a][1] - e2[b][0] * e2[b][1]

    ycalc = []
    for u, v in zip(first, second):
        u, v = D(u), D(v)
        a = 1 if u < bp1 else 2
        b = 1 if v < smin else 2
        ycalc.append(c(a, b) + e1[a][0] * u + e2[b][0] * v)
    yd = [D(y) for y in ys]
    yav = sum(yd) / len(yd)
    sst = sum((y - yav) ** 2 for y in yd)
    overall = 1 - sum((y - q) ** 2 for y, q in zip(yd, ycalc)) / sst

    name1, name2 = ("Y-X", "YXr-Z") if seq == 1 else ("Y-Z", "YZr-X")
    out += ["", " SUMMARY OF THE %s REGRESSION." % ("Y-X-Z" if seq == 1 else "Y-Z-X"),
            " %s  Function type : %s" % (name1, TYPE_TEXT[t1]),
            " %s Function type: %s" % (name2, TYPE_TEXT[t2])]
    if t1 in (3, 4):
        out.append(" %s   Calc. method :%2d" % (name1, f["method"]))
    out += [" (See help functions on Intro tabsheet)", ""]
    bpline = {fv: bp1, sv: smin}
    out += [" The optimal breakpoint of X (BPx) is :" + fexp(bpline["X"], 11, 4),
            " The optimal breakpoint of Z (BPz) is :" + fexp(bpline["Z"], 11, 4)]
    if seq == 2:
        out[-2], out[-1] = out[-1], out[-2]
    out += ["", " There are four regression equations:", ""]
    if seq == 1:
        out += [" when  X<BPx  and  Z<BPz :    Y = As.X + Bs.Z + Css",
                " when  X<BPx  and  Z>BPz :    Y = As.X + Bg.Z + Csg",
                " when  X>BPx  and  Z<BPz :    Y = Ag.X + Bs.Z + Cgs",
                " when  X>BPx  and  Z>BPz :    Y = Ag.X + Bg.Z + Cgg"]
    else:
        out += [" when  Z<BPz  and  X<BPx :    Y = As.Z + Bs.X + Css",
                " when  Z<BPz  and  X>BPx :    Y = As.Z + Bg.X + Csg",
                " when  Z>BPz  and  X<BPx :    Y = Ag.Z + Bs.X + Cgs",
                " when  Z>BPz  and  X>BPx :    Y = Ag.z + Bg.X + Cgg"]
    out += ["      As =" + fexp(As, 11, 3) + "        Bs =" + fexp(Bs, 11, 3),
            "      Ag =" + fexp(Ag, 11, 3) + "        Bg =" + fexp(Bg, 11, 3),
            "     Css =" + fexp(c(1, 1), 11, 3) + "       Csg =" + fexp(c(1, 2), 11, 3),
            "     Cgs =" + fexp(c(2, 1), 11, 3) + "       Cgg =" + fexp(c(2, 2), 11, 3),
            "", " The overall coefficient of explanation is:" + fexp(overall, 10, 3), ""]
    out.append(" Serial        Yobs         X          YXr          Z          Ycalc" if seq == 1 else
               " Serial        Yobs         Z          YZr          X         Ycalc")
    out.append(" " + "-" * 67)
    for i, (y, u, r, v, q) in enumerate(zip(ys, first, res1, second, ycalc)):
        out.append(str(i + 1).rjust(4) + "     " + fexp(y, 12, 3) + fexp(u, 12, 3) + fexp(r, 12, 3) +
                   fexp(v, 12, 3) + fexp(q, 12, 3))
    sys.stderr.write("seq %d: X %s, Z %s; first type %d bp %s; overall CE %s\n"
                     % (seq, sx, sz, t1, bp1, overall))
    return out


def main():
    which = sys.argv[1]
    ys, xs, zs = data_seq1() if which == "seq1" else data_seq2()
    lines_out = report(1 if which == "seq1" else 2, ys, xs, zs)
    sys.stdout.write("".join(l + "\r\n" for l in lines_out))


if __name__ == "__main__":
    main()
