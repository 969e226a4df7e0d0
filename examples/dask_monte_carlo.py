#!/usr/bin/python3
"""A Monte Carlo price on a Dask cluster, the same to the last bit on 1, 2 or
4 worker processes.

The price of an arithmetic-average Asian call (no closed form) over
geometric Brownian paths.  The work is split by task, not by worker: task k
draws from vxalea.Stream.for_task(experiment_seed, k), the substream of key
k + 1, whichever process runs it, and returns its partial sums.  The sums
are added in task order, so the result does not depend on how the tasks
were spread over the workers, and another experiment seed gives another
result.

    PYTHONPATH=build/python python3 examples/dask_monte_carlo.py [--seed S]
        [--tasks T] [--workers 1,2,4] [--check]

--check (run by ctest) exits 1 unless the worker counts agree bit for bit
and the next experiment seed differs.
"""
import argparse
import logging
import math
import os
import sys

import numpy as np

import vxalea

S0, STRIKE, RATE, SIGMA, YEARS = 100.0, 100.0, 0.05, 0.2, 1.0
STEPS, PATHS = 32, 64  # per task
METHOD = "MT64"
BLOCK = 50  # tasks per Dask task: fewer futures to schedule, same numbers


def partial_sums(experiment_seed, k):
    """Discounted payoff sum and sum of squares of task k's paths."""
    z = vxalea.Stream.for_task(experiment_seed, k, method=METHOD).normal(size=(PATHS, STEPS))
    dt = YEARS / STEPS
    log_s = math.log(S0) + np.cumsum((RATE - 0.5 * SIGMA**2) * dt + SIGMA * math.sqrt(dt) * z, axis=1)
    payoff = math.exp(-RATE * YEARS) * np.maximum(np.exp(log_s).mean(axis=1) - STRIKE, 0.0)
    return float(payoff.sum()), float((payoff * payoff).sum())


def block(experiment_seed, first, last):
    return os.getpid(), [partial_sums(experiment_seed, k) for k in range(first, last)]


def price(client, experiment_seed, tasks):
    futures = [client.submit(block, experiment_seed, b, min(b + BLOCK, tasks), pure=False)
               for b in range(0, tasks, BLOCK)]
    results = client.gather(futures)
    total = total_sq = 0.0
    for _, sums in results:  # task order
        for s, sq in sums:
            total += s
            total_sq += sq
    n = tasks * PATHS
    mean = total / n
    return mean, math.sqrt((total_sq / n - mean * mean) / (n - 1)), len({pid for pid, _ in results})


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=2026, help="experiment seed")
    parser.add_argument("--tasks", type=int, default=4000)
    parser.add_argument("--workers", default="1,2,4", help="worker process counts, comma-separated")
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()

    from dask.distributed import Client, LocalCluster

    prices = []
    other = None
    counts = [int(w) for w in args.workers.split(",")]
    for workers in counts:
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None,
                          silence_logs=logging.ERROR) as cluster, Client(cluster) as client:
            mean, se, pids = price(client, args.seed, args.tasks)
            print(f"{workers} worker(s), tasks ran in {pids} process(es): {mean!r} +- {se:.4f}  ({mean.hex()})")
            prices.append(mean)
            if args.check and workers == counts[-1]:
                other, _, _ = price(client, args.seed + 1, args.tasks)
                print(f"experiment seed {args.seed + 1}: {other!r}")
    if args.check:
        if len({p.hex() for p in prices}) != 1:
            print("FAIL: the worker counts give different results", file=sys.stderr)
            return 1
        if other == prices[0]:
            print("FAIL: another experiment seed gives the same result", file=sys.stderr)
            return 1
        print("same result for every worker count")
    return 0


if __name__ == "__main__":
    sys.exit(main())
