#!/usr/bin/env python3
"""Independent reference of the one-variable segmented regression search.

A developer tool, not part of the test suite.  It redoes, in exact rational
arithmetic wherever no square root is involved, what vornax-batch does for one
independent variable: the 100 candidate breakpoints, the evaluation of one
candidate for one type and method (fall-back to the single line, margins from
the standard errors left by the preceding evaluation, acceptance tests), the
ranking of the types with the factors 1.5 / 1.2 / 1.1, preferences and
exclusions, and then the values that the report prints for the winning type
(St.Err.BP and the summary coefficients As, Ag, Cs, Cg).

Written from the description of the method alone, without looking at the C++,
so that the two can be compared (see compare.py).  Sums, averages, slopes,
anchors, residual sums and coefficients of explanation are Fractions, hence
free of rounding; standard errors (square roots) are Python floats.

Use as a module (Reference(ys, xs, confidence, prefer, exclude).run()) or
from the command line on an input file:

    python3 tools/reference/segref.py FILE.inp [--confidence 95] [--prefer N] [--exclude N]
"""

from __future__ import annotations

import bisect
import math
import sys
from dataclasses import dataclass, field
from fractions import Fraction as Fr

BIG = Fr(1_000_000)
ZERO = Fr(0)
CONFIDENCE_T = {90: 1.75, 95: 2.1, 98: 2.5}


def fsqrt(value) -> float:
    """Square root of a non-negative quantity as a float (0 for a negative one,
    which the callers guard against anyway)."""
    v = float(value)
    return math.sqrt(v) if v > 0 else 0.0


@dataclass
class Segment:
    n: int = 0
    sy: Fr = ZERO
    sx: Fr = ZERO
    syy: Fr = ZERO
    sxx: Fr = ZERO
    sxy: Fr = ZERO
    # statistics, all zero unless n >= 3
    avy: Fr = ZERO
    avx: Fr = ZERO
    Syy: Fr = ZERO
    Sxx: Fr = ZERO
    Sxy: Fr = ZERO
    rc: Fr = ZERO
    ccsq: Fr = ZERO
    c: Fr = ZERO
    ssd: Fr = ZERO
    stdev_rc: float = 0.0
    stdev_y: float = 0.0

    def finish(self) -> None:
        if self.n < 3:
            return
        n = self.n
        self.avy = self.sy / n
        self.avx = self.sx / n
        self.Syy = max(ZERO, self.syy - n * self.avy * self.avy)
        self.Sxx = max(ZERO, self.sxx - n * self.avx * self.avx)
        self.Sxy = self.sxy - n * self.avy * self.avx
        self.rc = self.Sxy / self.Sxx if self.Sxx > 0 else ZERO
        self.ccsq = (self.Sxy * self.Sxy / (self.Syy * self.Sxx)
                     if self.Syy > 0 and self.Sxx > 0 else ZERO)
        self.c = self.avy - self.rc * self.avx
        self.ssd = (1 - self.ccsq) * self.Syy
        self.stdev_y = fsqrt(self.Syy / (n - 1))
        self.stdev_rc = (fsqrt(self.ssd / ((n - 2) * self.Sxx))
                         if self.ssd >= 0 and self.Sxx != 0 else 0.0)


@dataclass
class Lines:
    slope: list = field(default_factory=lambda: [ZERO, ZERO, ZERO])
    ax: list = field(default_factory=lambda: [ZERO, ZERO, ZERO])
    ay: list = field(default_factory=lambda: [ZERO, ZERO, ZERO])


