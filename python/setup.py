"""Builds the extension with the project's own CMake, so that it is compiled
with the flags, sources and checks of every other build of vxalea, and
packs it with a copy of libvxalea.so beside it.  Offline, from a checkout:

    pip install --no-build-isolation ./python

Needs cmake, a C++20 compiler, the Python development files and pybind11's
CMake package (Debian: cmake g++ python3-dev pybind11-dev); CMAKE_ARGS adds
options to the configuration (e.g. -DCMAKE_CXX_COMPILER_LAUNCHER=ccache).
"""
import os
import pathlib
import shlex
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent.parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        cmake = shutil.which("cmake")
        if cmake is None:
            sys.exit("vxalea: cmake is needed to build the extension (Debian: cmake)")
        if not (ROOT / "subs" / "zrand.h").is_file():
            sys.exit(f"vxalea: {ROOT} is not a vxalea checkout; install from the checkout's python/ directory")
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        build = pathlib.Path(self.build_temp).resolve() / ("cmake-ninja" if generator else "cmake-make")
        configure = [
            cmake, "-S", str(ROOT), "-B", str(build), *generator,
            "-DCMAKE_BUILD_TYPE=Release",
            "-DVXALEA_BUILD_TESTS=OFF",
            "-DVXALEA_BUILD_BENCH=OFF",
            "-DVXALEA_PYTHON_REQUIRED=ON",
            f"-DPython3_EXECUTABLE={sys.executable}",
            *shlex.split(os.environ.get("CMAKE_ARGS", "")),
        ]
        subprocess.run(configure, check=True)
        subprocess.run([cmake, "--build", str(build), "--target", "vxalea_python", "vxalea_module",
                        "--parallel", str(os.cpu_count() or 1)], check=True)
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(build / "python" / "vxalea" / target.name, target)
        shutil.copyfile(build / "lib" / "libvxalea.so", target.parent / "libvxalea.so")


setup(ext_modules=[Extension("vxalea._vxalea", sources=[])], cmdclass={"build_ext": CMakeBuild})
