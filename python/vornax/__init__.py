"""Segmented linear regression from Python, over the engine of vornax-batch.

    >>> import vornax
    >>> r = vornax.fit(x, y, permutations=0)
    >>> r.breakpoint["value"], r.type_text
    >>> r.predict([1.0, 2.5])
    >>> vornax.fit_groups(frame, by="well", y="level", x="rain")

``fit`` analyses one data set and returns a :class:`Result` whose attributes carry the names
and values of ``vornax-batch --json``; ``fit_groups`` analyses every group of a long table on
all cores and returns the rows of ``vornax-batch --by --results`` as a pandas DataFrame;
``vornax.dask.fit_groups`` does the same on a dask DataFrame. Nothing is written to disk.
"""

from ._api import fit, fit_frame, fit_groups
from ._result import Result

__all__ = ["fit", "fit_frame", "fit_groups", "Result"]
