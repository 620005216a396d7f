#!/usr/bin/env python3
"""Independent reference for the one-variable ANOVA tables.

The significance of an F value is 100 times the F distribution's cumulative probability,
computed here as the regularised incomplete beta function I_x(nu1/2, nu2/2) with
x = nu1 F / (nu1 F + nu2), by its continued fraction (modified Lentz) - not by the closed
series the program sums. Sums of squares, variances and F are plain divisions.

    python3 anova_reference.py table > anova_type3.txt  (the whole table of a type-3 fit)
    python3 anova_reference.py totals                     (the "total" rows of every type)
"""
import math
import sys

# Residual degrees of freedom of a one-variable fit by its type (parameters of the fit):
# types 3 and 4 have 4, type 5 has 3, types 2 and 6 have 5.
PARAMETERS = {2: 5, 3: 4, 4: 4, 5: 3, 6: 5}


def beta_cf(a, b, x):
    tiny = 1e-300
    c, d = 1.0, 1.0 - (a + b) * x / (a + 1)
    d = 1.0 / (d if abs(d) > tiny else tiny)
    h = d
    for m in range(1, 10000):
        for num in (m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m)),
                    -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1))):
            d = 1.0 + num * d
            d = 1.0 / (d if abs(d) > tiny else tiny)
            c = 1.0 + num / c
            c = c if abs(c) > tiny else tiny
            h *= d * c
        if abs(d * c - 1.0) < 1e-16:
            break
    return h


def incomplete_beta(a, b, x):
    if x <= 0:
        return 0.0
    if x >= 1:
        return 1.0
    front = math.exp(math.lgamma(a + b) - math.lgamma(a) - math.lgamma(b) +
                     a * math.log(x) + b * math.log1p(-x))
    if x < (a + 1) / (a + b + 2):
        return front * beta_cf(a, b, x) / a
    return 1.0 - front * beta_cf(b, a, 1 - x) / b


def significance(f, nu1, nu2):
    """Percent, kept within 0.1 and 99.99 and printed at most 99.9, as the table prints it."""
    p = 100 * incomplete_beta(nu1 / 2, nu2 / 2, nu1 * f / (nu1 * f + nu2))
    return min(max(p, 0.1), 99.9)


def fix(v, w, d):
    return ("%.*f" % (d, v)).rjust(w)


def caption(label, blanks, nu1, nu2, width):
    return label + " " * blanks + " F(%d,%s)=" % (nu1, str(nu2).rjust(width))


def row(ss, nu1, f, sig):
    return fix(ss, 12, 3) + " " * 14 + str(nu1) + fix(ss / nu1, 15, 3) + fix(f, 12, 3) + \
        fix(sig, 13, 1) + " %"


def remaining(ss, nu2):
    return ["", " remaining", " unexplained", fix(ss, 12, 3) + " " * 8 + str(nu2).rjust(7) +
            fix(ss / nu2, 15, 3)]


def table(ftype, n, sst, sslin, ssseg):
    width = 3 if n > 100 else 2 if n > 10 else 1
    p = PARAMETERS[ftype]
    lines = [" Variance Analysis, ANOVA table, Regression Type:" + str(ftype).rjust(2),
             " File Name : <VARFILE>", "",
             " Sum[(Y-Av.Y)sq.] =" + fix(sst, 12, 3) + "  (total sum of squares of deviations)",
             "", " Total nr. of data  =" + str(n).rjust(8),
             " Degrees of freedom =" + str(n - 1).rjust(8), "",
             " Sum of squares      Degrees of                          Probability/",
             " of deviations        freedom     Variance     F-Test    Significance",
             " " + "-" * 68, " explained by",
             caption("  lin. regr. ", 33, 1, n - 2, width)]
    f = (sst - sslin) / (sslin / (n - 2))
    lines.append(row(sst - sslin, 1, f, significance(f, 1, n - 2)))
    lines += remaining(sslin, n - 2)
    # The breakpoint's rows: extra against the line, total against the mean; both judged
    # against the fit's residual variance with its n - p degrees of freedom.
    nu2 = n - p
    variance = ssseg / nu2
    for kind, ss, nu1 in (("extra", sslin - ssseg, p - 2), ("total", sst - ssseg, p - 1)):
        lines += ["", " %s expl. by" % kind, caption("  break-point", 32, nu1, nu2, width)]
        f = (ss / nu1) / variance
        lines.append(row(ss, nu1, f, significance(f, nu1, nu2)))
        if kind == "extra":
            lines += remaining(ssseg, nu2)
    lines += ["", " " + "-" * 68, "#", " See also the help functions on the Intro tabsheet"]
    return lines


# (type, N, SST, SSlin, SSseg). The type-4 case is the one of the report: total SS 15601.32 on
# 3 degrees of freedom against 1080.166 = 23763.652 / 22.
TOTAL_CASES = [
    (3, 20, 500.0, 200.0, 120.0),
    (4, 26, 39364.972, 30000.0, 23763.652),
    (5, 26, 300.0, 250.0, 210.0),
    (2, 30, 1000.0, 700.0, 600.0),
    (6, 17, 90.0, 70.0, 55.0),
]

if __name__ == "__main__":
    what = sys.argv[1] if len(sys.argv) > 1 else "table"
    if what == "table":
        print("\n".join(table(3, 20, 500.0, 200.0, 120.0)))
    else:
        for case in TOTAL_CASES:
            lines = table(*case)
            print(case, repr(lines[-6]), repr(lines[-5]))
