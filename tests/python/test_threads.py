"""A stream or bit generator shared by threads hands each call a run of its
sequence of its own: the calls are serialised, none is torn or lost."""
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import vxalea

THREADS, CALLS, PIECE = 4, 40, 500
TOTAL = THREADS * CALLS * PIECE

# what each call draws on a shared object of seed 8, and the whole sequence
CASES = [
    (lambda: vxalea.Stream("MT64", seed=8), lambda s: s.raw(PIECE), lambda s: s.raw(TOTAL)),
    (lambda: vxalea.Stream("MT64", seed=8), lambda s: s.normal(PIECE), lambda s: s.normal(TOTAL)),
    (lambda: vxalea.BitGenerator("MT64", seed=8), lambda b: b.random_raw(PIECE), lambda s: s.raw(TOTAL)),
]


@pytest.mark.parametrize("make, draw, whole", CASES)
def test_calls_are_serialised(make, draw, whole):
    shared = make()
    with ThreadPoolExecutor(THREADS) as pool:
        chunks = list(pool.map(lambda _: draw(shared), range(THREADS * CALLS)))
    reference = whole(vxalea.Stream("MT64", seed=8))
    where = {v: i for i, v in enumerate(reference.tolist())}
    starts = []
    for c in chunks:  # each chunk is one run of the sequence
        i = where[c[0].item()]
        np.testing.assert_array_equal(c, reference[i:i + len(c)])
        starts.append(i)
    assert sorted(starts) == list(range(0, TOTAL, PIECE))
