"""`pip install .` makes the package offline with the project's own backend, here from the
build under test (which it does not compile again), and the installed package works on
its own: no environment variable, no build folder, moved elsewhere, with its library,
sample catalogue, type stubs and the vemo command."""

import importlib.util
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import unittest

import vemosupport as vs

from test_stubs import STUB, outside_environment

SOURCE = pathlib.Path(__file__).resolve().parents[2]
# The build whose python/ folder the module under test comes from.
BUILD = pathlib.Path(vs.__file__).resolve().parent.parent
SANITIZED = "libasan" in os.environ.get("LD_PRELOAD", "")

# Run in the installed copy: where the module, its library and its catalogue come from.
REPORT = """
import importlib.metadata, json, sys
sys.path.insert(0, sys.argv[1])
import vemosupport as vs
info = vs.CreateProgIDInfo("9A10C0DE00010401")
maps = open("/proc/self/maps").read().split()
print(json.dumps({"module": vs.__file__, "version": vs.__version__, "record": repr(info),
                  "catalogue": info and info.XMLFilename,
                  "library": [path for path in maps if "libvemosupport" in path][0],
                  "distribution": importlib.metadata.version("vemosupport")}))
"""


def pip_environment():
    """No variable of ours, nothing that points at the build tree, no question asked."""
    env = outside_environment(PIP_DISABLE_PIP_VERSION_CHECK="1", PIP_NO_INPUT="1")
    return {name: value for name, value in env.items() if not name.startswith("VEMO_")}


def pip_install(target, *options):
    command = [sys.executable, "-m", "pip", "install", "--no-index", "--no-deps", "--target", str(target),
               "--config-settings", f"build-dir={BUILD}", *options, str(SOURCE)]
    return subprocess.run(command, env=pip_environment(), capture_output=True, text=True, timeout=600)


