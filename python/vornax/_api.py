"""The calls of the module: the batch's options by name, arrays and frames in, results out.

The options are checked and spelt here as vornax-batch's command line spells them; whether a
combination can be run, and everything after, is decided by the engine (vornax._core), with
the batch's own words when it cannot.
"""

import numbers

import numpy as np

from . import _core
from ._result import Result

_MAX_WEIGHT = 1000000
_MAX_COUNT = 1000000
_CURVES = ("power", "s-curve", "quadratic", "cubic")


def _choice(name, value, allowed):
    if value not in allowed:
        shown = ", ".join(str(a) for a in allowed)
        raise ValueError(f"{name}: {value!r} not in {{{shown}}}")
    return value


def _whole(name, value, low, high):
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} must be a whole number, not {type(value).__name__}")
    if not low <= value <= high:
        raise ValueError(f"{name}: {value} not in [{low} - {high}]")
    return int(value)


def _options(confidence, prefer, exclude, use, partial, curve, breakpoints, breakpoint,
             search_range, permutations, seed, stop_early, transform=True):
    """The keywords of a call as the engine takes them (a dict of the batch's spellings)."""
    o = {"confidence": _choice("confidence", confidence, (90, 95, 98))}
    if use is not None:
        o["use"] = _choice("use", use, ("both", "x", "z"))
    if prefer is not None and prefer != "best":
        if prefer == "partial":
            o["prefer"] = "partial"
        else:
            o["prefer"] = str(_whole("prefer", prefer, 1, 6))
    if partial:
        if "prefer" in o and o["prefer"] != "partial":
            raise ValueError("choose either prefer or partial, not both")
        o["prefer"] = "partial"
    if exclude is not None:
        o["exclude"] = _whole("exclude", exclude, 2, 6)
    if curve is not None:
        o["curve"] = _choice("curve", curve, _CURVES)
    if breakpoints is not None:
        o["breakpoints"] = str(_choice("breakpoints", breakpoints, (2, 3, "auto")))
    if breakpoint is not None:
        o["breakpoint"] = _finite("breakpoint", breakpoint)
    if search_range is not None:
        values = list(search_range)
        if len(values) != 2:
            raise ValueError("search_range: give two values, LO and HI")
        o["search_range"] = [_finite("search_range", v) for v in values]
    o["permutations"] = _whole("permutations", permutations, 0, _MAX_COUNT)
    o["seed"] = _whole("seed", seed, 0, 2**64 - 1)
    if stop_early is not None:
        o["stop_early"] = _whole("stop_early", stop_early, 0, _MAX_COUNT)
    o["transform"] = bool(transform)
    return o


def _finite(name, value):
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} must be a number, not {type(value).__name__}")
    value = float(value)
    if not np.isfinite(value):
        raise ValueError(f"{name}: {value} is not a finite number")
    return value


def _name_of(values, default):
    name = getattr(values, "name", None)
    return default if name is None else str(name)


def _numbers(values, role):
    """A column as float64; TypeError for values that are not numbers."""
    if hasattr(values, "to_numpy"):
        kind = getattr(getattr(values, "dtype", None), "kind", "O")
        # pandas' nullable numbers (Int64, Float64) hold pd.NA for a missing value.
        array = (values.to_numpy(dtype=np.float64, na_value=np.nan) if kind in "iuf"
                 else values.to_numpy())
    else:
        array = np.asarray(values)
    if array.ndim != 1:
        raise ValueError(f"{role} must be one-dimensional, not of shape {array.shape}")
    kind = array.dtype.kind
    if kind in "fiub":
        return array.astype(np.float64, copy=False)
    if kind == "O":
        bad = next((v for v in array if v is not None and not isinstance(v, numbers.Real)), None)
        if bad is None:
            return np.array([np.nan if v is None else float(v) for v in array], dtype=np.float64)
        raise TypeError(f"{role} holds a value that is not a number: {bad!r}")
    for value in array:
        try:
            float(value)
        except (TypeError, ValueError):
            raise TypeError(f"{role} holds a value that is not a number: {value!r}") from None
    raise TypeError(f"{role} holds values that are not numbers (dtype {array.dtype})")


