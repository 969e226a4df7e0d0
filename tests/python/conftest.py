"""The command-line tool the tests compare with, named by VXALEA_TOOL (ctest
sets it to the tool of the same build)."""
import os
import subprocess

import numpy as np
import pytest


class Tool:
    def __init__(self, path):
        self.path = path

    def run(self, *args, stdin=None):
        return subprocess.run([self.path, *map(str, args)], input=stdin, capture_output=True, check=True).stdout.decode()

    def stream_args(self, method, seed, key=0, thread=0):
        return ["--method", method, "--seed", seed] + ["--key", key] * bool(key) + ["--thread", thread] * bool(thread)

    def words(self, *args):
        """The values of a --format hex run, as uint64 bit patterns."""
        return np.array([int(w, 16) for w in self.run(*args, "--format", "hex").split()], dtype=np.uint64)


@pytest.fixture(scope="session")
def tool():
    if not os.environ.get("VXALEA_TOOL"):
        pytest.fail("VXALEA_TOOL must name the vxalea tool of this build (ctest sets it)")
    return Tool(os.environ["VXALEA_TOOL"])
