"""The picture of a result on a matplotlib Axes (matplotlib is imported only here)."""

import numpy as np


def intervals(d):
    """The breakpoints' confidence intervals (lower, upper) of the JSON's numbers."""
    found = []
    if d.get("breakpoints"):
        for p in d["breakpoints"]:
            found.append((p["lower_limit"], p["upper_limit"]))
    elif d.get("two_variable"):
        for stage in d["two_variable"]["stages"]:
            bp = stage["breakpoint"]
            if stage["variable"] == "X" and bp and bp["lower_limit"] is not None:
                found.append((bp["lower_limit"], bp["upper_limit"]))
    elif d.get("breakpoint") and d["breakpoint"]["lower_limit"] is not None:
        found.append((d["breakpoint"]["lower_limit"], d["breakpoint"]["upper_limit"]))
    return [(lo, hi) for lo, hi in found if lo is not None and hi is not None]


def draw(result, ax=None):
    if ax is None:
        import matplotlib.pyplot as plt

        _, ax = plt.subplots()
    d = result.to_dict()
    rows = d["data"]
    two = d["analysis"] == "two-variable"
    key = "z" if rows and "x" not in rows[0] else "x"
    x = np.array([r[key] for r in rows], dtype=float)
    y = np.array([r["y"] for r in rows], dtype=float)
    ax.scatter(x, y, s=14, color="tab:blue", label="data", zorder=3)
    for i, (low, high) in enumerate(intervals(d)):
        ax.axvspan(low, high, color="tab:orange", alpha=0.18, lw=0,
                   label="breakpoint interval" if i == 0 else None)
    if two:
        # A plane over X and Z: its value at each data set, against X.
        order = np.argsort(x, kind="stable")
        ycalc = np.array([r["ycalc"] for r in rows], dtype=float)
        ax.plot(x[order], ycalc[order], "x", color="tab:red", label="fitted")
    elif len(x):
        grid = np.linspace(x.min(), x.max(), 512)
        corners = [p["value"] for p in d.get("breakpoints") or []]
        if d.get("breakpoint"):
            corners.append(d["breakpoint"]["value"])
        # Both sides of a jump at a breakpoint, and the corner itself, are drawn.
        near = [c * (1 - 1e-12) if c else -1e-300 for c in corners]
        grid = np.unique(np.concatenate([grid, corners, near]))
        grid = grid[(grid >= x.min()) & (grid <= x.max())]
        ax.plot(grid, result.predict(grid), color="tab:red", label="fitted")
    names = result.names
    ax.set_xlabel(names[2] if key == "z" and len(names) > 2 else
                  (names[1] if len(names) > 1 else key.upper()))
    ax.set_ylabel(names[0] if names else "Y")
    ax.legend(loc="best", fontsize="small")
    return ax
