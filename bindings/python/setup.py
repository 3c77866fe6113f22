# Builds the _tova extension from the engine sources of the repository this
# folder lives in, with the flags that decide the results' bits: no fused
# multiply-add, no fast math, and each vector dispatch file with its own
# target flags (as analysis/kernels/CMakeLists.txt builds them).
import platform
import sys
from pathlib import Path

import pybind11
from pybind11.setup_helpers import ParallelCompile, naive_recompile
from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parents[2]
if not (ROOT / "analysis" / "tova.h").exists():
    sys.exit("build tova from its repository: the engine sources are in " + str(ROOT))

X86 = platform.machine().lower() in ("x86_64", "amd64") and sys.platform != "win32"
SIMD_OPTIONS = ["-O2", "-Wno-psabi"]
# Sources built with their own options, on top of the common ones.
SPECIAL = {"simd_generic.cpp": SIMD_OPTIONS}
if X86:
    SPECIAL["simd_avx2.cpp"] = SIMD_OPTIONS + ["-mavx2", "-mfma"]
    SPECIAL["simd_avx512.cpp"] = SIMD_OPTIONS + [
        "-mavx512f", "-mavx512vl", "-mavx512dq", "-mavx512bw", "-mfma",
        "-mprefer-vector-width=512"]
# Not part of the library: the console dialogue and the other platform's files.
LEFT_OUT = {"driver.cpp", "file_layer_win32.cpp", "simd_avx2.cpp", "simd_avx512.cpp"}
COMMON = ["-std=c++20", "-O2", "-ffp-contract=off", "-fno-fast-math", "-fvisibility=hidden"]


def engine_sources():
    found = []
    for folder in ("textio", "analysis", "analysis/kernels"):
        for path in sorted((ROOT / folder).glob("*.cpp")):
            if path.name not in LEFT_OUT and path.name not in SPECIAL:
                found.append(str(path))
    return found


class BuildEngine(build_ext):
    """Compiles the engine outside the extension's source list (setuptools
    takes no paths outside this folder there), then links it in."""

    def build_extension(self, ext):
        def compile_(sources, options):
            return self.compiler.compile(
                sources, output_dir=self.build_temp, macros=ext.define_macros,
                include_dirs=ext.include_dirs, extra_postargs=COMMON + options)

        objects = compile_(engine_sources(), [])
        for name, options in SPECIAL.items():
            objects += compile_([str(ROOT / "analysis" / "kernels" / name)], options)
        ext.extra_objects = list(ext.extra_objects or []) + objects
        super().build_extension(ext)


ParallelCompile("TOVA_BUILD_JOBS", default=2, needs_recompile=naive_recompile).install()
setup(
    ext_modules=[Extension(
        "tova._tova",
        sources=["src/module.cpp"],
        include_dirs=[str(ROOT), pybind11.get_include()],
        define_macros=[("TOVA_HAVE_AVX2", None), ("TOVA_HAVE_AVX512", None)] if X86 else [],
        extra_compile_args=COMMON,
        extra_link_args=["-pthread"],
        language="c++")],
    cmdclass={"build_ext": BuildEngine},
)
