"""Many groups on a dask cluster: vornax.fit_groups on a dask DataFrame.

    >>> import dask.dataframe as dd, vornax.dask
    >>> results = vornax.dask.fit_groups(ddf, by="well", y="level", x="rain", permutations=0)
    >>> results.compute()

The frame is shuffled on the group column, so that every group lies whole in one partition,
and each partition's groups are fitted in one call of the engine (on the worker's cores). The
rows of a group are taken in the order of the frame's index, as vornax.fit_groups takes them
from a pandas frame with the same index. Each group is independent of the others: the cost is
the shuffle plus the fits.
"""

import numpy as np

from ._api import _options, _with_defaults, fit_groups as _fit_groups


def _meta(ddf, by):
    import pandas as pd

    from . import _core

    columns = _core.results_header().strip().split(",")
    meta = {}
    for column in columns:
        if column == "group":
            meta[column] = pd.Series([], dtype=ddf[by].dtype)
        elif column in ("rows_used", "rows_left_out"):
            meta[column] = pd.Series([], dtype=np.int64)
        elif column in ("analysis", "type_text", "warnings", "reason"):
            meta[column] = pd.Series([], dtype=object)
        else:
            meta[column] = pd.Series([], dtype=np.float64)
    return pd.DataFrame(meta)


def fit_groups(ddf, by, y, x, z=None, weight=None, threads=None, **options):
    """The results of vornax.fit_groups for every group of the dask DataFrame `ddf`, as a dask
    DataFrame (one row per group, the group column as in fit_groups). Options as for
    vornax.fit; they are checked here, before anything is sent to the workers."""
    _options(**_with_defaults(options))  # a wrong value is refused here, not on the workers
    used = [c for c in (by, y, x, z, weight) if c is not None]
    shuffled = ddf[used].shuffle(on=by)

    def fit_partition(part):
        part = part.sort_index(kind="stable")
        return _fit_groups(part, by, y, x, z=z, weight=weight, threads=threads, **options)

    return shuffled.map_partitions(fit_partition, meta=_meta(ddf, by))
