"""TOVA's analysis of mixed data in Python: the D-correlation of variables of
any type (mismatch, ranked with ties and double zeros, circular, interval),
its principal components, and Gower dissimilarities of the objects -- the
same bits as the console program on the same data.

Data are an n x m array (objects in rows) with NaN or -1 for a missing
value, one type code per variable (1 to 7, 33, 34) and the periods of the
circular variables (types 6 and 34). ``read`` gives all three from a TOVA
data file. Threads: ``threads=0`` takes TOVA_THREADS, else one per core.
"""

from dataclasses import dataclass, field

import numpy as np

from . import _tova

Error = _tova.Error

__all__ = ["Data", "PCA", "Error", "read", "dcor", "associate", "pca", "gower",
           "squareform", "read_matrix_dis", "read_loads"]


@dataclass
class Data:
    """A TOVA data set: values (n x m float32, NaN missing), types, periods."""
    values: np.ndarray
    types: list
    periods: list
    title: str = ""


def read(path):
    """Reads a TOVA data file as the console program does."""
    d = _tova.read(str(path))
    values = np.array(d["values"], dtype=np.float32)
    values[values == _tova.MISSING] = np.nan
    return Data(values, list(d["types"]), list(d["periods"]), d["title"])


def _arguments(data, types, periods):
    if isinstance(data, Data):
        types = data.types if types is None else types
        periods = data.periods if periods is None else periods
        data = data.values
    if types is None:
        raise Error("state the type code of every variable")
    types = [int(t) for t in types]
    if periods is None:
        periods = [0.0] * len(types)
    return np.asarray(data), types, [float(p) for p in periods]


def associate(data, types=None, periods=None, threads=0):
    """(D-correlation, 1 - rho, squared distances), each m x m float32."""
    return _tova.associate(*_arguments(data, types, periods), threads)


def dcor(data, types=None, periods=None, threads=0):
    """The D-correlation matrix of the variables (m x m float32)."""
    return associate(data, types, periods, threads)[0]


@dataclass
class PCA:
    """Principal components of the D-correlation matrix.

    loadings: m x positive_count; LOADS.TXT holds its first ``loads_columns``
    columns. levels: the thresholds of the Jacobi progress lines.
    """
    eigenvalues: np.ndarray
    positive_count: int
    positive_sum: float
    percentages: np.ndarray
    loadings: np.ndarray
    loads_columns: int
    final_threshold: float
    levels: list = field(default_factory=list)

    @property
    def loads(self):
        """The values of LOADS.TXT: variables in rows."""
        return self.loadings[:, :self.loads_columns]

    def __repr__(self):
        shown = ", ".join(f"{p:.2f}" for p in self.percentages[:5])
        return (f"PCA: {len(self.eigenvalues)} variables, {self.positive_count} positive "
                f"eigenvalues (sum {self.positive_sum:.6g}); percent: {shown}")


def pca(data, types=None, periods=None, threads=0):
    """Eigenvalues, percentages and loadings of the D-correlation matrix."""
    r = _tova.pca(*_arguments(data, types, periods), threads)
    if not r.pop("started"):
        r["final_threshold"] = float("nan")
    return PCA(**r)


def gower(data, types=None, periods=None, threads=0):
    """Gower dissimilarities of the objects: condensed float32, scipy's order."""
    return _tova.gower(*_arguments(data, types, periods), threads)


def squareform(condensed):
    """The n x n square of a condensed vector (zero diagonal)."""
    condensed = np.asarray(condensed)
    n = int(round((1 + np.sqrt(1 + 8 * condensed.size)) / 2))
    if n * (n - 1) // 2 != condensed.size:
        raise Error(f"{condensed.size} values are no condensed matrix")
    square = np.zeros((n, n), dtype=condensed.dtype)
    rows, columns = np.triu_indices(n, 1)
    square[rows, columns] = condensed
    square[columns, rows] = condensed
    return square


def _records(path):
    with open(path, "r", encoding="latin-1", newline=None) as f:
        return f.read().split("\n")


def _numbers(tokens, what):
    try:
        return np.array([float(t) for t in tokens], dtype=np.float32)
    except ValueError as e:
        raise Error(f"{what}: {e}") from None


def read_matrix_dis(path):
    """A MATRIX.DIS of the console program as a condensed float32 vector."""
    records = _records(path)
    try:
        n = int(records[1])
    except (IndexError, ValueError):
        raise Error(f"{path}: no object count on the second line") from None
    values = _numbers(" ".join(records[2:]).split(), str(path))
    try:
        return _tova.condensed(values, n)
    except Error as e:
        raise Error(f"{path}: {e}") from None


def read_loads(path):
    """A LOADS.TXT of the console program: variables in rows."""
    records = _records(path)
    try:
        m, k = (int(t) for t in records[1].split())
    except (IndexError, ValueError):
        raise Error(f"{path}: no sizes on the second line") from None
    if len(records) < 2 + m:
        raise Error(f"{path}: {len(records) - 2} rows for {m} variables")
    rows = [_numbers(r.split(), str(path)) for r in records[2:2 + m]]
    if any(r.size != k for r in rows):
        raise Error(f"{path}: a row without {k} values")
    return np.array(rows, dtype=np.float32).reshape(m, k)
