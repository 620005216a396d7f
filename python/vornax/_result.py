"""The result of one run: the numbers of vornax-batch's JSON file as attributes, the texts of
the report, the prediction of the fitted function and its picture."""

import json

import numpy as np

# Keys of the JSON that say where a result came from rather than what it is.
PROVENANCE = ("files", "source", "arguments", "rows_used", "rows_left_out")


class Result:
    """What vornax.fit found for one data set.

    Every key of ``vornax-batch --json`` is an attribute with the same name and value
    (``analysis``, ``type``, ``type_text``, ``breakpoint``, ``lines``, ``explanation``,
    ``break_test``, ``warnings``, ``data``, ...); ``to_dict()`` gives them all. The one
    exception is ``anova``: the text of NAME.var, as ``report`` is that of NAME.out (the JSON's
    ANOVA rows are ``anova_rows``). ``summary`` holds the batch's summary lines. ``rows_used``
    and ``rows_left_out`` count the rows analysed and those left out for a missing value.
    """

    __slots__ = ("_fitted", "_texts", "_rerun", "_json", "_dict", "rows_used", "rows_left_out",
                 "names")

    def __init__(self, fitted, rows_used, rows_left_out, names, rerun):
        self._fitted = fitted
        self._rerun = rerun
        self._texts = None
        self._json = None
        self._dict = None
        self.rows_used = rows_used
        self.rows_left_out = rows_left_out
        self.names = list(names)

    # --- the numbers -------------------------------------------------------------------------

    def to_dict(self):
        """The results as vornax-batch --json writes them; "files" and "source" say that they
        came from Python (no file), and rows_used / rows_left_out are added as in the batch's
        JSON Lines."""
        if self._json is None:
            self._json = self._fitted.json()
        d = json.loads(self._json)
        d["files"] = {"input": None, "report": None, "anova": None}
        d["source"]["file"] = None
        d["source"]["kind"] = "python"
        d["rows_used"] = self.rows_used
        d["rows_left_out"] = self.rows_left_out
        return d

    def _numbers(self):
        if self._dict is None:
            self._dict = self.to_dict()
        return self._dict

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        d = self._numbers()
        if name in d:
            return d[name]
        raise AttributeError(f"'Result' object has no attribute '{name}'")

    def __dir__(self):
        return sorted(set(super().__dir__()) | set(self._numbers()))

    # --- the texts ---------------------------------------------------------------------------

    def _text_run(self):
        if self._texts is None:
            self._texts = self._rerun()
        return self._texts

    @property
    def report(self):
        """The report (the text of NAME.out), with "\\n" line ends."""
        return self._text_run().report.replace("\r\n", "\n")

    @property
    def anova(self):
        """The ANOVA table (the text of NAME.var), with "\\n" line ends. Its rows as numbers,
        the JSON's "anova", are ``anova_rows``."""
        return self._text_run().anova.replace("\r\n", "\n")

    @property
    def anova_rows(self):
        """The ANOVA rows as numbers (the JSON's "anova")."""
        return self._numbers()["anova"]

    @property
    def summary(self):
        """The summary as vornax-batch prints it, one line per item."""
        return "\n".join(self._fitted.summary)

    # --- the function ------------------------------------------------------------------------

    def predict(self, x_new, z_new=None, interval=None):
        """The fitted function at x_new (and z_new for a run on X and Z together), as a numpy
        array; NaN where a curve is not defined. At the data's own X it gives the report's
        Ycalc."""
        if interval is not None:
            if interval not in ("confidence", "prediction"):
                raise ValueError(f"interval: {interval!r} not in {{None, confidence, prediction}}")
            raise NotImplementedError("intervals of the prediction are not available yet")
        x = np.atleast_1d(np.asarray(x_new, dtype=np.float64))
        z = None if z_new is None else np.atleast_1d(np.asarray(z_new, dtype=np.float64))
        values = self._fitted.predict(x, z)
        return values if np.ndim(x_new) > 0 else values[0]

    # --- showing it --------------------------------------------------------------------------

    def __repr__(self):
        first = self._fitted.summary[:1]
        return f"<vornax.Result {self._fitted.analysis}: {first[0].strip() if first else ''}>"

    def _repr_html_(self):
        import html

        rows = []
        for line in self._fitted.summary:
            key, sep, value = line.strip().partition(":")
            if sep:
                rows.append(f"<tr><th style='text-align:left'>{html.escape(key)}</th>"
                            f"<td style='text-align:left'>{html.escape(value.strip())}</td></tr>")
            else:
                rows.append(f"<tr><td colspan='2' style='text-align:left'>"
                            f"{html.escape(line.strip())}</td></tr>")
        return "<table class='vornax-result'>" + "".join(rows) + "</table>"

    def plot(self, ax=None):
        """Draws the data, the fitted function and the breakpoint's interval(s) as a band on a
        matplotlib Axes (a new figure's when ax is None), as the Graphics tab draws them.
        Returns the Axes."""
        from ._plot import draw

        return draw(self, ax)
