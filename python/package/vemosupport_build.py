"""The build backend of pyproject.toml: builds the module with the project's CMake build
and packs it as the package `vemosupport`. It needs the standard library, CMake and the
project's build dependencies, and no package from an index, so `pip install .` works
offline, with or without build isolation.

The package is laid out as a small installation prefix, so that the library finds the
sample catalogue beside itself as every installed copy does:

    vemosupport/__init__<suffix>             the extension module, serving as the package
    vemosupport/__init__.pyi, py.typed       its type stubs
    vemosupport/lib/libvemosupport.so.N      the library, on the module's run path $ORIGIN/lib
    vemosupport/share/vemosupport/catalog/   the sample catalogue, the default folder

Config settings (pip --config-settings NAME=VALUE): build-dir=FOLDER keeps the CMake
build there for the next build; without it the build happens in a temporary folder.
"""

import io
import os
import re
import shutil
import subprocess
import sys
import sysconfig
import tarfile
import tempfile
from pathlib import Path

from wheel_archive import write_wheel

NAME = "vemosupport"
SUMMARY = "Offline LonWorks device support: catalogue lookup and virtual nodes"
SOURCE = Path(__file__).resolve().parents[2]
# The prefix folders inside the package, as the library's build is told them, so the
# library's own relative path to its catalogue holds in the package.
LIBDIR, DATADIR = "lib", "share"
# What an sdist holds: everything the build reads, and the documents.
SDIST_CONTENT = ("CMakeLists.txt", "pyproject.toml", "README.md", "LICENSE", "cmake", "include", "src",
                 "resources", "python", "tools", "catalog")


def _version():
    found = re.search(r"project\(\s*vemosupport\s+VERSION\s+([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text())
    if not found:
        raise RuntimeError("CMakeLists.txt names no project version")
    return found.group(1)


def _metadata(version):
    return f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {version}\nSummary: {SUMMARY}\n"


def _tag():
    """The wheel tag of the interpreter running the build, which CMake builds for."""
    interpreter = {"cpython": "cp", "pypy": "pp"}.get(sys.implementation.name, sys.implementation.name)
    interpreter += f"{sys.version_info.major}{sys.version_info.minor}"
    soabi = (sysconfig.get_config_var("SOABI") or "").split("-")
    abi = "cp" + soabi[1] if soabi[0] == "cpython" and len(soabi) > 1 else "_".join(soabi[:2]) or "none"
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return f"{interpreter}-{abi}-{platform}"


def _build_module(build):
    """Configures and builds the module in `build`; answers the module's and the
    library's files."""
    configure = ["cmake", "-S", str(SOURCE), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                 "-DVEMO_BUILD_TESTS=OFF", "-DVEMO_BUILD_BENCH=OFF", "-DVEMO_BUILD_FUZZ=OFF",
                 "-DVEMO_BUILD_PYTHON=ON", f"-DPython_EXECUTABLE={sys.executable}",
                 # pybind11 would link with -flto, which buys a module this size nothing.
                 "-DCMAKE_INTERPROCEDURAL_OPTIMIZATION=OFF",
                 f"-DVEMO_PYTHON_RUNPATH=$ORIGIN/{LIBDIR}",
                 f"-DCMAKE_INSTALL_LIBDIR={LIBDIR}", f"-DCMAKE_INSTALL_DATADIR={DATADIR}"]
    # A build folder keeps the generator it was made with.
    if shutil.which("ninja") and "CMAKE_GENERATOR" not in os.environ and not (build / "CMakeCache.txt").exists():
        configure += ["-G", "Ninja"]
    subprocess.run(configure, check=True)
    compile_module = ["cmake", "--build", str(build), "--target", "vemosupport_python"]
    if "CMAKE_BUILD_PARALLEL_LEVEL" not in os.environ:
        compile_module += ["--parallel", str(os.cpu_count() or 1)]
    subprocess.run(compile_module, check=True)
    module, library = (build / "python" / "package-files.txt").read_text().split()
    return Path(module), Path(library)


def _package_files(module, library):
    """The package's files: archive name to source file or content."""
    package = Path(NAME)
    suffix = module.name[len(NAME):]
    files = {
        package / f"__init__{suffix}": module,
        package / "__init__.pyi": SOURCE / "python" / f"{NAME}.pyi",
        package / "py.typed": b"",
        package / LIBDIR / library.name: library.resolve(),
    }
    catalog = SOURCE / "catalog"
    for path in sorted(catalog.rglob("*")):
        if path.is_file():
            files[package / DATADIR / NAME / "catalog" / path.relative_to(catalog)] = path
    return {name.as_posix(): source for name, source in files.items()}


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    build_dir = (config_settings or {}).get("build-dir")
    with tempfile.TemporaryDirectory(prefix="vemosupport-build-") as scratch:
        build = Path(build_dir).resolve() if build_dir else Path(scratch)
        files = _package_files(*_build_module(build))
        version = _version()
        if (SOURCE / "LICENSE").is_file():
            files[f"{NAME}-{version}.dist-info/LICENSE"] = SOURCE / "LICENSE"
        return write_wheel(wheel_directory, NAME, version, _tag(), files, _metadata(version))


def _leave_out_caches(entry):
    return None if "__pycache__" in Path(entry.name).parts else entry


def build_sdist(sdist_directory, config_settings=None):
    version = _version()
    base = f"{NAME}-{version}"
    with tarfile.open(Path(sdist_directory) / f"{base}.tar.gz", "w:gz", format=tarfile.PAX_FORMAT) as sdist:
        for name in SDIST_CONTENT:
            if (SOURCE / name).exists():
                sdist.add(SOURCE / name, f"{base}/{name}", filter=_leave_out_caches)
        info = _metadata(version).encode("utf-8")
        entry = tarfile.TarInfo(f"{base}/PKG-INFO")
        entry.size, entry.mode = len(info), 0o644
        sdist.addfile(entry, io.BytesIO(info))
    return f"{base}.tar.gz"