def _columns(y, x, z, weights, names):
    """The columns checked and freed of their incomplete rows: (arrays, names, left-out rows)."""
    columns = [("y", _numbers(y, "y")), ("x", _numbers(x, "x"))]
    if z is not None:
        columns.append(("z", _numbers(z, "z")))
    if weights is not None:
        columns.append(("weights", _numbers(weights, "weights")))
    n = len(columns[0][1])
    for role, array in columns[1:]:
        if len(array) != n:
            raise ValueError(f"y and {role} differ in length: {n} and {len(array)}")
    complete = np.ones(n, dtype=bool)
    for role, array in columns:
        missing = np.isnan(array)
        if np.isinf(array).any():
            row = int(np.flatnonzero(np.isinf(array))[0])
            raise ValueError(f"\"{array[row]}\" in row {row + 1}, {role}, is not a finite number")
        complete &= ~missing
    kept = [array if complete.all() else array[complete] for _, array in columns]
    w = None
    if weights is not None:
        wf = kept.pop()
        rows = np.flatnonzero(complete)
        for test, text in ((wf != np.floor(wf), "is not a whole number"),
                           (wf < 1, "is below 1: a data set cannot count zero or negative times"),
                           (wf > _MAX_WEIGHT,
                            f"is above {_MAX_WEIGHT}, the largest accepted")):
            if test.any():
                at = int(np.flatnonzero(test)[0])
                raise ValueError(f"the weight factor \"{wf[at]:g}\" in row {rows[at] + 1} {text}")
        w = wf.astype(np.int32)
    left_out = np.flatnonzero(~complete)
    return kept[0], kept[1], (kept[2] if z is not None else None), w, names, left_out


def fit(x, y, *, z=None, weights=None, confidence=90, prefer=None, exclude=None, use=None,
        partial=False, curve=None, breakpoints=None, breakpoint=None, search_range=None,
        permutations=999, seed=1, stop_early=None, transform=True):
    """Analyses Y upon X (and Z) as one run of vornax-batch would, and returns a Result.

    x, y, z, weights: numpy arrays, lists or pandas Series of equal length; rows with a NaN in
    any of them are left out and counted (Result.rows_left_out). Weight factors are whole numbers
    from 1 to 1,000,000. The options are those of vornax-batch: confidence (90, 95, 98), prefer
    (1-6, "best" or "partial"), exclude (2-6), use ("both", "x", "z"), partial (= prefer
    "partial"), curve ("power", "s-curve", "quadratic", "cubic"), breakpoints (2, 3, "auto"),
    breakpoint (fixed value), search_range ((lo, hi)), permutations of the break test (0: none),
    seed, stop_early, transform (the answer to the curves' transformation question).

    Raises ValueError with the batch's message when the data or the options cannot be run,
    TypeError for values that are not numbers, MemoryError when memory runs out.
    """
    options = _options(confidence, prefer, exclude, use, partial, curve, breakpoints, breakpoint,
                       search_range, permutations, seed, stop_early, transform)
    names = [_name_of(y, "Y"), _name_of(x, "X")]
    if z is not None:
        names.append(_name_of(z, "Z"))
    if weights is not None:
        names.append(_name_of(weights, "weight"))
    ya, xa, za, wa, names, left_out = _columns(y, x, z, weights, names)
    return _fit_arrays(ya, xa, za, wa, names, left_out, options)


def _fit_arrays(ya, xa, za, wa, names, left_out, options, source="Python"):
    fitted = _core.fit(ya, xa, za, wa, names, left_out.tolist(), source, options, False, 1)

    def with_texts():
        # The report's text is put together only when asked for: the same data and options give
        # the same run, and its break test is not part of the report.
        again = dict(options, break_test=False)
        return _core.fit(ya, xa, za, wa, names, left_out.tolist(), source, again, True, 1)

    return Result(fitted, len(ya), len(left_out), names, with_texts)


def fit_frame(df, y, x, z=None, weight=None, **options):
    """fit() on the columns of one DataFrame, named by y, x, z and weight."""
    return fit(df[x], df[y], z=None if z is None else df[z],
               weights=None if weight is None else df[weight], **options)


# The results table's columns that hold text; the others hold numbers.
_TEXT_COLUMNS = ("group", "analysis", "type_text", "warnings", "reason")
_COUNT_COLUMNS = ("rows_used", "rows_left_out")


