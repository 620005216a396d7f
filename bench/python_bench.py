#!/usr/bin/python3
"""Speed of the Python module, side by side with R's segmented on the same data.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--no-r] [--quick]

Goals (the figures the module must reach):
  fit, permutations=0, N = 2,000        at least 100 x faster than segmented(lm(y ~ x),
                                        seg.Z = ~x) timed inside R (about 1 ms or less)
  fit, default break test, N = 2,000     at least 10 x faster than segmented + davies.test
  fit_groups, 100,000 groups of 20 rows  at most 10 s on 2 cores, at most 400 MB peak
  fit_groups, 2,000 groups of 60 rows    at least 150 x faster per group than segmented per
                                         group in a loop inside R
  import vornax                          at most 5 ms beyond numpy and pandas, no Qt loaded

R's side needs Debian's r-base-core and r-cran-segmented; R's start-up is left out of its
times (they are taken with system.time inside R). Times are the best of several repeats; on a
busy machine read them with the load printed beside them.
"""

import argparse
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

import numpy as np


def data(n, seed=1, breakpoint=0.55):
    rng = np.random.default_rng(seed)
    x = np.sort(rng.uniform(0, 1, n))
    y = np.where(x < breakpoint, 1.0, 1.0 + 2.0 * (x - breakpoint)) + rng.normal(0, 0.1, n)
    return x, y


def groups_frame(groups, rows, seed=2):
    import pandas as pd

    rng = np.random.default_rng(seed)
    g = np.repeat(np.arange(groups, dtype=np.int64), rows)
    x = np.tile(np.linspace(0, 1, rows), groups) + rng.normal(0, 0.002, groups * rows)
    bp = rng.uniform(0.3, 0.7, groups)[g]
    y = np.where(x < bp, 1.0, 1.0 + 2.0 * (x - bp)) + rng.normal(0, 0.1, groups * rows)
    return pd.DataFrame({"g": g, "y": y, "x": x})


def best(call, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return min(times)


def r_seconds(script):
    """Runs an R script that prints one number (seconds); None without R or segmented."""
    if shutil.which("Rscript") is None:
        return None
    done = subprocess.run(["Rscript", "--vanilla", "-e", script], capture_output=True, text=True)
    if done.returncode != 0:
        print("  R failed:", done.stderr.strip().splitlines()[-1:], file=sys.stderr)
        return None
    return float(done.stdout.split()[-1])


def r_fit(x, y, davies, repeats):
    with tempfile.NamedTemporaryFile("w", suffix=".csv", delete=False) as f:
        np.savetxt(f, np.column_stack([x, y]), delimiter=",", header="x,y", comments="")
    test = "davies.test(fit, seg.Z = ~x);" if davies else ""
    script = f"""suppressMessages(library(segmented)); d <- read.csv("{f.name}")
t <- sapply(1:{repeats}, function(i) system.time({{
  fit <- segmented(lm(y ~ x, data = d), seg.Z = ~x); {test} }})[["elapsed"]])
cat(min(t), "\\n")"""
    try:
        return r_seconds(script)
    finally:
        os.unlink(f.name)


def r_groups(df):
    with tempfile.NamedTemporaryFile("w", suffix=".csv", delete=False) as f:
        df.to_csv(f, index=False)
    script = f"""suppressMessages(library(segmented)); d <- read.csv("{f.name}")
parts <- split(d, d$g)
t <- system.time(for (p in parts) try(segmented(lm(y ~ x, data = p), seg.Z = ~x),
                                      silent = TRUE))[["elapsed"]]
cat(t, "\\n")"""
    try:
        return r_seconds(script)
    finally:
        os.unlink(f.name)


def peak_of_groups(groups, rows):
    """fit_groups in a process of its own: (seconds, peak resident MB of that process)."""
    here = os.path.dirname(os.path.abspath(__file__))
    program = f"""
import resource, sys, time
from python_bench import groups_frame
import vornax
df = groups_frame({groups}, {rows})
before = resource.getrusage(resource.RUSAGE_SELF)
start = time.perf_counter()
vornax.fit_groups(df, "g", "y", "x", permutations=0)
seconds = time.perf_counter() - start
after = resource.getrusage(resource.RUSAGE_SELF)
cpu = after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime
print(seconds, cpu, after.ru_maxrss / 1024)
"""
    path = os.pathsep.join(p for p in (here, os.environ.get("PYTHONPATH")) if p)
    done = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True,
                          env=dict(os.environ, PYTHONPATH=path))
    if done.returncode != 0:
        raise RuntimeError(done.stderr)
    return tuple(map(float, done.stdout.split()))


