"""vornax.fit against vornax-batch on the same data: the JSON's numbers, the report's texts,
the prediction at the data's own X, and what bad input raises."""

import concurrent.futures
import json
import pathlib
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

from conftest import BUILD, broken_line

import vornax
from vornax._result import PROVENANCE


def frame(z=False, weights=False, missing=False, n=60, offset=0):
    x, y = broken_line(n)
    df = pd.DataFrame({"yield": y, "depth": x + offset})
    if z:
        rng = np.random.default_rng(11)
        df["rain"] = np.round(rng.uniform(0, 20, n), 3)
        df["yield"] = np.round(df["yield"] + np.where(df["rain"] > 9, 0.15 * (df["rain"] - 9), 0), 5)
    if weights:
        df["weight"] = (np.arange(n) % 3 + 1).astype(float)
    if missing:
        df.loc[[4, 17], "yield"] = np.nan
        df.loc[30, "depth"] = np.nan
    return df


# (name, fit keywords, batch arguments, frame keywords)
CASES = [
    ("segmented", dict(permutations=99, seed=7), ["--permutations", "99", "--seed", "7"], {}),
    ("prefer 3", dict(prefer=3, permutations=0), ["--prefer", "3", "--permutations", "0"], {}),
    ("exclude 3, 95 %", dict(exclude=3, confidence=95, permutations=0),
     ["--exclude", "3", "--confidence", "95", "--permutations", "0"], {}),
    ("partial", dict(partial=True, permutations=0), ["--prefer", "partial", "--permutations", "0"],
     {}),
    ("quadratic", dict(curve="quadratic"), ["--curve", "quadratic"], {}),
    ("cubic", dict(curve="cubic"), ["--curve", "cubic"], {}),
    ("power", dict(curve="power"), ["--curve", "power"], {}),
    ("s-curve", dict(curve="s-curve"), ["--curve", "s-curve"], {}),
    # X far from zero: the curves move it to start near zero.
    ("quadratic shifted", dict(curve="quadratic"), ["--curve", "quadratic"], dict(offset=50)),
    ("cubic shifted", dict(curve="cubic"), ["--curve", "cubic"], dict(offset=-30)),
    ("power shifted", dict(curve="power"), ["--curve", "power"], dict(offset=50)),
    ("s-curve shifted", dict(curve="s-curve"), ["--curve", "s-curve"], dict(offset=50)),
    ("s-curve kept", dict(curve="s-curve", transform=False), ["--curve", "s-curve",
                                                               "--no-transform"], {}),
    ("2 breakpoints", dict(breakpoints=2, permutations=0), ["--breakpoints", "2",
                                                            "--permutations", "0"], {}),
    ("auto breakpoints", dict(breakpoints="auto", permutations=49, seed=3),
     ["--breakpoints", "auto", "--permutations", "49", "--seed", "3"], {}),
    ("fixed breakpoint", dict(breakpoint=4.5, prefer=3), ["--breakpoint", "4.5", "--prefer", "3"],
     {}),
    ("search range", dict(search_range=(3, 6), permutations=19, stop_early=2),
     ["--search-range", "3", "6", "--permutations", "19", "--stop-early", "2"], {}),
    ("two variables", dict(permutations=0), ["--permutations", "0"], dict(z=True)),
    ("use x", dict(use="x", permutations=0), ["--use", "x", "--permutations", "0"], dict(z=True)),
    ("use z", dict(use="z", permutations=0), ["--use", "z", "--permutations", "0"], dict(z=True)),
    ("weights", dict(permutations=29), ["--permutations", "29"], dict(weights=True)),
    ("missing values", dict(permutations=0), ["--permutations", "0"], dict(missing=True)),
]


def fit_of(df, options):
    return vornax.fit(df["depth"], df["yield"], z=df["rain"] if "rain" in df else None,
                      weights=df["weight"] if "weight" in df else None, **options)


