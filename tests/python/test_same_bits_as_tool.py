"""The package gives the tool's numbers bit for bit, however draws are split."""
import functools
import json
import math
import subprocess

import numpy as np
import pytest

import vxalea

# name, Python arguments (also the tool's words), method, seed[, key, thread]
DISTRIBUTIONS = [
    ("uniform", (), "MT64", 11), ("normal", (), "PCG32I", 12, 7, 3),
    ("lognormal", (), "FRY4X64", 13), ("exponential", (), "MTHYBRID", 14, 2, 0),
    ("cauchy", (), "XOR128", 15), ("weibull", (1.5, 2.0), "PCG64I", 16),
    ("triangle", (0.3,), "MT32", 17), ("gamma", (2.5,), "MT64", 18, 5, 2),
    ("gamma", (0.5,), "FRY2X32", 19), ("erlang", (3,), "XORGENS", 20),
    ("chisquare", (4.0,), "MT1998", 21), ("beta", (0.5, 0.5), "MT64", 22),
    ("beta", (2.0, 3.0), "FRY2X64", 23), ("f", (5.0, 7.0), "XOR1024", 24),
    ("t", (5.0,), "MH3", 25), ("bernoulli", (0.3,), "XOR64", 26),
    ("binomial", (20, 0.3), "MT64", 27), ("binomial", (1000, 0.4), "PCG64I", 28),
    ("negbinomial", (0.4, 3.5), "XOR4096", 29), ("geometric", (0.2,), "MTHYBRID", 30),
    ("hypergeometric", (50, 20, 10), "FRY4X64", 31), ("poisson", (30.0,), "MT64", 32),
    ("poisson", (3.0,), "PCG32I", 33), ("poisson", (200.0,), "MT32", 34),
    ("table", ([0.2, 0.3, 0.4],), "MT64", 35),
]
N = 60


def drawn_in_pieces(stream, name, args, **shift):
    draw = functools.partial(getattr(stream, name), *args, **shift)
    out = np.empty(7)
    parts = [[draw()], draw(size=np.int64(2)), draw(size=(1, 3)).ravel(), draw(out=out), [draw()]]
    assert parts[3] is out
    return np.concatenate(parts + [draw(size=N - sum(map(len, parts)))])


def words(name, args):
    return ("--table", ",".join(map(str, args[0]))) if name == "table" else args


# name, Python arguments, loc and scale: on MT64 seed 41
SHIFTED = [("normal", (), dict(loc=1.5, scale=2.0)), ("lognormal", (), dict(loc=0.5, scale=0.25)),
           ("gamma", (2.5,), dict(loc=-1.0, scale=3.0)), ("weibull", (1.5, 2.0), dict(loc=4.0)),
           ("triangle", (0.3,), dict(scale=10.0))]
ROWS = [r + (0, 0)[len(r) - 4:] + ({},) for r in DISTRIBUTIONS] + [(n, a, "MT64", 41, 0, 0, sh) for n, a, sh in SHIFTED]


@pytest.mark.parametrize("name, args, method, seed, key, thread, shift", ROWS)
def test_every_distribution(tool, name, args, method, seed, key, thread, shift):
    stream = tool.stream_args(method, seed, key, thread)
    options = [w for k, v in shift.items() for w in ("--" + k, v)]
    expected = tool.words("draw", name, *words(name, args), *options, *stream, "-n", N)
    got = drawn_in_pieces(vxalea.Stream(method, seed=seed, key=key, thread=thread), name, args, **shift)
    np.testing.assert_array_equal(got.view(np.uint64), expected)
    if shift:  # loc + scale * x; the lognormal is exp(loc + scale * z)
        l, s = shift.get("loc", 0.0), shift.get("scale", 1.0)
        x = tool.words("draw", "normal" if name == "lognormal" else name, *args, *stream, "-n", N).view(np.float64)
        formula = np.array([math.exp(l + s * v) for v in x]) if name == "lognormal" else l + s * x
        np.testing.assert_array_equal(got.view(np.uint64), formula.view(np.uint64))


AVAILABLE = [m["name"] for m in vxalea.methods() if m["available"]]


@pytest.mark.parametrize("method", AVAILABLE)
def test_raw_outputs(tool, method):
    expected = tool.words("raw", *tool.stream_args(method, 99), "-n", 40)
    s = vxalea.Stream(method, seed=99)
    got = np.concatenate([s.raw(size=3), np.array([s.raw()], dtype=np.uint64), s.raw(size=np.array([4, 9])).ravel()])
    assert s.raw(size=1).dtype == (np.uint64 if s.bits > 32 else np.uint32)
    np.testing.assert_array_equal(got.astype(np.uint64), expected)
    if method in ("MT32", "FRY4X64"):  # at the other width
        expected = tool.words("raw", *tool.stream_args(method, 5), "--width", 96 - s.bits, "-n", 10)
        np.testing.assert_array_equal(vxalea.Stream(method, seed=5).raw(10, width=96 - s.bits), expected)


CONVERSIONS = ["open", "fast", "crude", "infinite", "32_reject_zero", "53_reject_zero", "64_reject_zero_one"] + [
    f"{bits}_{ends}" for bits in (32, 53, 64) for ends in ("closed_open", "open_open", "open_closed", "closed_closed")]


@pytest.mark.parametrize("method", ["MT64", "MTHYBRID"])
def test_every_conversion(tool, method):
    for conversion in CONVERSIONS:
        stream = vxalea.Stream(method, seed=3)
        try:
            expected = tool.words("uniform", *tool.stream_args(method, 3), "--conversion", conversion, "-n", 20)
        except subprocess.CalledProcessError:
            # The engine leaves this conversion empty: a refusal on both sides.
            with pytest.raises(ValueError, match=conversion):
                stream.uniform(conversion=conversion)
            continue
        got = np.concatenate([[stream.uniform(conversion=conversion)], stream.uniform(19, conversion=conversion)])
        np.testing.assert_array_equal(got.view(np.uint64), expected, err_msg=conversion)


def test_engine_table(tool):
    listed = json.loads(tool.run("methods", "--json"))
    ours = vxalea.methods()
    assert [m["name"] for m in ours] == [m["name"] for m in listed]
    for mine, theirs in zip(ours, listed):
        for field, value in theirs.items():
            if field in ("has", "max_seed", "max_key"):
                value = int(value, 16)
            elif field in ("key_max", "thread_max") and value is not None:
                value = int(value)
            assert mine[field] == value, (mine["name"], field)


def test_hashes(tool):
    data = bytes(range(256)) * 3 + b"tail"
    assert vxalea.murmur32(data, seed=77) == int(tool.run("hash", "murmur32", "--seed", 77, stdin=data), 16)
    assert vxalea.murmur32(memoryview(b"abc")) == int(tool.run("hash", "murmur32", stdin=b"abc"), 16)
    words = [1, 2**64 - 1, 3, 2**40]
    listed = ",".join(map(str, words))
    h = tool.run("hash", "murmur128", "--words", listed, "--seed", 9).split()
    assert vxalea.murmur128(words, seed=9) == (int(h[0], 16), int(h[1], 16))
    as_array = np.array(words, dtype=np.uint64)
    assert vxalea.murmur64(as_array, seed=9) == int(tool.run("hash", "murmur64", "--words", listed, "--seed", 9), 16)
    assert vxalea.murmur64(as_array[::2], seed=9) == vxalea.murmur64(words[::2], seed=9)
