#!/usr/bin/env python3
"""Markdown table of time ratios ours/peer from a Google Benchmark JSON run.

Naming convention (bench/distributions_bench.cpp follows it):

    <group>/<implementation>

The last '/'-separated component of a benchmark's name is the
implementation, everything before it the group, e.g.
``dist/GAMMA/2.5/ours_one`` is implementation ``ours_one`` of group
``dist/GAMMA/2.5``.  Implementations whose name starts with ``ours`` are
ours (``ours_one``, ``ours_buf``); every other implementation of the group
(``std``, ``gsl``, ...) is a peer.  Each ours is paired with each peer of its
group; a ratio below 1 means ours takes less time per item.

``inline`` (bench/samplers_inline_bench.cpp: the same algorithm on the same
uniforms, written inline) is a peer like the others, so ``ours_one/inline``
and ``ours_buf/inline`` appear with it.  A variant ``inline_<what>`` (such
as ``inline_cached``) is paired with ``inline`` alone, as
``inline_<what>/inline``.  Groups without these rows give the table they
always gave.

--peer restricts the peer columns to the ones named (repeatable);
--pair A/B (repeatable) adds the column A/B for any two implementations,
such as ``ours_buf/ours_one``, the buffer form's time against one at a
time;
--limit PAIR=RATIO (repeatable, e.g. ``ours_one/inline=1.3``) marks with a
``*`` every cell of that column above RATIO and lists those rows after the
table.

Time per item: from ``items_per_second`` when the benchmark sets it (CPU
time, or real time with --metric real), else the iteration's time.  With
--benchmark_repetitions the ``median`` aggregate is used; without, the median
of the iteration runs of each name.  Given several JSON runs (of a noisy
machine, say), each name takes the median of its times in the runs.

Usage:
    vxalea_bench --benchmark_filter='^dist/' --benchmark_repetitions=3 \\
        --benchmark_format=json > run.json
    bench/ratios.py run.json [more-runs.json ...] [--prefix dist/]
        [--metric cpu|real] [--peer inline] [--limit ours_one/inline=1.3]
"""
import argparse
import json
import math
import statistics
import sys
from collections import OrderedDict

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def ns_per_item(b, metric):
    time_key = "cpu_time" if metric == "cpu" else "real_time"
    if b.get("items_per_second"):
        per_item = 1e9 / b["items_per_second"]  # from CPU time
        if metric == "real" and b.get("cpu_time"):
            per_item *= b["real_time"] / b["cpu_time"]
        return per_item
    return b[time_key] * UNIT_NS.get(b.get("time_unit", "ns"), 1.0)


