"""Builds the shared library with CMake and puts it inside the package.

The library's sources are the project around this folder. Set
EVALO_BUNDLE_LIBRARY=0 to leave the library out (a distribution build
against the system's libevalo.so.1); EVALO_CMAKE_ARGS adds arguments to the
CMake configuration.
"""

import os
import shlex
import shutil
import subprocess
from pathlib import Path

from setuptools import Distribution, setup
from setuptools.command.build_py import build_py

SOURCE_DIR = Path(__file__).resolve().parent.parent
SONAME = "libevalo.so.1"


def bundling() -> bool:
    return os.environ.get("EVALO_BUNDLE_LIBRARY", "1") != "0"


class BuildWithLibrary(build_py):
    def run(self):
        super().run()
        if bundling():
            self.copy_file(str(self.build_library()),
                           str(Path(self.build_lib) / "evalo" / SONAME))

    def build_library(self) -> Path:
        if not (SOURCE_DIR / "CMakeLists.txt").exists():
            raise SystemExit(f"evalo: the library's sources are not at {SOURCE_DIR}; "
                             "build from the source tree, or set EVALO_BUNDLE_LIBRARY=0")
        cmake = shutil.which("cmake")
        if cmake is None:
            raise SystemExit("evalo: building the library needs cmake (apt-get install cmake g++)")
        build_dir = Path(self.build_lib).parent / "evalo-library"
        subprocess.run([cmake, "-S", str(SOURCE_DIR), "-B", str(build_dir),
                        "-DCMAKE_BUILD_TYPE=Release", "-DEVALO_BUILD_TESTS=OFF",
                        "-DEVALO_BUILD_BENCHMARKS=OFF",
                        *shlex.split(os.environ.get("EVALO_CMAKE_ARGS", ""))], check=True)
        subprocess.run([cmake, "--build", str(build_dir), "--target", "evalo",
                        "--parallel", "2"], check=True)
        # The real file, not the SONAME link: a wheel keeps no symbolic links.
        return (build_dir / SONAME).resolve()


class BinaryDistribution(Distribution):
    """With the library inside, the wheel is for this platform only."""

    def has_ext_modules(self):
        return bundling()


setup(cmdclass={"build_py": BuildWithLibrary}, distclass=BinaryDistribution)
