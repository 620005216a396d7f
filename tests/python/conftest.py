"""The Python module's tests run against a build tree: <repo>/build unless VORNAX_BUILD names
another. Its vornax-batch is the reference the module's results are compared with."""

import os
import pathlib
import sys

import numpy as np
import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("VORNAX_BUILD", ROOT / "build"))
sys.path.insert(0, str(BUILD / "python"))


@pytest.fixture(scope="session")
def batch():
    program = BUILD / "vornax-batch"
    if not program.exists():
        pytest.fail(f"{program} is not built")
    return str(program)


def broken_line(n=60, seed=3, breakpoint=4.0, noise=0.3):
    """Y level up to the breakpoint, then rising: a clear type-3 break with some noise."""
    rng = np.random.default_rng(seed)
    x = np.round(np.linspace(0.5, 10, n) + rng.normal(0, 0.05, n), 4)
    y = np.where(x < breakpoint, 2.0, 2.0 + 0.8 * (x - breakpoint)) + rng.normal(0, noise, n)
    return x, np.round(y, 5)
