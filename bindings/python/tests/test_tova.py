"""The Python module against the console program: the same numbers, written
the way the program writes them, on the example and on random data of every
type code; and the results in scipy and scikit-bio."""

import os
import shutil
import subprocess
from pathlib import Path

import numpy as np
import pytest

import tova
from tova import _tova

ROOT = Path(__file__).resolve().parents[3]
EXAMPLE = ROOT / "examples" / "meadow_survey.dat"
EXPECTED = ROOT / "examples" / "expected"


def program():
    for candidate in (os.environ.get("TOVA_PROGRAM"), ROOT / "build" / "release" / "tova",
                      ROOT / "build" / "dev" / "tova"):
        if candidate and Path(candidate).is_file():
            return str(candidate)
    pytest.skip("no tova program built (set TOVA_PROGRAM)")


def run_console(folder, data_text):
    (folder / "data.dat").write_text(data_text)
    subprocess.run([program()], input=b"data.dat\n1\n", cwd=folder, check=True,
                   stdout=subprocess.DEVNULL)
    return ((folder / "LOADS.TXT").read_bytes().decode("latin-1").split("\r\n"),
            (folder / "MATRIX.DIS").read_bytes().decode("latin-1").split("\r\n"))


def packed(condensed):
    """Back to MATRIX.DIS order, (1,1), (1,2), (2,2), ...; diagonal 0."""
    square = tova.squareform(condensed)
    n = square.shape[0]
    return np.concatenate([square[:j + 1, j] for j in range(n)])


def check_against(loads, matrix, result, gower):
    rows = [" " + _tova.list_directed(result.loads[i]) for i in range(result.loads.shape[0])]
    assert rows == loads[2:2 + len(rows)]
    assert " " + _tova.list_directed(packed(gower)) == matrix[2]


def test_example_gives_the_console_files():
    data = tova.read(EXAMPLE)
    loads = (EXPECTED / "LOADS.TXT").read_bytes().decode("latin-1").split("\r\n")
    matrix = (EXPECTED / "MATRIX.DIS").read_bytes().decode("latin-1").split("\r\n")
    check_against(loads, matrix, tova.pca(data), tova.gower(data))
    assert np.array_equal(tova.read_loads(EXPECTED / "LOADS.TXT"),
                          np.array([[np.float32(float(t)) for t in r.split()]
                                    for r in loads[2:10]], dtype=np.float32))


def random_data(rng, n=23):
    types = [1, 2, 3, 4, 5, 6, 7, 33, 34]
    periods = [0, 0, 0, 0, 0, 24, 0, 0, 12]
    columns = []
    for t, p in zip(types, periods):
        if t in (6, 34):
            x = rng.integers(0, p, n) * 0.5
        elif t == 1:
            x = rng.integers(1, 5, n).astype(float)
        else:
            x = rng.integers(0, 9, n) * 0.25
        x[rng.random(n) < 0.12] = np.nan
        columns.append(x)
    return np.column_stack(columns), types, periods


def data_file(values, types, periods):
    text = [f"random {values.shape}", f"{values.shape[0]} {values.shape[1]}",
            " ".join(map(str, types))]
    text += [str(p) for t, p in zip(types, periods) if t in (6, 34)]
    text += [" ".join("-1" if np.isnan(v) else repr(float(v)) for v in row) for row in values]
    return "\n".join(text) + "\n"


@pytest.mark.parametrize("seed", [1, 2, 3])
def test_random_data_of_every_type_gives_the_console_files(tmp_path, seed):
    values, types, periods = random_data(np.random.default_rng(seed))
    loads, matrix = run_console(tmp_path, data_file(values, types, periods))
    result = tova.pca(values, types, periods, threads=3)
    check_against(loads, matrix, result, tova.gower(values, types, periods, threads=2))
    assert np.allclose(tova.read_loads(tmp_path / "LOADS.TXT"), result.loads, atol=1e-5, rtol=0)
    g = tova.read_matrix_dis(tmp_path / "MATRIX.DIS")
    assert g.shape == (values.shape[0] * (values.shape[0] - 1) // 2,)
    # The file holds six digits; the engine's values round to them.
    assert np.allclose(g, tova.gower(values, types, periods), atol=1e-6, rtol=0)


def test_threads_and_layouts_do_not_change_a_bit():
    values, types, periods = random_data(np.random.default_rng(7), n=60)
    a = tova.associate(values, types, periods, threads=1)
    b = tova.associate(np.asfortranarray(values.astype(np.float32)), types, periods, threads=4)
    for x, y in zip(a, b):
        assert x.tobytes() == y.tobytes()
    assert tova.gower(values, types, periods, 1).tobytes() == \
        tova.gower(values, types, periods, 4).tobytes()
    assert np.array_equal(tova.dcor(values, types, periods), a[0])


def test_bad_input_raises():
    values, types, periods = random_data(np.random.default_rng(3))
    with pytest.raises(tova.Error, match="Unknown variable type code 8"):
        tova.dcor(values, types[:-1] + [8], periods)
    with pytest.raises(tova.Error, match="type codes for"):
        tova.gower(values, types[:-1], periods)
    values[0, 3] = 1e32
    with pytest.raises(tova.Error, match="cannot be ranked"):
        tova.pca(values, types, periods)
    with pytest.raises(tova.Error, match="after record"):
        tova.read(ROOT / "tests" / "golden" / "short_data_file" / "input" / "short.dat")


def test_bad_result_files_raise(tmp_path):
    (tmp_path / "M").write_text(" t\n 3\n .1 .2 .3\n")
    with pytest.raises(tova.Error, match="3 values for 3 objects"):
        tova.read_matrix_dis(tmp_path / "M")
    (tmp_path / "L").write_text(" t\n 2 2\n .1 .2\n .3\n")
    with pytest.raises(tova.Error, match="without 2 values"):
        tova.read_loads(tmp_path / "L")


def test_scipy_and_skbio_take_the_results():
    from scipy.cluster.hierarchy import linkage
    from skbio import DistanceMatrix
    data = tova.read(EXAMPLE)
    g = tova.gower(data)
    assert linkage(g, "average").shape == (29, 4)
    dm = DistanceMatrix(tova.squareform(g), [f"plot{i}" for i in range(1, 31)])
    assert dm["plot1", "plot2"] == np.float32(g[0])


def test_the_kernels_run_without_the_gil():
    import threading
    import time
    values, types, periods = random_data(np.random.default_rng(5), n=4000)
    done = threading.Event()
    worker = threading.Thread(target=lambda: (tova.gower(values, types, periods, 1), done.set()))
    started = last = time.perf_counter()
    longest = 0.0
    worker.start()
    while not done.is_set():
        now = time.perf_counter()
        longest, last = max(longest, now - last), now
    worker.join()
    # Holding the lock, the call would stop this loop for nearly all of it.
    assert longest < 0.5 * (last - started)
