"""The bash completion and the manual page that vemo makes of its own command definitions."""
import re
import shutil
import subprocess
import tempfile
import unittest

from vemo_cli import PROJECT, vemo


def listed_in_help(*command):
    """The commands and options a --help lists."""
    text = vemo(*command, "--help").stdout
    options = set(re.findall(r"(?<![\w-])(--?[a-z][\w-]*)", text.split("Subcommands:")[0]))
    commands = set(re.findall(r"^  ([a-z][\w-]*) ", text.split("Subcommands:")[1], re.M)) if "Subcommands:" in text else set()
    return commands, options


def completions(script, *words):
    """What the completion offers for the command line `vemo WORDS...`, the last word being typed."""
    line = " ".join(("vemo",) + words)
    done = subprocess.run(["bash", "-c", f'source "$1"; complete -p vemo; COMP_WORDS=(vemo "${{@:2}}"); '
                           'COMP_CWORD=$(( $# - 1 )); COMP_LINE="$0"; _vemo; printf "%s\\n" "${COMPREPLY[@]}"',
                           line, script, *words], capture_output=True, text=True, timeout=30, cwd=PROJECT)
    assert done.returncode == 0, done.stderr
    first, *offered = done.stdout.splitlines()
    assert first.endswith(" vemo"), first  # `complete -p vemo`: the function is registered for vemo
    return set(offered)


class GeneratedDocumentsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.script = cls.folder.name + "/vemo.bash"
        with open(cls.script, "w") as file:
            file.write(vemo("--generate", "completion-bash").stdout)
        cls.commands, cls.top_options = listed_in_help()

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_the_completion_offers_every_command_and_option_that_help_lists(self):
        self.assertGreater(len(self.commands), 7)
        self.assertEqual(completions(self.script, ""), self.commands | self.top_options)
        for command in self.commands:
            with self.subTest(command=command):
                _, options = listed_in_help(command)
                self.assertEqual(completions(self.script, command, "-"), options)
        # Values: a folder after --catalog, files after --config; a command's own file arguments.
        self.assertIn("catalog", completions(self.script, "node", "ZC41", "--catalog", "c"))
        self.assertIn("tests", completions(self.script, "list", "--catalog", "t"))
        self.assertNotIn("README.md", completions(self.script, "list", "--catalog", "R"))
        self.assertIn("README.md", completions(self.script, "import-xif", "R"))

    @unittest.skipUnless(shutil.which("groff"), "groff is not installed (Debian package groff-base)")
    def test_the_manual_page_is_valid_and_describes_every_command(self):
        page = vemo("--generate", "man").stdout
        done = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z"], input=page, capture_output=True, text=True)
        self.assertEqual((done.returncode, done.stderr), (0, ""))
        shown = subprocess.run(["groff", "-man", "-Tutf8"], input=page, capture_output=True, text=True).stdout
        shown = re.sub(r".\x08", "", shown)
        for command in self.commands:
            self.assertRegex(shown, rf"\n\s+vemo {command} ", command)
        for option in listed_in_help("node")[1] | listed_in_help("import-xif")[1]:
            self.assertIn(option.replace("-", "\u2212"), shown.replace("-", "\u2212"), option)

    def test_an_unknown_document_is_a_usage_error(self):
        self.assertEqual(vemo("--generate", "zsh").returncode, 2)


if __name__ == "__main__":
    unittest.main()