@unittest.skipIf(SANITIZED, "the sanitizer build is not packaged")
@unittest.skipUnless(importlib.util.find_spec("pip"), f"pip is not available to {sys.executable}")
@unittest.skipUnless(shutil.which("cmake"), "cmake is not on PATH")
class PackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        cls.target = pathlib.Path(cls.scratch.name, "site")
        cls.built = {path: path.stat().st_mtime_ns for path in BUILD.glob("src/libvemosupport.so*")}
        cls.installed = pip_install(cls.target, "--no-build-isolation")

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def setUp(self):
        self.assertEqual(self.installed.returncode, 0, self.installed.stdout[-3000:] + self.installed.stderr[-3000:])

    def report(self, target, **env):
        """REPORT run in isolated mode with nothing but PATH and `env` set."""
        done = subprocess.run([sys.executable, "-I", "-c", REPORT, str(target)], cwd=self.scratch.name, text=True,
                              env={"PATH": os.environ.get("PATH", ""), **env}, capture_output=True, timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr)
        return json.loads(done.stdout)

    def assertInside(self, path, folder):
        self.assertTrue(pathlib.Path(path).resolve().is_relative_to(folder.resolve()), (path, folder))

    def test_the_installed_package_uses_its_own_library_and_catalogue_even_when_moved_or_built_isolated(self):
        moved = pathlib.Path(self.scratch.name, "elsewhere", "site")
        isolated = pathlib.Path(self.scratch.name, "isolated")
        shutil.copytree(self.target, moved, symlinks=True)
        done = pip_install(isolated)  # plain pip install: an isolated build without an index
        self.assertEqual(done.returncode, 0, done.stdout[-3000:] + done.stderr[-3000:])
        for target in (self.target, moved, isolated):
            with self.subTest(target=target):
                report = self.report(target)
                for key in ("module", "library", "catalogue"):
                    self.assertInside(report[key], target)
                self.assertEqual(report["record"], "<cProgIDInfo 9A10C0DE00010401 ZC41>")
                self.assertEqual(report["version"], report["distribution"])
        self.assertEqual({path: path.stat().st_mtime_ns for path in self.built}, self.built, "the library was rebuilt")

    def test_the_package_gives_a_vemo_command_and_python_m_vemosupport(self):
        env = {"PATH": os.environ.get("PATH", ""), "PYTHONPATH": str(self.target)}
        for command in ([str(self.target / "bin" / "vemo")], [sys.executable, "-m", "vemosupport"]):
            with self.subTest(command=command[-1]):
                run = [subprocess.run(command + args, cwd=self.scratch.name, env=env, capture_output=True, text=True,
                                      timeout=60) for args in (["--version"], ["list", "--json"], ["info", "NONE"])]
                self.assertEqual(run[0].stdout.split()[:2], ["vemo", vs.__version__], run[0].stderr)
                self.assertInside(json.loads(run[1].stdout)["folder"], self.target)  # the packaged catalogue
                self.assertEqual(run[2].returncode, 3, run[2].stderr)

    def test_a_default_folder_the_user_names_wins_over_the_packaged_catalogue(self):
        folder = pathlib.Path(self.scratch.name)
        (folder / "own.xml").write_text('<C5Devices><C5Device ProgramID="P9A10C0DE00010401"><DevInfo><DeviceCode>'
                                        "OWN1</DeviceCode></DevInfo></C5Device></C5Devices>", encoding="utf-8")
        report = self.report(self.target, VEMO_DEFAULT_CATALOG_DIR=str(folder))
        self.assertEqual((report["record"], report["catalogue"]),
                         ("<cProgIDInfo 9A10C0DE00010401 OWN1 invalid>", str(folder / "own.xml")))

    def test_the_type_stubs_ship_with_the_package(self):
        package = self.target / "vemosupport"
        self.assertEqual((package / "__init__.pyi").read_bytes(), STUB.read_bytes())
        # The package declares itself typed; mypy's judgement of the stubs is test_stubs'.
        self.assertTrue((package / "py.typed").is_file())

    def test_the_sdist_configures_and_a_multiarch_pkgconfig_file_finds_its_prefix(self):
        out = pathlib.Path(self.scratch.name, "sdist")
        out.mkdir()
        backend = ("import sys; sys.path.insert(0, sys.argv[1]); import vemosupport_build as backend; "
                   "print(backend.build_sdist(sys.argv[2]))")
        done = subprocess.run([sys.executable, "-c", backend, str(SOURCE / "python" / "package"), str(out)],
                              env=pip_environment(), capture_output=True, text=True, timeout=300, check=True)
        with tarfile.open(out / done.stdout.strip()) as sdist:
            sdist.extractall(out)
            top = out / sdist.getnames()[0].split("/")[0]
        self.assertFalse(list(top.rglob("__pycache__")))
        # Configured for /usr as Debian lays it out (lib/<triplet>), the pkg-config file
        # still finds its prefix from its own folder.
        configured = subprocess.run(["cmake", "-S", str(top), "-B", str(out / "build"), "-DVEMO_BUILD_TESTS=OFF",
                                     "-DVEMO_BUILD_BENCH=OFF", "-DCMAKE_INSTALL_PREFIX=/usr"], env=pip_environment(),
                                    capture_output=True, text=True, timeout=300)
        self.assertEqual(configured.returncode, 0, configured.stderr[-3000:])
        libdir = re.search(r"CMAKE_INSTALL_LIBDIR:PATH=(.*)", (out / "build" / "CMakeCache.txt").read_text())[1]
        (out / "usr" / libdir / "pkgconfig").mkdir(parents=True)
        shutil.copy(out / "build" / "vemosupport.pc", out / "usr" / libdir / "pkgconfig")
        flags = subprocess.run(["pkg-config", "--cflags", "--libs", "vemosupport"], capture_output=True, text=True,
                               env=dict(pip_environment(), PKG_CONFIG_PATH=f"{out}/usr/{libdir}/pkgconfig")).stdout
        paths = {flag[:2]: os.path.normpath(flag[2:]) for flag in flags.split() if flag[:2] in ("-I", "-L")}
        self.assertEqual((paths, "-std=c++20" in flags), ({"-I": f"{out}/usr/include", "-L": f"{out}/usr/{libdir}"},
                                                          True))