def batch_run(batch, tmp_path, df, arguments):
    table = tmp_path / "field.csv"
    df.to_csv(table, index=False)
    out = tmp_path / "field.json"
    done = subprocess.run([batch, str(table), "--json", str(out), "--quiet", *arguments],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    texts = [(tmp_path / f"field{e}").read_bytes().decode() for e in (".out", ".var")]
    return json.loads(out.read_text()), texts


def without_provenance(d):
    return {k: v for k, v in d.items() if k not in PROVENANCE}


@pytest.mark.parametrize("name,options,arguments,data", CASES, ids=[c[0] for c in CASES])
def test_results_equal_the_batch_json_and_predict_gives_ycalc(batch, tmp_path, name, options,
                                                              arguments, data, monkeypatch):
    df = frame(**data)
    expected, (report, anova) = batch_run(batch, tmp_path, df, arguments)
    # Nothing of the run goes to disk, not even the report's text asked for.
    here = tmp_path / "here"
    here.mkdir()
    monkeypatch.chdir(here)
    result = fit_of(df, options)
    assert result.report and result.anova and list(here.iterdir()) == []
    got = result.to_dict()
    assert without_provenance(got) == without_provenance(expected)
    assert got["options"] == expected["options"]
    assert result.rows_used + result.rows_left_out == len(df)
    assert result.rows_left_out == len(expected["source"]["rows_left_out"])
    assert result.analysis == expected["analysis"] and result.warnings == expected["warnings"]

    # The report and the ANOVA table are the batch's, apart from the title naming the file.
    def lines(text):
        return [line for line in text.replace("\r\n", "\n").split("\n")
                if not any(name in line for name in ("Imported from", "field", ".inp", ".out",
                                                        ".var"))]
    assert lines(result.report) == lines(report)
    assert lines(result.anova) == lines(anova)

    # The fitted function at the data's own X (and Z) is the report's Ycalc.
    rows = expected["data"]
    key = "z" if "x" not in rows[0] else "x"
    xs = np.array([r[key] for r in rows])
    zs = np.array([r["z"] for r in rows]) if result.analysis == "two-variable" else None
    ycalc = np.array([r["ycalc"] for r in rows])
    np.testing.assert_allclose(result.predict(xs, zs), ycalc, rtol=1e-12, atol=1e-12)


def test_summary_repr_and_notebook_table(batch, tmp_path):
    df = frame()
    df.to_csv(tmp_path / "f.csv", index=False)
    done = subprocess.run([batch, str(tmp_path / "f.csv"), "--permutations", "99"],
                          capture_output=True, text=True)
    printed = done.stdout.splitlines()[1:]  # the report's path, then the summary
    r = fit_of(df, dict(permutations=99))
    assert r.summary.splitlines() == printed
    assert repr(r).startswith("<vornax.Result one-variable: ")
    assert printed[0].strip() in repr(r)
    page = r._repr_html_()
    assert page.count("<tr>") == len(printed) and "&lt;" not in printed[0]
    assert r.breakpoint["value"] == r.to_dict()["breakpoint"]["value"]
    with pytest.raises(AttributeError):
        r.no_such_key


def test_lists_series_and_nullable_columns_give_the_same_result():
    x, y = broken_line(40)
    y[[3, 9]] = np.nan
    reference = vornax.fit(x, y, permutations=0).to_dict()
    nullable = pd.Series(y, name="yield").astype("Float64")
    assert nullable.isna().sum() == 2
    as_list = [None if np.isnan(v) else v for v in y]
    for given in (nullable, as_list):
        r = vornax.fit(list(x), given, permutations=0)
        assert (r.rows_used, r.rows_left_out) == (38, 2)
        assert without_provenance(r.to_dict()) == without_provenance(reference)
    assert [row["line"] for row in r.source["rows_left_out"]] == [3, 9]


def test_predict_off_the_data_and_scalars():
    x = np.arange(1.0, 21.0)
    r = vornax.fit(x, 2 * x + 1, permutations=0)  # exactly one straight line
    assert r.type == 1
    assert r.predict(30.0) == pytest.approx(61.0)
    np.testing.assert_allclose(r.predict([-4.0, 0.5, 100.0]), [-7.0, 2.0, 201.0])
    with pytest.raises(NotImplementedError):
        r.predict([1.0], interval="confidence")
    with pytest.raises(ValueError, match="interval"):
        r.predict([1.0], interval="both")
    # Two lines: each side of the breakpoint on its own line, the breakpoint on the upper one.
    x, y = broken_line()
    r = vornax.fit(x, y, prefer=3, permutations=0)
    bp, below, above = r.breakpoint["value"], r.lines["below"], r.lines["above"]
    at = np.array([bp - 1, bp, bp + 2])
    np.testing.assert_allclose(r.predict(at), [below["slope"] * (bp - 1) + below["intercept"],
                                               above["slope"] * bp + above["intercept"],
                                               above["slope"] * (bp + 2) + above["intercept"]])
    df = frame(z=True)
    two = fit_of(df, dict(permutations=0))
    with pytest.raises(ValueError, match="give z_new"):
        two.predict([1.0])


BAD = [
    (dict(x=[1, 2, 3], y=[1, 2]), ValueError, "differ in length: 2 and 3"),
    (dict(x=[1, 2], y=[1, 2]), ValueError, "data sets"),
    (dict(x=[5.0] * 12, y=list(range(12))), ValueError, "There is no variation in"),
    (dict(x=list(range(12)), y=list(range(12)), weights=[1] * 11 + [-1]), ValueError,
     "below 1: a data set cannot count zero or negative times"),
    (dict(x=list(range(12)), y=list(range(12)), weights=[1.5] * 12), ValueError,
     "is not a whole number"),
    (dict(x=list(range(12)), y=list(range(12)), confidence=91), ValueError, "confidence: 91"),
    (dict(x=list(range(12)), y=list(range(12)), curve="spline"), ValueError, "curve: 'spline'"),
    (dict(x=list(range(12)), y=list(range(12)), prefer=3, curve="power"), ValueError,
     "choose either --prefer or --curve, not both"),
    (dict(x=list(range(12)), y=list(range(12)), use="z"), ValueError,
     "--use needs data with two independent variables"),
    (dict(x=list(range(12)), y=list(range(12)), permutations=-1), ValueError, "permutations"),
    (dict(x=list(range(12)), y=list(range(12)), permutations=2.5), TypeError, "whole number"),
    (dict(x=["a"] * 12, y=list(range(12))), TypeError, "not a number: 'a'"),
    (dict(x=[1, "b"] + list(range(10)), y=list(range(12))), TypeError, "'b'"),
    (dict(x=list(range(11)) + [np.inf], y=list(range(12))), ValueError, "not a finite number"),
]


@pytest.mark.parametrize("arguments,error,words", BAD)
def test_bad_input_raises_with_the_batch_words(arguments, error, words):
    with pytest.raises(error, match=words.replace("(", r"\(").replace(")", r"\)")):
        vornax.fit(**arguments)


def test_running_out_of_memory_raises_memory_error():
    # In a process of its own whose address space is capped just above what it holds.
    program = f"""
import resource, sys
sys.path.insert(0, {str(BUILD / 'python')!r})
import numpy as np, vornax
x = np.linspace(0, 1, 3_000_000); y = x.copy()
with open('/proc/self/statm') as f:
    size = int(f.read().split()[0]) * resource.getpagesize()
resource.setrlimit(resource.RLIMIT_AS, (size + 60_000_000, resource.RLIM_INFINITY))
try:
    vornax.fit(x, y, permutations=0)
except MemoryError:
    print('MemoryError')
"""
    done = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True)
    assert done.stdout.strip() == "MemoryError", done.stderr[-2000:]


