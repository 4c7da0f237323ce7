"""Every command and code block of the documents, run the way a reader would run it.

Shell blocks run line by line from the source folder, with an installed copy's `vemo`
on PATH (a line that names build/... runs the build's own program); `make` lines are
checked with `make -n`, installation lines install into a temporary DESTDIR. Python
blocks run against the build's module and against the installed one; C++ blocks are
compiled and run against the build and against the installation (pkg-config). XML
blocks are catalogue files that must give their device; kiv blocks are configuration
files that must load into their device's node.
"""
import json
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import unittest

SOURCE = os.environ["VEMO_SOURCE_DIR"]
BUILD = os.environ["VEMO_BUILD_DIR"]
PYTHON = os.environ["VEMO_PYTHON"]
CXX = os.environ["VEMO_CXX"]
DOCUMENTS = ("README.md", "CONTRIBUTING.md", "catalog/README.md")
BLOCK = re.compile(r"^```(\w*)\n(.*?)^```", re.S | re.M)


def blocks(document):
    with open(os.path.join(SOURCE, document), encoding="utf-8") as file:
        text = file.read()
    for match in BLOCK.finditer(text):
        line = text.count("\n", 0, match.start()) + 1
        yield match.group(1), match.group(2), f"{document}:{line}"


def commands(script):
    """The commands of a shell block: continued lines joined, comment lines dropped."""
    joined = re.sub(r"\\\n\s*", " ", script)
    return [line for line in joined.splitlines() if line.strip() and not line.lstrip().startswith("#")]


def clean_environment(**extra):
    env = {key: value for key, value in os.environ.items()
           if not key.startswith(("VEMO_", "PYTHON")) and key not in ("DESTDIR", "PKG_CONFIG_PATH")}
    env.update(extra)
    return env


class Installation:
    """The build installed into a temporary prefix, as `cmake --install` does."""

    def __init__(self, folder):
        self.prefix = os.path.join(folder, "prefix")
        subprocess.run(["cmake", "--install", BUILD, "--prefix", self.prefix], check=True, capture_output=True)
        self.bin = os.path.join(self.prefix, "bin")
        self.modules = subprocess.run([PYTHON, os.path.join(SOURCE, "cmake", "python_module_dir.py"), self.prefix],
                                      check=True, capture_output=True, text=True).stdout.strip()
        libdir = os.path.dirname(os.path.dirname(self.pkgconfig_file()))
        self.pkgconfig = os.path.dirname(self.pkgconfig_file())
        self.lib = libdir

    def pkgconfig_file(self):
        for root, _, files in os.walk(self.prefix):
            if "vemosupport.pc" in files:
                return os.path.join(root, "vemosupport.pc")
        raise AssertionError("no pkg-config file installed")


class DocumentsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp()
        cls.installed = Installation(cls.folder)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def run_checked(self, args, where, **kwargs):
        result = subprocess.run(args, capture_output=True, text=True, timeout=300, **kwargs)
        self.assertEqual(result.returncode, 0, f"{where}: {args}\n{result.stdout[-2000:]}\n{result.stderr[-2000:]}")
        return result

    # --- one kind of block each ---------------------------------------------------------

    def run_shell(self, script, where):
        # A home of its own, for commands that write into ~.
        home = tempfile.mkdtemp(dir=self.folder)
        env = clean_environment(PATH=self.installed.bin + os.pathsep + os.environ["PATH"],
                                PYTHONPATH=self.installed.modules, HOME=home)
        for command in commands(script):
            words = shlex.split(command, comments=True)
            if words[0] == "make":
                self.run_checked(["make", "-n", *words[1:]], where, cwd=SOURCE, env=env)
            elif words[:2] == ["cmake", "--install"]:
                self.run_checked(["bash", "-c", command], where, cwd=SOURCE,
                                 env=dict(env, DESTDIR=os.path.join(self.folder, "destdir")))
            elif words[0] == "cmake" and os.path.realpath(BUILD) != os.path.realpath(os.path.join(SOURCE, "build")):
                self.skipTest(f"{where}: the document builds in build/, this build is elsewhere")
            else:
                self.run_checked(["bash", "-c", command], where, cwd=SOURCE, env=env)

    def run_python(self, script, where):
        for modules in (os.path.join(BUILD, "python"), self.installed.modules):
            self.run_checked([PYTHON, "-c", script], f"{where} with {modules}", cwd=SOURCE,
                             env=clean_environment(PYTHONPATH=modules))

    def run_cpp(self, program, where):
        source = os.path.join(self.folder, "example.cpp")
        with open(source, "w") as file:
            file.write(program)
        build_lib = os.path.join(BUILD, "src")
        flags = {
            "build": ["-std=c++20", "-I" + os.path.join(SOURCE, "include"), "-I" + os.path.join(BUILD, "include"),
                      "-L" + build_lib, "-lvemosupport", "-Wl,-rpath," + build_lib],
            "installation": shlex.split(self.run_checked(
                ["pkg-config", "--cflags", "--libs", "vemosupport"], where,
                env=clean_environment(PKG_CONFIG_PATH=self.installed.pkgconfig)).stdout) +
            ["-Wl,-rpath," + self.installed.lib],
        }
        for against, extra in flags.items():
            program_file = os.path.join(self.folder, "example-" + against)
            self.run_checked([CXX, source, "-o", program_file, *extra], f"{where} against the {against}")
            self.run_checked([program_file], f"{where} against the {against}", cwd=SOURCE, env=clean_environment())

    def run_xml(self, catalogue, where):
        program_id = re.search(r'ProgramID="P(\w{16})"', catalogue).group(1)
        folder = tempfile.mkdtemp(dir=self.folder)
        with open(os.path.join(folder, "devices.xml"), "w") as file:
            file.write(catalogue)
        result = self.run_checked([os.path.join(self.installed.bin, "vemo"), "info", program_id, "--catalog", folder,
                                   "--json"], where, env=clean_environment())
        self.assertNotIn("XML Parsing Error", result.stderr, where)
        self.assertTrue(json.loads(result.stdout)["isValid"], where)

    def run_kiv(self, content, where):
        program_id = re.search(r"^program-id (\S+)", content, re.M).group(1)
        path = os.path.join(self.folder, "example.kiv")
        with open(path, "w") as file:
            file.write(content)
        result = self.run_checked([os.path.join(self.installed.bin, "vemo"), "node", program_id, "--config", path,
                                   "--json"], where, env=clean_environment())
        self.assertTrue(json.loads(result.stdout)["populated"], f"{where}: the file did not load")

    def test_every_block_of_every_document_runs(self):
        runners = {"sh": self.run_shell, "python": self.run_python, "cpp": self.run_cpp, "xml": self.run_xml,
                   "kiv": self.run_kiv}
        seen = 0
        for document in DOCUMENTS:
            for language, body, where in blocks(document):
                self.assertIn(language, runners, f"{where}: a block of a kind no test runs")
                with self.subTest(where=where):
                    runners[language](body, where)
                seen += 1
        self.assertGreater(seen, 5)


if __name__ == "__main__":
    unittest.main()
