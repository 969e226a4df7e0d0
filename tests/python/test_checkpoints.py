"""Restored streams (restore, pickle, copy, the tool's state files) continue
exactly; bytes that are not a checkpoint this build takes are refused."""
import copy
import pickle
import struct

import numpy as np
import pytest

import vxalea


def mixed(s):
    """Draws of every kind as bits, reaching each saved set-up and the normal pair cache."""
    parts = [s.raw(9), s.raw(3, width=32), s.normal(5), s.uniform(4), s.gamma(0.7, 3), s.gamma(2.5, 3),
             s.beta(2.0, 3.0, 3), s.binomial(40, 0.3, 3), s.poisson(30.0, 3), s.normal(), s.t(4.0, 3),
             s.hypergeometric(50, 20, 10, 2), s.table([0.2, 0.5], 2), s.raw(2000)]
    arrays = [np.atleast_1d(np.asarray(p)) for p in parts]
    return np.concatenate([(a.view(np.uint64) if a.dtype == np.float64 else a).astype(np.uint64) for a in arrays])


# Every engine at every kind of save point is the C++ layer's sweep (the same
# checkpoint code); here the package's ways to a restored stream.
@pytest.mark.parametrize("duplicate", [lambda s: vxalea.Stream.restore(s.checkpoint()), copy.copy,
                                       lambda s: pickle.loads(pickle.dumps(s)),
                                       lambda s: pickle.loads(pickle.dumps(s, protocol=2))])
def test_copies_are_independent_and_continue_identically(duplicate):
    s = vxalea.Stream("FRY4X64", seed=7, key=2, thread=3)
    s.normal(3)
    c = duplicate(s)
    assert (c.method, c.seed, c.key, c.thread) == ("FRY4X64", 7, 2, 3)
    ahead = c.normal(1001)  # moves the copy only
    np.testing.assert_array_equal(s.normal(1001), ahead)
    np.testing.assert_array_equal(mixed(c), mixed(s))
    s.rewind()
    c.rewind()
    np.testing.assert_array_equal(c.raw(50), s.raw(50))


def test_the_tools_files_continue_in_python_and_back(tool, tmp_path):
    state = tmp_path / "run.ckpt"
    run = ["draw", "normal", *tool.stream_args("MT64", 99)]
    whole = tool.words(*run, "-n", 2 * 777)  # the tool, in one run
    tool.run(*run, "-n", 777, "--save-state", state)
    s = vxalea.Stream.restore(state.read_bytes())
    np.testing.assert_array_equal(s.normal(388).view(np.uint64), whole[777:1165])
    state.write_bytes(pickle.loads(pickle.dumps(s)).checkpoint())
    np.testing.assert_array_equal(tool.words("draw", "normal", "--load-state", state, "-n", 389), whole[1165:])


def patched(data, offset, fmt, value):
    b = bytearray(data)
    return struct.pack_into(fmt, b, offset, value) or bytes(b)


GOOD = vxalea.Stream("MT64", seed=1).checkpoint()
# what is restored, a part of the ValueError's message
REFUSED = [
    (b"", "not a vxalea checkpoint"),
    (b"VXALEACQ" + GOOD[8:], "not a vxalea checkpoint"),
    (GOOD[:-1], "checkpoint of engine MT64 is truncated or has extra bytes"),
    (patched(GOOD, 8, "=I", 2), "checkpoint format version 2; this build reads version 1"),
    (patched(GOOD, 12, ">I", 0x01020304), "the other byte order"),
    (patched(GOOD, 16, "16s", b"NOPE"), "engine NOPE: unknown method 'NOPE'"),
    (patched(GOOD, 16, "16s", b"MT32"), "does not fit this build's MT32"),
    (patched(GOOD, 36, "=I", 2), "flags this build does not know"),
]


@pytest.mark.parametrize("data, message", REFUSED + [(5, "a checkpoint is bytes")])
def test_refused_checkpoints_say_why(data, message):
    with pytest.raises(TypeError if data == 5 else ValueError, match=("" if data == 5 else "cannot restore.*") + message):
        vxalea.Stream.restore(data)
