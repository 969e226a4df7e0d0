"""What the package refuses instead of returning other numbers than asked
for, with the message that says so; and a refused draw leaves its stream
where it was."""
import numpy as np
import pytest

import vxalea

UNAVAILABLE = [m["name"] for m in vxalea.methods() if not m["available"]]
s = vxalea.Stream  # shorthand for the table

# what is called, the exception, a part of its message
CASES = [
    (lambda: s("NOPE"), ValueError, "unknown method 'NOPE'; choose one of MTHYBRID"),
    (lambda: s(UNAVAILABLE[0]), ValueError, "cannot run on this machine"),
    (lambda: s("MT64", seed=0), ValueError, "seed 0 would seed from the clock"),
    (lambda: s("MT64", seed=-1), ValueError, "seed must not be negative"),
    (lambda: s("MT64", seed=1.5), TypeError, "seed must be an integer, not float"),
    (lambda: s("MT32", seed=2**32), ValueError, "seed 4294967296 is above MT32's largest seed, 4294967295"),
    (lambda: s("XOR64", key=1), ValueError, "engine XOR64 takes no keys and would ignore key"),
    (lambda: s("XORGENS", thread=1), ValueError, "engine XORGENS takes no thread numbers"),
    (lambda: s("PCG32I", key=1024), ValueError, "key 1024 is beyond the keys PCG32I keeps apart, 0 to 1023"),
    (lambda: s("PCG64I", thread=2**43), ValueError, "thread 8796093022208 is beyond the thread numbers PCG64I"),
    (lambda: s.for_task(1, 0, method="XOR128"), ValueError, "engine XOR128 takes no keys, so the tasks"),
    (lambda: s.for_task(1, 1023, method="PCG32I"), ValueError, "task 1023 is beyond the tasks engine PCG32I keeps apart"),
    (lambda: s.for_task(None, 3), ValueError, "needs an experiment seed"),
    (lambda: vxalea.BitGenerator("SUBKEY64", seed=1), ValueError, "SUBKEY64 is kept for compatibility"),
    (lambda: vxalea.BitGenerator("XOR64", seed=1).spawn(1), ValueError, "XOR64 takes no keys, so spawn()"),
    (lambda: vxalea.BitGenerator("PCG32I", seed=1, key=1020).spawn(4), ValueError, "last, 1020, beyond the keys"),
    (lambda: s().uniform(conversion="53_nope"), ValueError, "unknown conversion '53_nope'"),
    (lambda: s("MT64").uniform(conversion="32_closed_open"), ValueError, "MT64 has no 32_closed_open conversion"),
    (lambda: s().raw(width=16), ValueError, "width must be 32 or 64"),
    (lambda: s().normal(out=np.empty(3, np.float32)), ValueError, "out must have dtype float64"),
    (lambda: s().normal(out=np.empty((4, 4))[:, 1]), ValueError, "out must be C-contiguous"),
    (lambda: s().normal(3, out=np.empty(4)), ValueError, r"size 3 does not match out.shape \(4,\)"),
    (lambda: s().normal(-2), ValueError, "size must not be negative"),
    (lambda: s().normal(loc=np.nan), ValueError, "loc must be a finite number"),
    (lambda: s().gamma(2.0, scale=0.0), ValueError, "scale must be a finite number above 0"),
    (lambda: s().erlang(2**31), ValueError, "must fit in 32 bits"),
    (lambda: s().binomial(2**63, 0.5), ValueError, "must fit in 64 bits"),
    (lambda: vxalea.murmur32("text"), TypeError, "encode the text first"),
    (lambda: vxalea.murmur32(b"", seed=2**32), ValueError, "murmur32 seed is 32 bits"),
    (lambda: vxalea.murmur64([1, -1]), ValueError, "a word must not be negative"),
    (lambda: vxalea.murmur64(np.array([0.5])), TypeError, "words must be integers"),
]


@pytest.mark.parametrize("call, error, message", CASES)
def test_refusals(call, error, message):
    with pytest.raises(error, match=message):
        call()


# sampler, refused parameters, the message (one row per kind of parameter list)
SAMPLERS = [
    ("weibull", (0.0, 1.0), "weibull sampler refuses shape 0.0, scale 1.0"),
    ("gamma", (-1.0,), "gamma sampler refuses alpha -1.0"),
    ("beta", (0.0, 2.0), "beta sampler refuses alpha 0.0, beta 2.0"),
    ("t", (0.05,), "t sampler refuses df 0.05"),
    ("binomial", (-1, 0.5), "binomial sampler refuses n -1, p 0.5"),
    ("negbinomial", (0.0, 2.0), "negbinomial sampler refuses prob_succ 0.0, num_succ 2.0"),
    ("hypergeometric", (10, 11, 2), "hypergeometric sampler refuses nn 10, n 11, k 2"),
    ("poisson", (np.nan,), "poisson sampler refuses lam nan"),
]


@pytest.mark.parametrize("name, params, message", SAMPLERS)
@pytest.mark.parametrize("size", [None, 5])
def test_refused_parameters_draw_nothing(name, params, message, size):
    stream = vxalea.Stream("MT64", seed=12)
    with pytest.raises(ValueError, match=message + r" \(it gives the missing value\)"):
        getattr(stream, name)(*params, size=size)
    np.testing.assert_array_equal(stream.normal(4), vxalea.Stream("MT64", seed=12).normal(4))
