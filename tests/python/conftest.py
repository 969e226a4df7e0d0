"""The command-line tool the tests compare with, named by VXALEA_TOOL (ctest
sets it to the tool of the same build)."""
import os
import subprocess

import numpy as np
import pytest


class Tool:
    def __init__(self, path):
        self.path = path
        draw_help = self.run("draw", "--help")
        # older tools named the integer seed --int-seed
        self.seed_option = "--seed" if "--user-seed" in draw_help else "--int-seed"
        self.has_loc = "--loc" in draw_help

    def run(self, *args, stdin=None):
        done = subprocess.run([self.path, *map(str, args)], input=stdin, capture_output=True, check=True)
        return done.stdout.decode()

    def stream_args(self, method, seed, key=0, thread=0):
        return ["--method", method, self.seed_option, seed] + ["--key", key] * bool(key) + ["--thread", thread] * bool(thread)

    def words(self, *args):
        """The values of a --format hex run, as uint64 bit patterns."""
        return np.array([int(w, 16) for w in self.run(*args, "--format", "hex").split()], dtype=np.uint64)


@pytest.fixture(scope="session")
def tool():
    path = os.environ.get("VXALEA_TOOL")
    if not path:
        pytest.fail("VXALEA_TOOL must name the vxalea tool of this build (ctest sets it)")
    return Tool(path)
