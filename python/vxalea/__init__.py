"""The vxalea module's engines and samplers on numpy arrays.

    import numpy as np, vxalea
    s = vxalea.Stream("MT64", seed=42)       # an engine, its seed, key and thread
    x = s.normal(size=1_000_000)             # numpy float64, the tool's exact numbers
    g = np.random.Generator(vxalea.BitGenerator("FRY4X64", seed=1))
    y = g.standard_gamma(2.5, size=10)       # every numpy distribution on any engine

Stream draws the twenty distributions of `vxalea draw` by the tool's names and
parameter orders; BitGenerator puts an engine behind numpy.random.Generator;
methods() describes the engines; murmur32/64/128 are the module's hashes.
Stream.for_task and BitGenerator.for_task give task k of an experiment its
own substream, the same in whatever process runs it.
"""
from ._vxalea import (
    BitGenerator,
    Stream,
    methods,
    murmur32,
    murmur64,
    murmur128,
    task_substream,
)

__all__ = [
    "BitGenerator",
    "Stream",
    "methods",
    "murmur32",
    "murmur64",
    "murmur128",
    "task_substream",
]
__version__ = "1.0.0"