def test_calls_from_threads_at_once_equal_serial_calls():
    data = [broken_line(80, seed=s) for s in range(12)]
    serial = [vornax.fit(x, y, permutations=199, seed=s).to_dict() for s, (x, y) in
              enumerate(data)]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        parallel = list(pool.map(lambda a: vornax.fit(a[1][0], a[1][1], permutations=199,
                                                      seed=a[0]).to_dict(), enumerate(data)))
    assert parallel == serial


def test_import_takes_no_qt_and_no_matplotlib():
    program = f"""
import sys
sys.path.insert(0, {str(BUILD / 'python')!r})
import vornax
print(sorted(m for m in sys.modules if 'Qt' in m or 'matplotlib' in m or m == 'vornax.dask'))
"""
    done = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True)
    assert done.stdout.strip() == "[]", done.stderr
    maps = subprocess.run([sys.executable, "-c", program.replace(
        "print(sorted", "print(open('/proc/self/maps').read().count('libQt'));(sorted")],
        capture_output=True, text=True)
    assert maps.stdout.strip() == "0", maps.stderr


def test_plot_draws_data_function_and_band():
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    x, y = broken_line()
    r = vornax.fit(pd.Series(x, name="depth"), pd.Series(y, name="yield"), prefer=3,
                   permutations=0)
    fig, ax = plt.subplots()
    assert r.plot(ax) is ax
    assert (ax.get_xlabel(), ax.get_ylabel()) == ("depth", "yield")
    (line,) = ax.get_lines()
    gx, gy = line.get_data()
    np.testing.assert_allclose(gy, r.predict(gx))
    assert r.breakpoint["value"] in gx
    (points,) = ax.collections
    np.testing.assert_array_equal(points.get_offsets()[:, 0], [d["x"] for d in r.data])
    (band,) = ax.patches
    xs = band.get_xy()[:, 0]
    assert (xs.min(), xs.max()) == (r.breakpoint["lower_limit"], r.breakpoint["upper_limit"])
    plt.close(fig)