class Reference:
    def __init__(self, ys, xs, confidence=90, prefer=None, exclude=None):
        pairs = sorted(zip(xs, ys), key=lambda p: p[0])  # stable, by X only
        self.xs = [float(p[0]) for p in pairs]
        self.ys = [float(p[1]) for p in pairs]
        self.t = CONFIDENCE_T[confidence]
        self.prefer = prefer
        self.exclude = exclude
        # prefix sums: segment 1 (X < BP) is always a prefix of the sorted data
        self.pre = [(ZERO, ZERO, ZERO, ZERO, ZERO)]
        for x, y in zip(self.xs, self.ys):
            X, Y = Fr(x), Fr(y)
            sy, sx, syy, sxx, sxy = self.pre[-1]
            self.pre.append((sy + Y, sx + X, syy + Y * Y, sxx + X * X, sxy + X * Y))
        self.N = len(self.xs)
        # carried between evaluations (and between runs: a fresh run starts so)
        self.serc = [0.0, 0.0, 0.0]
        self.varrc = [0.0, 0.0, 0.0]
        self.opt_method = 1
        self.srysqt = ZERO
        self.total_sxx = ZERO
        self.evaluations = 0

    # ---- primitives -------------------------------------------------------
    def accumulate(self, bp: float):
        k = bisect.bisect_left(self.xs, bp)  # number of X < BP
        a, b = self.pre[k], self.pre[self.N]
        s1 = Segment(k, *a)
        s2 = Segment(self.N - k, *(q - p for p, q in zip(a, b)))
        s1.finish()
        s2.finish()
        return s1, s2

    # When set, the final lines are held as doubles (as the program holds them) and the
    # constrained lines are built in double arithmetic; by default they are exact. Used to tell
    # a rounding of the double lines from a fault.
    double_lines = False

    def load_lines(self, s1: Segment, s2: Segment) -> Lines:
        ln = Lines()
        ln.slope[1], ln.ax[1], ln.ay[1] = s1.rc, s1.avx, s1.avy
        ln.slope[2], ln.ax[2], ln.ay[2] = s2.rc, s2.avx, s2.avy
        if self.double_lines:
            for arr in (ln.slope, ln.ax, ln.ay):
                for s in (1, 2):
                    arr[s] = Fr(float(arr[s]))
        return ln

    def final_ssd(self, bp: float, ln: Lines):
        """Residual sum of squares about each final line, from the exact sums."""
        k = bisect.bisect_left(self.xs, bp)
        a, b = self.pre[k], self.pre[self.N]
        out = [ZERO, ZERO, ZERO]
        for s, (n, sums) in ((1, (k, a)), (2, (self.N - k, tuple(q - p for p, q in zip(a, b))))):
            sy, sx, syy, sxx, sxy = sums
            m = ln.slope[s]
            c = ln.ay[s] - m * ln.ax[s]
            # sum of (y - c - m x)^2
            out[s] = (syy - 2 * c * sy - 2 * m * sxy + n * c * c + 2 * c * m * sx + m * m * sxx)
        return out

    def ce(self, ssd):
        if self.srysqt == 0:
            return ZERO
        return 1 - (ssd[1] + ssd[2]) / self.srysqt

    def margins(self, ln: Lines):
        m = [None, 0.0, 0.0]
        u = [None, 0.0, 0.0]
        for s in (1, 2):
            a = abs(float(ln.slope[s]))
            m[s] = a - self.t * self.serc[s]
            u[s] = a + self.t * self.serc[s]
        return m, u

    def errors(self, code, method, x: float, s1: Segment, s2: Segment, ln: Lines, ssd):
        """The error routine: refreshes VarRC / SERC and returns SEBP (and a few
        terms for the report)."""
        big = 1e6
        n1, n2 = s1.n, s2.n
        vy1 = float(s1.Syy / (n1 * (n1 - 1))) if n1 > 1 else big
        vy2 = float(s2.Syy / (n2 * (n2 - 1))) if n2 > 1 else big
        vx1 = float(s1.Sxx / (n1 * (n1 - 1))) if n1 > 2 else big
        vx2 = float(s2.Sxx / (n2 * (n2 - 1))) if n2 > 2 else big
        dy2 = float((s2.avy - s1.avy) ** 2)
        for s, seg in ((1, s1), (2, s2)):
            if seg.n > 2 and seg.Sxx != 0:
                self.varrc[s] = float(ssd[s] / (seg.Sxx * (seg.n - 2)))
            else:
                self.varrc[s] = big
            self.serc[s] = fsqrt(self.varrc[s])
        ssdt = ssd[1] + ssd[2]
        X = Fr(x)
        sebp = 0.0
        e2 = (fsqrt(Fr(self.serc[2]) ** 2 * (s2.avx - X) ** 2 + ssdt / (n2 * (n2 - 1)))
              if code == 3 and n2 > 2 else 0.0)
        e1 = (fsqrt(Fr(self.serc[1]) ** 2 * (s1.avx - X) ** 2 + ssdt / (n1 * (n1 - 1)))
              if code == 4 and n1 > 2 else 0.0)
        if method == 1:
            if code == 3:
                vy1 = e2 * e2
            elif code == 4:
                vy2 = e1 * e1
        rc1, rc2 = float(ln.slope[1]), float(ln.slope[2])
        if code == 2:
            # Delta method for the crossing of the two lines: the variance of the lines'
            # difference at the crossing over the squared slope difference (X units).
            diff = ln.slope[1] - ln.slope[2]
            if diff != 0:
                y1 = (X - Fr(ln.ax[1])) * ln.slope[1] + Fr(ln.ay[1])
                y2 = (X - Fr(ln.ax[2])) * ln.slope[2] + Fr(ln.ay[2])
                xc = X + (y2 - y1) / diff
                s21 = ssd[1] / (n1 - 2) if n1 > 2 else big
                s22 = ssd[2] / (n2 - 2) if n2 > 2 else big
                num = (Fr(s21) / n1 + Fr(self.varrc[1]) * (xc - s1.avx) ** 2 +
                       Fr(s22) / n2 + Fr(self.varrc[2]) * (xc - s2.avx) ** 2)
                v = float(num / (diff * diff))
                sebp = math.sqrt(v) if v > 0 else 0.0
        elif code == 3:
            div = float(s2.rc) - self.serc[2]
            xc = float(s2.avx) + float(s1.avy - s2.avy) / div if div != 0 else big
            e2 = x - xc
            a = 1 / (rc2 + self.serc[2]) if rc2 + self.serc[2] != 0 else big
            b = 1 / (rc2 - self.serc[2]) if rc2 - self.serc[2] != 0 else -big
            h = abs(a - b) / 2
            sebp = math.sqrt(vx2 + dy2 * h * h + (vy1 + vy2) / (rc2 * rc2)) if rc2 * rc2 > 0 else 0.0
            if 0 < e2 < sebp:
                sebp = e2
        elif code == 4:
            div = float(s1.rc) - self.serc[1]
            xc = float(s1.avx) + float(s2.avy - s1.avy) / div if div != 0 else big
            e1 = xc - x
            a = 1 / (rc1 + self.serc[1]) if rc1 + self.serc[1] != 0 else big
            b = 1 / (rc1 - self.serc[1]) if rc1 - self.serc[1] != 0 else -big
            h = abs(a - b) / 2
            sebp = math.sqrt((vy1 + vy2) / (rc1 * rc1) + dy2 * h * h + vx1) if rc1 * rc1 > 0 else 0.0
            if 0 < e1 < sebp:
                sebp = e1
        return sebp

    @staticmethod
    def stdev_diff_yav(s1: Segment, s2: Segment) -> float:
        """Standard error of the difference of the two averages (statistics are
        zero for a segment of fewer than three)."""
        if s1.n == 0 or s2.n == 0:
            return 0.0
        var = ZERO
        for seg in (s1, s2):
            if seg.n >= 3:
                var += seg.Syy / (seg.n - 1) / seg.n
        return fsqrt(var)

    # ---- constrained lines ----------------------------------------------
    def constrain(self, code, method, bp: float, ln: Lines):
        """Builds the lines of the type; returns the (possibly changed) code."""
        if self.double_lines:
            return self.constrain_double(code, method, bp, ln)
        B = Fr(bp)
        if code == 20:
            if method == 1:
                if B == ln.ax[2]:
                    return 1
                ybp = (B - ln.ax[1]) * ln.slope[1] + ln.ay[1]
                ln.slope[2] = (ybp - ln.ay[2]) / (B - ln.ax[2])
            else:
                if B == ln.ax[1]:
                    return 1
                ybp = (B - ln.ax[2]) * ln.slope[2] + ln.ay[2]
                ln.slope[1] = (ybp - ln.ay[1]) / (B - ln.ax[1])
        elif code == 3:
            ln.slope[1] = ZERO
            if method == 1:
                ln.ay[1] = (B - ln.ax[2]) * ln.slope[2] + ln.ay[2]
            else:
                ln.slope[2] = ZERO if ln.ax[2] == B else (ln.ay[2] - ln.ay[1]) / (ln.ax[2] - B)
        elif code == 4:
            ln.slope[2] = ZERO
            if method == 1:
                ln.ay[2] = (B - ln.ax[1]) * ln.slope[1] + ln.ay[1]
            else:
                ln.slope[1] = ZERO if ln.ax[1] == B else (ln.ay[2] - ln.ay[1]) / (B - ln.ax[1])
        elif code == 5:
            ln.slope[1] = ZERO
            ln.slope[2] = ZERO
        return code

    @staticmethod
    def constrain_double(code, method, bp: float, ln: Lines):
        sl = [float(v) for v in ln.slope]
        ax = [float(v) for v in ln.ax]
        ay = [float(v) for v in ln.ay]
        if code == 20:
            if method == 1:
                if bp == ax[2]:
                    return 1
                ybp = (bp - ax[1]) * sl[1] + ay[1]
                sl[2] = (ybp - ay[2]) / (bp - ax[2])
            else:
                if bp == ax[1]:
                    return 1
                ybp = (bp - ax[2]) * sl[2] + ay[2]
                sl[1] = (ybp - ay[1]) / (bp - ax[1])
        elif code == 3:
            sl[1] = 0.0
            if method == 1:
                ay[1] = (bp - ax[2]) * sl[2] + ay[2]
            else:
                sl[2] = 0.0 if ax[2] == bp else (ay[2] - ay[1]) / (ax[2] - bp)
        elif code == 4:
            sl[2] = 0.0
            if method == 1:
                ay[2] = (bp - ax[1]) * sl[1] + ay[1]
            else:
                sl[1] = 0.0 if ax[1] == bp else (ay[2] - ay[1]) / (bp - ax[1])
        elif code == 5:
            sl[1] = sl[2] = 0.0
        for s in (1, 2):
            ln.slope[s], ln.ax[s], ln.ay[s] = Fr(sl[s]), Fr(ax[s]), Fr(ay[s])
        return code

    # ---- one candidate --------------------------------------------------
    def evaluate(self, bp: float, code: int, method: int):
        """Returns (bp, CE, code) as the reference arguments come back."""
        self.evaluations += 1
        fell_back = False
        while True:
            s1, s2 = self.accumulate(bp)
            if bp > self.xmin and not fell_back and (s1.n < 3 or s2.n < 3):
                bp = self.xmin
                code = 1
                fell_back = True
                continue
            break
        ln = self.load_lines(s1, s2)
        if code == 0:
            ln.slope[2] = ZERO
        if code in (0, 1):
            self.srysqt = s2.Syy
            self.total_sxx = s2.Sxx
        if code in (20, 3, 4, 5):
            code = self.constrain(code, method, bp, ln)
        m, u = self.margins(ln)
        if code == 60:
            for s in (1, 2):
                if m[s] < 0 and u[s] > 0:
                    ln.slope[s] = ZERO
        ssd = self.final_ssd(bp, ln)
        ce = self.ce(ssd)
        if s1.Sxx == 0 and s2.Sxx == 0:
            ce = ZERO
        if code in (20, 60) and (s1.Sxx == 0 or s2.Sxx == 0):
            ce = ZERO
        if code in (0, 1):
            return bp, ce, code
        self.errors(code, method, bp, s1, s2, ln, ssd)
        # acceptance tests
        counts_ok = min(s1.n, s2.n) >= max(Fr(s1.n + s2.n, 10), Fr(5))

        def insignificant(s, marg):
            return marg[s] < 0 or ln.slope[s] == 0

        if code == 3:
            if not (insignificant(1, m) and m[2] > 0 and counts_ok):
                ce = ZERO
        elif code == 4:
            if not (m[1] > 0 and insignificant(2, m) and counts_ok):
                ce = ZERO
        elif code == 5:
            if insignificant(1, m) and insignificant(2, m):
                dev = self.stdev_diff_yav(s1, s2)
                g = abs(float(s1.avy - s2.avy)) - self.t * dev
                if not (g > 0 and counts_ok):
                    ce = ZERO
        else:
            m, u = self.margins(ln)  # refreshed standard errors
            if code == 20:
                s1v, s2v = ln.slope[1], ln.slope[2]
                sed = math.sqrt(self.serc[1] ** 2 + self.serc[2] ** 2)
                v = abs(float(s1v - s2v)) - self.t * sed
                signs = ((s1v > 0 and s2v < 0) or (s1v < 0 and s2v > 0)
                         or (((s1v > 0 and s2v > 0) or (s1v < 0 and s2v < 0))
                             and not (Fr(6, 5) * s2v >= s1v and Fr(6, 5) * s1v >= s2v)))
                if m[1] > 0 and m[2] > 0 and v > 0 and signs and counts_ok:
                    code = 2
            elif code == 60:
                B = Fr(bp)
                y1 = (B - ln.ax[1]) * ln.slope[1] + ln.ay[1]
                y2 = (B - ln.ax[2]) * ln.slope[2] + ln.ay[2]
                den1 = (s1.n - 2) * s2.Sxx
                den2 = (s2.n - 2) * s1.Sxx
                k1 = float(ssd[1] / den1) if den1 > 0 else 1e6
                k2 = float(ssd[2] / den2) if den2 > 0 else 1e6
                r1 = math.sqrt(self.serc[1] ** 2 * float(B - ln.ax[1]) ** 2 + k1)
                r2 = math.sqrt(self.serc[2] ** 2 * float(B - ln.ax[2]) ** 2 + k2)
                f1, f2 = float(y1), float(y2)
                t = self.t
                disc = (f1 - t * r1 > f2 + t * r2) or (f1 + t * r1 < f2 - t * r2)
                if y1 > 0 and y2 > 0:
                    disc = disc or (y1 > y2 and y1 - y2 > Fr(1, 10) * y2) \
                        or (y1 < y2 and y2 - y1 > Fr(1, 10) * y1)
                if disc and counts_ok and (m[1] > 0 or m[2] > 0):
                    code = 6
        return bp, ce, code

    # ---- the search ---------------------------------------------------------
    def run(self):
        res = {"failed": None}
        self.xmin = self.xs[0]
        self.xmax = self.xs[-1]
        if self.xmax - self.xmin < 0.001:
            res["failed"] = "novariation"
            return res
        step = (self.xmax - self.xmin) / 100
        cand = [self.xmin + k * step for k in range(100)]
        self.cand_initial = list(cand)
        _, ce1, _ = self.evaluate(self.xmin, 1, self.opt_method)
        self.ce1 = ce1
        best = {"bp": self.xmin, "type": 1, "ce": ce1}
        pref, excl = self.prefer, self.exclude
        maxima = {}

        def pass_over(typ, code, method, threshold):
            for k in range(100):
                bp, ce, rcode = self.evaluate(cand[k], code, method)
                cand[k] = bp
                ok = (bp > self.xmin) if typ in (3, 4, 5) else (rcode == typ)
                if ce > threshold and ok:
                    threshold = ce
                    best.update(bp=bp, type=typ, ce=ce)
                    if typ in (2, 3, 4):
                        self.opt_method = method
            return threshold

        if pref != 1:
            h = ce1
            for typ, code, methods, factor in ((3, 3, (1, 2), Fr(3, 2)), (4, 4, (1, 2), Fr(3, 2)),
                                                (5, 5, (0,), Fr(3, 2)), (2, 20, (1, 2), Fr(6, 5))):
                if typ == 5 and pref == 5:
                    h = ce1
                if excl == typ:
                    continue  # the running threshold stays as it was
                top = ce1 if typ == 3 else h
                for method in methods:
                    top = pass_over(typ, code, method, top)
                maxima[typ] = top
                h = factor * top if pref == typ else top
            h = ce1 if pref == 6 else Fr(11, 10) * h
            if excl != 6:
                maxima[6] = pass_over(6, 60, 0, h)
        res.update(best)
        res["maxima"] = maxima
        res["ce1"] = ce1
        res["method"] = self.opt_method
        compare_type = pref if pref is not None else best["type"]
        if best["type"] != compare_type:
            res["failed"] = "preferred"
            return res
        self.report(res)
        return res

    # ---- what the report prints -------------------------------------------
    def report(self, res):
        t = self.t
        # the single line
        s1, s2 = self.accumulate(self.xmin)
        ln = self.load_lines(s1, s2)
        ssd = self.final_ssd(self.xmin, ln)
        significant = not (abs(float(s2.rc)) - t * s2.stdev_rc < 0 or s2.rc == 0)
        self.errors(1, self.opt_method, self.xmin, s1, s2, ln, ssd)
        res["single_significant"] = significant
        typ = res["type"]
        if typ == 1:
            if significant:
                res["A"], res["C"] = float(ln.slope[2]), float(ln.ay[2] - ln.slope[2] * ln.ax[2])
            else:
                res["type"] = 0
                res["A"], res["C"] = 0.0, float(ln.ay[2])
            return
        bp = res["bp"]
        B = Fr(bp)
        method = self.opt_method
        s1, s2 = self.accumulate(bp)
        ln = self.load_lines(s1, s2)
        variant = None
        if typ in (2, 3, 4, 5):
            code = self.constrain(20 if typ == 2 else typ, method, bp, ln)
            assert code != 1
        elif typ == 6:
            for s, seg in ((1, s1), (2, s2)):
                a = abs(float(seg.rc))
                if (a - t * seg.stdev_rc < 0 or seg.rc == 0) and a + t * seg.stdev_rc > 0:
                    ln.slope[s] = ZERO
            variant = 2 if (ln.slope[1] == 0 or ln.slope[2] == 0) else 1
            ssd = self.final_ssd(bp, ln)
            for s, seg in ((1, s1), (2, s2)):
                if seg.n > 2 and seg.Sxx != 0:
                    self.varrc[s] = float(ssd[s] / ((seg.n - 2) * seg.Sxx))
                    self.serc[s] = fsqrt(self.varrc[s])
            if (ln.slope[1] > 0 and ln.slope[2] > 0) or (ln.slope[1] < 0 and ln.slope[2] < 0):
                mm = math.sqrt(self.serc[1] + self.serc[2])
                if abs(float(ln.slope[1] - ln.slope[2])) < t * mm:
                    if self.serc[1] >= self.serc[2]:
                        ln.slope[2] = ln.slope[1]
                    else:
                        ln.slope[1] = ln.slope[2]
                    variant = 3
        ssd = self.final_ssd(bp, ln)
        res["ce_report"] = self.ce(ssd)
        sebp = self.errors(typ, method, bp, s1, s2, ln, ssd)
        res["sebp"] = sebp
        res["variant"] = variant
        # summary equations
        As, Ag = ln.slope[1], ln.slope[2]
        if typ == 2:
            if method == 1:
                ybp = (B - ln.ax[1]) * As + ln.ay[1]
                Ag = (ybp - ln.ay[2]) / (B - ln.ax[2])
            else:
                ybp = (B - ln.ax[2]) * Ag + ln.ay[2]
                As = (ybp - ln.ay[1]) / (B - ln.ax[1])
        elif typ == 3:
            As = ZERO
        elif typ == 4:
            Ag = ZERO
        elif typ == 5:
            As = Ag = ZERO
        elif typ == 6:
            self.errors(6, method, bp, s1, s2, ln, ssd)
            if abs(float(ln.slope[1])) - t * self.serc[1] < 0:
                As = ZERO
            if abs(float(ln.slope[2])) - t * self.serc[2] < 0:
                Ag = ZERO
        res["As"], res["Ag"] = float(As), float(Ag)
        res["Cs"] = float(ln.ay[1] - As * ln.ax[1])
        res["Cg"] = float(ln.ay[2] - Ag * ln.ax[2])


def read_inp(path):
    """The records of an input file with one independent variable: Y, X."""
    with open(path, encoding="latin-1") as f:
        lines = f.read().splitlines()
    ys, xs = [], []
    for line in lines[11:]:
        tok = line.split()
        if len(tok) >= 3:
            ys.append(float(tok[1]))
            xs.append(float(tok[2]))
    return ys, xs


def main(argv):
    import argparse
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("input")
    ap.add_argument("--confidence", type=int, default=90, choices=(90, 95, 98))
    ap.add_argument("--prefer", type=int)
    ap.add_argument("--exclude", type=int)
    a = ap.parse_args(argv)
    ys, xs = read_inp(a.input)
    r = Reference(ys, xs, a.confidence, a.prefer, a.exclude).run()
    for k, v in r.items():
        if isinstance(v, Fr):
            v = float(v)
        elif isinstance(v, dict):
            v = {t: float(m) for t, m in v.items()}
        print(f"{k}: {v}")


if __name__ == "__main__":
    main(sys.argv[1:])
