#!/usr/bin/python3
"""Nanoseconds per value of vxalea.Stream("MT64") against numpy's own
Generator on PCG64 (numpy.random.default_rng(1)) and on MT19937, a million
values a call, in one run.

The three are timed in turn within each round, their order rotating from
round to round, so that all of them see the same machine; the figure is the
median over the rounds, and the ratios are vxalea's time over numpy's
(below 1: vxalea is quicker).  Where numpy's sampler takes out=, both fill a
preallocated array; otherwise both allocate.

    env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE PYTHONPATH=build/python \\
        /usr/bin/python3 bench/python_vs_numpy.py [--rounds R] [--size N]
"""
import argparse
import statistics
import time

import numpy as np

import vxalea

# name, vxalea's call, numpy's call (stream or generator, out array, size)
CASES = [
    ("uniform", lambda s, o, n: s.uniform(out=o), lambda g, o, n: g.random(out=o)),
    ("normal", lambda s, o, n: s.normal(out=o), lambda g, o, n: g.standard_normal(out=o)),
    ("exponential", lambda s, o, n: s.exponential(out=o), lambda g, o, n: g.standard_exponential(out=o)),
    ("gamma(2.5)", lambda s, o, n: s.gamma(2.5, out=o), lambda g, o, n: g.standard_gamma(2.5, out=o)),
    ("poisson(30)", lambda s, o, n: s.poisson(30.0, size=n), lambda g, o, n: g.poisson(30.0, size=n)),
    ("binomial(20, 0.3)", lambda s, o, n: s.binomial(20, 0.3, size=n), lambda g, o, n: g.binomial(20, 0.3, size=n)),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--size", type=int, default=1_000_000)
    args = parser.parse_args()
    n = args.size
    out = np.empty(n)
    contenders = [
        ("vxalea MT64", vxalea.Stream("MT64", seed=1), 0),
        ("numpy PCG64", np.random.default_rng(1), 1),
        ("numpy MT19937", np.random.Generator(np.random.MT19937(1)), 1),
    ]
    times = {(case[0], name): [] for case in CASES for name, _, _ in contenders}
    for r in range(args.rounds):
        for case in CASES:
            order = contenders[r % 3:] + contenders[:r % 3]
            for name, source, which in order:
                call = case[1 + which]
                t0 = time.perf_counter_ns()
                call(source, out, n)
                times[case[0], name].append((time.perf_counter_ns() - t0) / n)

    print(f"numpy {np.__version__}; {n} values a call, median of {args.rounds} alternating rounds; ns per value")
    print(f"{'':20}{'vxalea MT64':>12}{'numpy PCG64':>13}{'numpy MT19937':>15}{'/PCG64':>9}{'/MT19937':>10}")
    for case in CASES:
        v, p, m = (statistics.median(times[case[0], name]) for name, _, _ in contenders)
        print(f"{case[0]:20}{v:12.2f}{p:13.2f}{m:15.2f}{v / p:9.2f}{v / m:10.2f}")


if __name__ == "__main__":
    main()
