"""numpy.random.Generator on vxalea.BitGenerator: numpy's own formulas on the
engine's outputs, children spawned on keys of their own, and task streams."""
import numpy as np
import pytest

import vxalea

N = 1000


def generator(method, **ids):
    return np.random.Generator(vxalea.BitGenerator(method, **ids))


@pytest.mark.parametrize("method", ["MT64", "FRY4X64", "PCG64I", "XOR128", "MT32", "PCG32I", "FRY2X32"])
def test_numpy_formulas_on_the_outputs(method):
    wide = vxalea.Stream(method, seed=7).bits > 32
    raw = vxalea.BitGenerator(method, seed=7).random_raw(N if wide else 2 * N)
    assert wide or raw.max() < 2**32
    np.testing.assert_array_equal(raw, vxalea.Stream(method, seed=7).raw(len(raw)))
    # A 64-bit word is an output or two, the first in the high half; a uint32
    # the high half of a 64-bit output or a 32-bit one; random() (word >> 11) * 2**-53.
    words = raw if wide else (raw[0::2] << np.uint64(32)) | raw[1::2]
    halves = raw >> np.uint64(32) if wide else raw
    np.testing.assert_array_equal(generator(method, seed=7).random(N), (words >> np.uint64(11)) * 2.0**-53)
    np.testing.assert_array_equal(generator(method, seed=7).integers(0, 2**64, N, dtype=np.uint64), words)
    np.testing.assert_array_equal(generator(method, seed=7).integers(0, 2**32, len(halves), dtype=np.uint32), halves)


def test_spawned_children_are_the_substreams_of_fresh_keys():
    parent = vxalea.BitGenerator("FRY4X64", seed=3, key=10)
    children = parent.spawn(3)
    grandchildren = children[1].spawn(2)
    later = parent.spawn(1)
    family = children + grandchildren + later
    assert [c.key for c in family] == [11, 12, 13, 14, 15, 16]
    for c in family:
        assert (c.method, c.seed, c.thread) == ("FRY4X64", 3, 0)
        np.testing.assert_array_equal(
            c.random_raw(50), vxalea.BitGenerator("FRY4X64", seed=3, key=c.key).random_raw(50))
    clock = vxalea.BitGenerator("PCG32I", thread=5)
    assert [(c.seed, c.key, c.thread) for c in clock.spawn(2)] == [(clock.seed, 1, 5), (clock.seed, 2, 5)]


# method, experiment seed, task, sub
TASKS = [("MT64", 2026, 0, 0), ("MT64", 2026, 4999, 3), ("PCG32I", 77, 1022, 2097151), ("FRY2X32", 5, 12, 0)]


@pytest.mark.parametrize("method, seed, task, sub", TASKS)
def test_task_k_is_key_k_plus_1(method, seed, task, sub):
    assert vxalea.task_substream(method, seed, task, sub) == (seed, task + 1, sub)
    expected = vxalea.Stream(method, seed=seed, key=task + 1, thread=sub).raw(20)
    np.testing.assert_array_equal(vxalea.Stream.for_task(seed, task, method=method, sub=sub).raw(20), expected)
    b = vxalea.BitGenerator.for_task(seed, task, method=method, sub=sub)
    np.testing.assert_array_equal(b.random_raw(20), expected)
