"""The build backend of pyproject.toml: builds the module with the project's CMake build
and packs it as the package `vemosupport`. It needs the standard library, CMake and the
project's build dependencies, and no package from an index, so `pip install .` works
offline, with or without build isolation.

The package is an installation of the build (`cmake --install --strip`) laid out as a
small prefix, so that the library finds the sample catalogue beside itself as every
installed copy does:

    vemosupport/__init__<suffix>             the extension module, serving as the package
    vemosupport/__init__.pyi, py.typed       its type stubs
    vemosupport/__main__.py                  python -m vemosupport, and the `vemo` console script
    vemosupport/BINDIR/vemo                  the vemo program, on its run path $ORIGIN/../LIBDIR
    vemosupport/LIBDIR/libvemosupport.so.N   the library, on the module's run path $ORIGIN/LIBDIR
    vemosupport/DATADIR/vemosupport/catalog/ the sample catalogue, the default folder

BINDIR, LIBDIR and DATADIR are the build's own (lib and share unless it was configured otherwise).

Config settings (pip --config-settings NAME=VALUE): build-dir=FOLDER builds in FOLDER and
keeps the build there for the next time; without it the build happens in a temporary
folder. A FOLDER that already holds a build of the project with the Python module for
this interpreter is packaged as it is configured: whatever is up to date is not built
again, so a build that `make test` made is packaged without compiling anything.
"""

import importlib.machinery
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


def _cache(build):
    """The CMake cache of a configured build folder as a dictionary."""
    entries = {}
    for line in (build / "CMakeCache.txt").read_text().splitlines():
        name, found, value = line.partition("=")
        if found and not line.startswith(("#", "//")):
            entries[name.split(":")[0]] = value
    return entries


def _build_and_install(build, staging):
    """Builds the module in `build` (configuring the folder first when it holds no build)
    and installs the build into `staging`; answers the build's CMake cache."""
    if not (build / "CMakeCache.txt").exists():
        configure = ["cmake", "-S", str(SOURCE), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                     "-DVEMO_BUILD_TESTS=OFF", "-DVEMO_BUILD_BENCH=OFF", "-DVEMO_BUILD_FUZZ=OFF",
                     "-DVEMO_BUILD_PYTHON=ON", f"-DPython_EXECUTABLE={sys.executable}",
                     # pybind11 would link with -flto, which buys a module this size nothing.
                     "-DCMAKE_INTERPROCEDURAL_OPTIMIZATION=OFF"]
        if shutil.which("ninja") and "CMAKE_GENERATOR" not in os.environ:
            configure += ["-G", "Ninja"]
        subprocess.run(configure, check=True)
    cache = _cache(build)
    if cache.get("VEMO_BUILD_PYTHON") != "ON":
        raise RuntimeError(f"{build} is a build without the Python module")
    # The installation takes the vemo command as well, with its completion and manual page.
    compile_module = ["cmake", "--build", str(build), "--target", "vemosupport_python", "vemo", "vemo_documents"]
    if "CMAKE_BUILD_PARALLEL_LEVEL" not in os.environ:
        compile_module += ["--parallel", str(os.cpu_count() or 1)]
    subprocess.run(compile_module, check=True)
    subprocess.run(["cmake", "--install", str(build), "--prefix", str(staging), "--strip"], check=True,
                   stdout=subprocess.DEVNULL)
    return cache


def _package_files(staging, cache, scratch):
    """The package's files from the installation in `staging`: archive name to source file
    or content."""
    # An empty DATADIR is GNUInstallDirs' way of saying DATAROOTDIR.
    libdir = cache["CMAKE_INSTALL_LIBDIR"]
    datadir = cache.get("CMAKE_INSTALL_DATADIR") or cache.get("CMAKE_INSTALL_DATAROOTDIR") or "share"
    module = next(path for path in staging.rglob(f"{NAME}.*") if path.suffix == ".so")
    suffix = module.name[len(NAME):]
    if suffix not in importlib.machinery.EXTENSION_SUFFIXES:
        raise RuntimeError(f"{module.name} is built for another interpreter than {sys.executable}")
    # The module finds the library beside itself. `--strip` left it as it was: the
    # installation copies the module by a rule of its own, not as a target.
    script = Path(scratch) / "runpath.cmake"
    script.write_text('file(RPATH_SET FILE "${MODULE}" NEW_RPATH "$ORIGIN/${LIBDIR}")\n')
    subprocess.run(["cmake", f"-DMODULE={module}", f"-DLIBDIR={libdir}", "-P", str(script)], check=True)
    if cache.get("CMAKE_STRIP"):
        subprocess.run([cache["CMAKE_STRIP"], str(module)], check=True)
    # The library by the name the module asks for (a wheel holds no links).
    library = min((staging / libdir).glob("libvemosupport.so.*"), key=lambda path: len(path.name))
    package = Path(NAME)
    bindir = cache.get("CMAKE_INSTALL_BINDIR") or "bin"
    files = {
        package / f"__init__{suffix}": module,
        package / "__init__.pyi": module.with_name(f"{NAME}.pyi"),
        package / "__main__.py": SOURCE / "python" / "vemosupport_main.py",
        package / "py.typed": b"",
        package / libdir / library.name: library.resolve(),
        package / bindir / "vemo": staging / bindir / "vemo",
    }
    data = staging / datadir / NAME
    for path in sorted(data.rglob("*")):
        if path.is_file():
            files[package / datadir / NAME / path.relative_to(data)] = path
    return {name.as_posix(): source for name, source in files.items()}


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    build_dir = (config_settings or {}).get("build-dir")
    with tempfile.TemporaryDirectory(prefix="vemosupport-build-") as scratch:
        build = Path(build_dir).resolve() if build_dir else Path(scratch, "build")
        staging = Path(scratch, "installed")
        files = _package_files(staging, _build_and_install(build, staging), scratch)
        version = _version()
        if (SOURCE / "LICENSE").is_file():
            files[f"{NAME}-{version}.dist-info/LICENSE"] = SOURCE / "LICENSE"
        # pip makes the `vemo` command of this entry point.
        files[f"{NAME}-{version}.dist-info/entry_points.txt"] = b"[console_scripts]\nvemo = vemosupport.__main__:main\n"
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
