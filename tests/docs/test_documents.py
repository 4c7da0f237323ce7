"""Every command and code block of the documents, run the way a reader would run it, against
an installed copy of the build: installed under /usr/local into a DESTDIR and then moved
elsewhere, so that it works only if everything finds everything else relative to itself.

Shell blocks run line by line from the source folder, with the installed `vemo` on PATH
(a line that names build/... runs the build's own program; a line that writes a file of
docs/ runs, and its output must equal that file, which stays as it is); `make` lines are
checked with `make -n`, installation lines install into a temporary DESTDIR. Python blocks run
against the installed module; C++ blocks are compiled (pkg-config) and run against the
installation. XML blocks are catalogue files that must give their device; kiv blocks
are configuration files that must load into their device's node. The installed copy also
serves CMake's find_package; the documents' `vemo` lines name no catalogue, so the
installed library must find the installed one.
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


class DocumentsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        """The build installed under /usr/local into a DESTDIR, then moved to `installed`."""
        cls.folder = tempfile.mkdtemp()
        destdir, cls.prefix = os.path.join(cls.folder, "staging"), os.path.join(cls.folder, "installed")
        subprocess.run(["cmake", "--install", BUILD, "--prefix", "/usr/local"], check=True, capture_output=True,
                       env=dict(os.environ, DESTDIR=destdir))
        os.rename(os.path.join(destdir, "usr", "local"), cls.prefix)
        cls.bin = os.path.join(cls.prefix, "bin")
        modules = subprocess.run([PYTHON, os.path.join(SOURCE, "cmake", "python_module_dir.py"), "/usr/local"],
                                 check=True, capture_output=True, text=True).stdout.strip()
        cls.modules = cls.prefix + modules[len("/usr/local"):]
        with open(os.path.join(BUILD, "CMakeCache.txt")) as cache:
            cls.lib = os.path.join(cls.prefix, re.search(r"^CMAKE_INSTALL_LIBDIR:PATH=(.*)$", cache.read(), re.M)[1])

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
        env = clean_environment(PATH=self.bin + os.pathsep + os.environ["PATH"],
                                PYTHONPATH=self.modules, HOME=home)
        for command in commands(script):
            words = shlex.split(command, comments=True)
            picture = re.fullmatch(r"(.*?)\s+>\s*(docs/\S+)", command)
            if picture:  # a file of docs/ made again: it must be current, and is left as it is
                # The README's build/ is the build under test, wherever that is.
                line = re.sub(r"^build/", BUILD.rstrip("/") + "/", picture[1])
                made = subprocess.run(["bash", "-c", line], capture_output=True, timeout=300, cwd=SOURCE, env=env)
                with open(os.path.join(SOURCE, picture[2]), "rb") as file:
                    current = made.returncode == 0 and made.stdout == file.read()
                self.assertTrue(current, f"{where}: {picture[2]} is not current; run the line to make it again")
            elif words[0] == "make":
                self.run_checked(["make", "-n", *words[1:]], where, cwd=SOURCE, env=env)
            elif words[:2] == ["cmake", "--install"]:
                self.run_checked(["bash", "-c", command], where, cwd=SOURCE,
                                 env=dict(env, DESTDIR=os.path.join(self.folder, "destdir")))
            elif words[0] == "cmake" and os.path.realpath(BUILD) != os.path.realpath(os.path.join(SOURCE, "build")):
                self.skipTest(f"{where}: the document builds in build/, this build is elsewhere")
            else:
                self.run_checked(["bash", "-c", command], where, cwd=SOURCE, env=env)

    def run_python(self, script, where):
        self.run_checked([PYTHON, "-c", script], where, cwd=SOURCE, env=clean_environment(PYTHONPATH=self.modules))

    def run_cpp(self, program, where):
        """Built by the README's own build line, run with no variable that points at the library."""
        with open(os.path.join(SOURCE, "README.md"), encoding="utf-8") as file:
            build = re.search(r"`(c\+\+ example\.cpp [^`]*)`", file.read())[1]
        with open(os.path.join(self.folder, "example.cpp"), "w") as file:
            file.write(program)
        self.run_checked(["bash", "-c", build.replace("c++", shlex.quote(CXX), 1)], where, cwd=self.folder,
                         env=clean_environment(PKG_CONFIG_PATH=self.lib + "/pkgconfig"))
        env = {name: value for name, value in clean_environment().items() if name != "LD_LIBRARY_PATH"}
        self.run_checked([os.path.join(self.folder, "example")], where, cwd=SOURCE, env=env)

    def run_xml(self, catalogue, where):
        program_id = re.search(r'ProgramID="P(\w{16})"', catalogue).group(1)
        folder = tempfile.mkdtemp(dir=self.folder)
        with open(os.path.join(folder, "devices.xml"), "w") as file:
            file.write(catalogue)
        result = self.run_checked([os.path.join(self.bin, "vemo"), "info", program_id, "--catalog", folder,
                                   "--json"], where, env=clean_environment())
        self.assertNotIn("XML Parsing Error", result.stderr, where)
        self.assertTrue(json.loads(result.stdout)["isValid"], where)

    def run_kiv(self, content, where):
        program_id = re.search(r"^program-id (\S+)", content, re.M).group(1)
        path = os.path.join(self.folder, "example.kiv")
        with open(path, "w") as file:
            file.write(content)
        result = self.run_checked([os.path.join(self.bin, "vemo"), "node", program_id, "--config", path,
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

    def test_the_installed_copy_serves_cmake_with_a_versioned_library(self):
        for path in ("share/bash-completion/completions/vemo", "share/man/man1/vemo.1"):
            self.assertTrue(os.path.isfile(os.path.join(self.prefix, path)), path)
        soname = self.run_checked(["readelf", "-d", self.lib + "/libvemosupport.so"], "readelf").stdout
        self.assertRegex(soname, r"SONAME.*libvemosupport\.so\.0\b")
        # The consumer sets no C++ standard: the package brings C++20 with it.
        self.run_checked(["bash", "-c", 'cmake -S "$1" -B "$2" -G Ninja -DCMAKE_PREFIX_PATH="$3" && cmake --build "$2" '
                          '&& "$2/consumer" "$3/share/vemosupport/catalog"', "-", SOURCE + "/tests/install/consumer",
                          self.folder + "/consumer", self.prefix], "find_package", env=clean_environment())

if __name__ == "__main__":
    unittest.main()
