"""vornax.dask.fit_groups on a local cluster of two workers equals vornax.fit_groups."""

import numpy as np
import pandas as pd
import pytest

import vornax
import vornax.dask

dd = pytest.importorskip("dask.dataframe")
distributed = pytest.importorskip("distributed")


def many_groups(groups=2000, rows=12):
    rng = np.random.default_rng(8)
    g = np.repeat(np.arange(groups), rows)
    x = np.tile(np.linspace(1, 10, rows), groups) + rng.normal(0, 0.01, groups * rows)
    bp = rng.uniform(3, 8, groups)[g]
    y = np.where(x < bp, 1.0, 1.0 + 0.5 * (x - bp)) + rng.normal(0, 0.1, groups * rows)
    df = pd.DataFrame({"series": g, "y": y, "x": x})
    # The groups' rows spread over every partition.
    return df.sample(frac=1, random_state=1).reset_index(drop=True)


def test_cluster_results_equal_fit_groups():
    df = many_groups()
    expected = vornax.fit_groups(df, "series", "y", "x", permutations=0)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, host="127.0.0.1",
                                  processes=True, dashboard_address=None) as cluster, \
            distributed.Client(cluster):
        ddf = dd.from_pandas(df, npartitions=8)
        got = vornax.dask.fit_groups(ddf, "series", "y", "x", permutations=0).compute()
    assert len(got) == len(expected) == 2000
    got = got.sort_values("group").reset_index(drop=True)
    expected = expected.sort_values("group").reset_index(drop=True)
    pd.testing.assert_frame_equal(got, expected, check_exact=True)


@pytest.mark.parametrize("option", [dict(confidence=80), dict(prefer=9), dict(curve="log"),
                                    dict(permutations=-1)])
def test_a_wrong_option_value_is_refused_at_the_call_not_on_the_workers(option):
    ddf = dd.from_pandas(many_groups(groups=4), npartitions=2)
    with pytest.raises(ValueError):
        vornax.dask.fit_groups(ddf, by="series", y="y", x="x", **option)