def import_cost(repeats=15):
    """Milliseconds that import vornax adds to import numpy, pandas; and whether Qt came in."""
    def run(statement):
        times = []
        for _ in range(repeats):
            program = ("import time, numpy, pandas; s = time.perf_counter(); " + statement +
                       "; print(time.perf_counter() - s)")
            done = subprocess.run([sys.executable, "-c", program], capture_output=True,
                                  text=True, env=os.environ)
            times.append(float(done.stdout))
        return min(times)
    added = run("import vornax") * 1000
    qt = subprocess.run([sys.executable, "-c", "import sys, vornax; print(any('Qt' in m for m "
                         "in sys.modules) or 'libQt' in open('/proc/self/maps').read())"],
                        capture_output=True, text=True).stdout.strip()
    return added, qt


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--no-r", action="store_true", help="measure vornax's side only")
    parser.add_argument("--quick", action="store_true", help="fewer repeats")
    a = parser.parse_args()
    repeats = 5 if a.quick else 20
    import vornax

    print(f"load average: {os.getloadavg()[0]:.2f}, cores: {len(os.sched_getaffinity(0))}")
    x, y = data(2000)
    vornax.fit(x, y, permutations=0)
    t0 = best(lambda: vornax.fit(x, y, permutations=0), repeats)
    t999 = best(lambda: vornax.fit(x, y), max(3, repeats // 4))
    print(f"8. fit N=2,000, permutations=0:   {t0 * 1000:8.3f} ms")
    print(f"   fit N=2,000, 999 permutations: {t999 * 1000:8.3f} ms")
    if not a.no_r:
        r0 = r_fit(x, y, False, repeats)
        r1 = r_fit(x, y, True, max(3, repeats // 4))
        if r0 is not None:
            print(f"   R segmented:                   {r0 * 1000:8.3f} ms  ({r0 / t0:6.0f} x)")
        if r1 is not None:
            print(f"   R segmented + davies.test:     {r1 * 1000:8.3f} ms  ({r1 / t999:6.0f} x)")
        if r0 is None or r1 is None:
            print("   R's side not measured (needs Rscript and r-cran-segmented)")

    seconds, cpu, megabytes = peak_of_groups(100_000, 20)
    print(f"9. fit_groups 100,000 x 20 rows:  {seconds:8.2f} s ({cpu:.2f} s of CPU), peak "
          f"{megabytes:.0f} MB (the whole process, the frame included)")
    df = groups_frame(2000, 60)
    tg = best(lambda: vornax.fit_groups(df, "g", "y", "x", permutations=0), 3)
    print(f"   fit_groups 2,000 x 60 rows:     {tg:8.3f} s, {tg / 2000 * 1000:.3f} ms per group")
    if not a.no_r:
        rg = r_groups(df)
        if rg is not None:
            print(f"   R segmented per group (loop):   {rg:8.3f} s, {rg / 2000 * 1000:.3f} ms "
                  f"per group  ({rg / tg:6.0f} x)")
        else:
            print("   R's side not measured (needs Rscript and r-cran-segmented)")

    added, qt = import_cost()
    print(f"10. import vornax beyond numpy+pandas: {added:.2f} ms; Qt loaded: {qt}")


if __name__ == "__main__":
    main()
