"""A stream or bit generator shared by threads hands each call a run of its
sequence of its own: the calls are serialised, none is torn or lost."""
import threading

import numpy as np
import pytest

import vxalea

THREADS, CALLS, PIECE = 4, 40, 500

# what each call draws, and the same sequence drawn in one piece
CASES = [
    ("raw", lambda s: s.raw(PIECE), lambda: vxalea.Stream("MT64", seed=8).raw(THREADS * CALLS * PIECE)),
    ("normal", lambda s: s.normal(PIECE), lambda: vxalea.Stream("MT64", seed=8).normal(THREADS * CALLS * PIECE)),
]


def runs_taken(reference, chunks):
    """Where each chunk starts in the reference sequence, checking that it is
    that run of the sequence."""
    where = {v: i for i, v in enumerate(reference.tolist())}
    starts = []
    for c in chunks:
        i = where[c[0].item()]
        np.testing.assert_array_equal(c, reference[i:i + len(c)])
        starts.append(i)
    return sorted(starts)


def run_threads(call):
    chunks = []

    def work():
        for _ in range(CALLS):
            chunks.append(call())

    threads = [threading.Thread(target=work) for _ in range(THREADS)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    return chunks


@pytest.mark.parametrize("name, draw, whole", CASES)
def test_stream_calls_are_serialised(name, draw, whole):
    stream = vxalea.Stream("MT64", seed=8)
    chunks = run_threads(lambda: draw(stream))
    assert runs_taken(whole(), chunks) == list(range(0, THREADS * CALLS * PIECE, PIECE))


def test_bit_generator_calls_are_serialised():
    bits = vxalea.BitGenerator("MT64", seed=8)
    chunks = run_threads(lambda: bits.random_raw(PIECE))
    whole = vxalea.Stream("MT64", seed=8).raw(THREADS * CALLS * PIECE)
    assert runs_taken(whole, chunks) == list(range(0, THREADS * CALLS * PIECE, PIECE))
