"""vornax.fit_groups against vornax-batch --by --results on the same long table."""

import subprocess

import numpy as np
import pandas as pd
import pytest

from conftest import broken_line

import vornax


def long_table():
    parts = []
    for g, (name, breakpoint) in enumerate([("north", 3.0), ("south", 6.0), ("east", 5.0),
                                            ("west", 4.0)]):
        x, y = broken_line(30 + 5 * g, seed=g, breakpoint=breakpoint)
        parts.append(pd.DataFrame({"well": name, "level": y, "rain": x,
                                   "weight": (np.arange(len(x)) % 2 + 1).astype(float)}))
    df = pd.concat(parts, ignore_index=True)
    # Interleaved groups, missing values, a group too small to analyse and one without a
    # complete row.
    df = df.sample(frac=1, random_state=5).reset_index(drop=True)
    df.loc[[3, 40, 77], "level"] = np.nan
    df.loc[5, "rain"] = np.nan
    tiny = pd.DataFrame({"well": ["tiny", "tiny", "empty", None], "level": [1.0, 2.0, np.nan, 3.0],
                         "rain": [1.0, 2.0, 3.0, 4.0], "weight": [1.0, 1.0, 1.0, 1.0]})
    return pd.concat([df.iloc[:50], tiny, df.iloc[50:]], ignore_index=True)


CASES = [
    ("segmented", dict(permutations=49, seed=3), ["--permutations", "49", "--seed", "3"], False),
    ("curve", dict(curve="quadratic"), ["--curve", "quadratic"], False),
    ("partial", dict(partial=True, permutations=0), ["--prefer", "partial",
                                                     "--permutations", "0"], False),
    ("weights", dict(permutations=0, confidence=95), ["--permutations", "0",
                                                      "--confidence", "95"], True),
]


@pytest.mark.parametrize("name,options,arguments,weights", CASES, ids=[c[0] for c in CASES])
def test_frame_equals_the_batch_results_table(batch, tmp_path, name, options, arguments,
                                              weights):
    df = long_table()
    if not weights:
        df = df.drop(columns="weight")
    table = tmp_path / "wells.csv"
    df.to_csv(table, index=False)
    results = tmp_path / "results.csv"
    extra = ["--weight", "weight"] if weights else []
    done = subprocess.run([batch, str(table), "--by", "well", "--y", "level", "--x", "rain",
                           *extra, "--results", str(results), "--quiet", *arguments],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    expected = pd.read_csv(results, float_precision="round_trip")
    got = vornax.fit_groups(df, "well", "level", "rain", weight="weight" if weights else None,
                            **options)
    assert list(got.columns) == list(expected.columns)
    pd.testing.assert_frame_equal(got, expected, check_dtype=False, check_exact=True)
    # The rows without a key are a group of their own whose key stays missing.
    assert set(got["group"].dropna()) == {"north", "south", "east", "west", "tiny", "empty"}
    assert got["group"].isna().sum() == 1
    assert got.loc[got["group"] == "empty", "reason"].notna().all()


def test_one_thread_or_many_give_the_same_rows():
    df = long_table()
    one = vornax.fit_groups(df, "well", "level", "rain", permutations=99, threads=1)
    many = vornax.fit_groups(df, "well", "level", "rain", permutations=99, threads=3)
    pd.testing.assert_frame_equal(one, many, check_exact=True)


def test_group_values_keep_their_type_and_fit_frame_equals_fit():
    df = long_table().dropna()
    df["code"] = df["well"].map({"north": 10, "south": 20, "east": 30, "west": 40, "tiny": 50})
    got = vornax.fit_groups(df, "code", "level", "rain", permutations=0)
    assert got["group"].dtype == np.int64
    north = df[df["well"] == "north"]
    single = vornax.fit_frame(north, y="level", x="rain", permutations=0)
    row = got[got["group"] == 10].iloc[0]
    assert row["breakpoint"] == single.breakpoint["value"]
    assert row["ce"] == single.explanation["ce"]
    assert row["rows_used"] == single.rows_used == len(north)


def test_bad_options_and_columns_raise():
    df = long_table()
    with pytest.raises(TypeError, match="unknown option 'permutation'"):
        vornax.fit_groups(df, "well", "level", "rain", permutation=0)
    with pytest.raises(ValueError, match="confidence: 80"):
        vornax.fit_groups(df, "well", "level", "rain", confidence=80)
    with pytest.raises(TypeError, match="y holds a value that is not a number"):
        vornax.fit_groups(df, "level", "well", "rain")
    with pytest.raises(ValueError, match="--use needs data"):
        vornax.fit_groups(df, "well", "level", "rain", use="x")