def results_frame(text, group_values):
    """The results table's CSV text as a DataFrame: numbers as float64 (counts as int64), text as
    str with NaN where empty; the column group holds `group_values`."""
    import io

    import pandas as pd

    # Numbers read by read_csv's correctly rounded reader, as the batch's file reads back; the
    # group column, which the caller's values replace, is not read.
    header = text[:text.index("\n")].strip().split(",")
    frame = pd.read_csv(io.StringIO(text), float_precision="round_trip",
                        usecols=[c for c in header if c != "group"],
                        dtype={c: object for c in _TEXT_COLUMNS if c in header},
                        keep_default_na=False, na_values={c: [""] for c in header})
    for column in frame.columns:
        if column not in _TEXT_COLUMNS and column not in _COUNT_COLUMNS and \
                frame[column].dtype.kind in "iuf":
            frame[column] = frame[column].astype(np.float64)
    frame.insert(header.index("group"), "group", group_values)
    return frame


def fit_groups(df, by, y, x, z=None, weight=None, threads=None, **options):
    """Analyses every group of a long table, as vornax-batch --by does, on all cores.

    Returns a DataFrame with the columns and values of ``vornax-batch --by --results``: one row
    per group, in the order the groups first appear. The group column holds the values of
    `by` (missing values form a group of their own, whose key stays missing, as the batch
    leaves its field empty). Options as for fit(); threads: how many groups
    run at once (default: one per core).
    """
    import pandas as pd

    opts = _options(**_with_defaults(options))
    keys = df[by]
    # The groups in the order they first appear; a missing value is a group of its own, the
    # batch's empty cell.
    codes, uniques = pd.factorize(keys, sort=False)
    missing = codes < 0
    groups = [str(u) for u in uniques]
    if missing.any():
        codes = np.where(missing, len(groups), codes)
        groups.append("")
        seen, first = np.unique(codes, return_index=True)
        order = np.argsort(first, kind="stable")
        rank = np.empty(len(groups), dtype=np.int64)
        rank[seen[order]] = np.arange(len(groups))
        codes = rank[codes]
        groups = [groups[g] for g in seen[order]]
    names = [str(y), str(x)] + ([str(z)] if z is not None else []) + \
            ([str(weight)] if weight is not None else [])
    columns = [df[y], df[x]] + ([df[z]] if z is not None else []) + \
              ([df[weight]] if weight is not None else [])
    roles = ["y", "x"] + (["z"] if z is not None else []) + (["weight"] if weight is not None
                                                              else [])
    arrays = [_numbers(c, role) for c, role in zip(columns, roles)]
    complete = np.ones(len(df), dtype=bool)
    for role, array in zip(roles, arrays):
        if np.isinf(array).any():
            row = int(np.flatnonzero(np.isinf(array))[0])
            raise ValueError(f"\"{array[row]}\" in row {row + 1}, {role}, is not a finite number")
        complete &= ~np.isnan(array)
    left_out = np.bincount(codes[~complete], minlength=len(groups))
    kept = arrays if complete.all() else [a[complete] for a in arrays]
    w = None
    if weight is not None:
        wf = kept.pop()
        rows = np.flatnonzero(complete)
        for test, words in ((wf != np.floor(wf), "is not a whole number"),
                            (wf < 1, "is below 1: a data set cannot count zero or negative times"),
                            (wf > _MAX_WEIGHT, f"is above {_MAX_WEIGHT}, the largest accepted")):
            if test.any():
                at = int(np.flatnonzero(test)[0])
                raise ValueError(f"the weight factor \"{wf[at]:g}\" in row {rows[at] + 1} {words}")
        w = wf.astype(np.int32)
    zs = kept[2] if z is not None else None
    # The group column keeps the frame's values (and their type) where the batch has their text.
    first = np.zeros(len(groups), dtype=np.int64)
    seen = np.unique(codes, return_index=True)
    first[seen[0]] = seen[1]
    values = keys.iloc[first].reset_index(drop=True)
    used = (codes if complete.all() else codes[complete]).astype(np.uint32)
    del codes, complete, missing, arrays, columns, seen, first
    rows = _core.fit_groups(kept[0], kept[1], zs, w, used, groups, left_out.tolist(), names,
                            str(by), "a DataFrame", opts, 0 if threads is None else int(threads))
    del kept, zs, w, used
    text = _core.results_header() + "".join(rows)
    del rows
    return results_frame(text, values)


def _with_defaults(options):
    known = dict(confidence=90, prefer=None, exclude=None, use=None, partial=False, curve=None,
                 breakpoints=None, breakpoint=None, search_range=None, permutations=999, seed=1,
                 stop_early=None, transform=True)
    unknown = set(options) - set(known)
    if unknown:
        raise TypeError(f"unknown option {sorted(unknown)[0]!r}")
    known.update(options)
    return known