def times_of(benchmarks, metric):
    # Registration order, also when --benchmark_enable_random_interleaving
    # shuffled the runs (the sort is stable: runs without the field keep
    # their order).
    benchmarks = sorted(benchmarks, key=lambda b: b.get("family_index", 0))
    medians = [b for b in benchmarks
               if b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median"]
    times = OrderedDict()
    if medians:
        for b in medians:
            times[b["run_name"]] = ns_per_item(b, metric)
    else:
        runs = OrderedDict()
        for b in benchmarks:
            if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred"):
                runs.setdefault(b.get("run_name", b["name"]), []).append(ns_per_item(b, metric))
        for name, v in runs.items():
            times[name] = statistics.median(v)
    return times


def collect(runs, metric, prefix):
    """runs: one benchmarks list per JSON file; a name in several of them
    gets the median of its per-run times."""
    per_name = OrderedDict()
    for benchmarks in runs:
        for name, t in times_of(benchmarks, metric).items():
            per_name.setdefault(name, []).append(t)
    times = OrderedDict((name, statistics.median(v)) for name, v in per_name.items())
    groups = OrderedDict()
    for name, t in times.items():
        if not name.startswith(prefix) or "/" not in name:
            continue
        group, impl = name.rsplit("/", 1)
        groups.setdefault(group, OrderedDict())[impl] = t
    return groups


def fmt_time(t):
    return "–" if t is None else (f"{t:.1f}" if t < 100 else f"{t:.0f}")


def fmt_ratio(r):
    return "–" if r is None else f"{r:.2f}"


def is_variant(impl):
    return impl.startswith("inline_")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("json", nargs="+",
                    help="Google Benchmark JSON output ('-' for stdin); with several "
                         "runs, each time is the median of the runs' times")
    ap.add_argument("--prefix", default="", help="only groups whose name starts with this")
    ap.add_argument("--metric", choices=("cpu", "real"), default="cpu")
    ap.add_argument("--peer", action="append", default=[],
                    help="show only these peers (repeatable; default: all)")
    ap.add_argument("--pair", action="append", default=[], metavar="A/B",
                    help="add the column A/B of two implementations (repeatable)")
    ap.add_argument("--limit", action="append", default=[], metavar="PAIR=RATIO",
                    help="mark cells of column PAIR above RATIO (repeatable)")
    args = ap.parse_args()
    limits = {}
    for item in args.limit:
        pair, _, value = item.partition("=")
        if "/" not in pair or not value:
            sys.exit(f"--limit wants PAIR=RATIO, as ours_one/inline=1.3, not {item!r}")
        limits[pair] = float(value)

    runs = []
    for path in args.json:
        data = json.load(sys.stdin if path == "-" else open(path))
        runs.append(data.get("benchmarks", []))
    groups = collect(runs, args.metric, args.prefix)
    if not groups:
        sys.exit("no benchmarks named <group>/<implementation> in the run")

    ours, peers, variants = [], [], []
    for impls in groups.values():
        for impl in impls:
            if impl.startswith("ours"):
                bucket = ours
            elif is_variant(impl):
                bucket = variants
            else:
                if args.peer and impl not in args.peer:
                    continue
                bucket = peers
            if impl not in bucket:
                bucket.append(impl)
    pairs = [(o, p) for o in ours for p in peers]
    pairs += [(v, "inline") for v in variants]
    for item in args.pair:
        a, _, b = item.partition("/")
        if not a or not b or "/" in b:
            sys.exit(f"--pair wants A/B, as ours_buf/ours_one, not {item!r}")
        pairs.append((a, b))
    timed = ours + peers + variants

    head = ["benchmark"] + [f"{i} ns" for i in timed] + [f"{o}/{p}" for o, p in pairs]
    print("| " + " | ".join(head) + " |")
    print("|" + "|".join(["---"] + ["---:"] * (len(head) - 1)) + "|")
    logs = {pair: [] for pair in pairs}
    over = {pair: [] for pair in pairs}
    for group, impls in groups.items():
        name = group[len(args.prefix):] if args.prefix else group
        cells = [name] + [fmt_time(impls.get(i)) for i in timed]
        for o, p in pairs:
            r = impls[o] / impls[p] if o in impls and p in impls and impls[p] > 0 else None
            cell = fmt_ratio(r)
            if r is not None:
                logs[(o, p)].append(math.log(r))
                limit = limits.get(f"{o}/{p}")
                if limit is not None and r > limit:
                    cell += "*"
                    over[(o, p)].append((name, r))
            cells.append(cell)
        print("| " + " | ".join(cells) + " |")
    geo = ["**geometric mean**"] + [""] * len(timed)
    for pair in pairs:
        v = logs[pair]
        geo.append(f"**{math.exp(sum(v) / len(v)):.2f}**" if v else "–")
    print("| " + " | ".join(geo) + " |")

    for pair in pairs:
        key = f"{pair[0]}/{pair[1]}"
        if key not in limits:
            continue
        rows = over[pair]
        print()
        if not rows:
            print(f"{key}: every row at most {limits[key]:g}.")
            continue
        print(f"{key} above {limits[key]:g} (*): " +
              ", ".join(f"{n} ({fmt_ratio(r)})" for n, r in rows))


if __name__ == "__main__":
    main()
