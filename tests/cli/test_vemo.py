"""The vemo command as a person or a script uses it, on the sample catalogue."""
import csv
import io
import json
import os
import resource
import signal
import subprocess
import tempfile
import unittest

from vemo_cli import CATALOG, DEMO, KIV, MISSING, VEMO, nowhere, vemo, vemo_json, write


class RecordsTest(unittest.TestCase):
    # The JSON of each document is held by the examples of docs/json.md (test_json_schema).
    def test_text_records_by_program_id_and_by_code(self):
        for command in ("info", "config-info", "node"):
            for id in (DEMO, "ZC41") if command != "config-info" else (DEMO,):
                result = vemo(command, id, "--catalog", CATALOG)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertIn(DEMO, result.stdout)


class NodeTest(unittest.TestCase):
    def test_without_a_configuration_file_the_cps_are_zero(self):
        _, bare = vemo_json("node", DEMO, "--catalog", CATALOG)
        _, node = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", KIV)
        self.assertTrue(all(set(cp["value"]) <= {"0"} for cp in bare["configurationProperties"]))
        self.assertNotEqual(bare["configurationProperties"], node["configurationProperties"])
        filed = [key for obj in node["objects"] for key in obj["cpKeys"]]
        self.assertEqual(sorted(filed), sorted(cp["key"] for cp in node["configurationProperties"]))
        self.assertIn("+- [-1] Device Object", vemo("node", DEMO, "--catalog", CATALOG, "--config", KIV).stdout)

    def test_points_carry_their_direction_and_place_in_the_block(self):
        _, node = vemo_json("node", DEMO, "--catalog", CATALOG)
        nvs = {nv["name"]: (nv["section"], nv["direction"], nv["blockOffset"]) for nv in node["networkVariables"]}
        # Six CPs take 12 bytes; the configuration NVs follow in index order (30, 31, 32).
        self.assertEqual((nvs["nciSndHrtBt"], nvs["nvoZoneTemp"]), (("NCIs", "input", 12), ("NVOs", "output", None)))
        offsets = {cp["key"]: cp["blockOffset"] for cp in node["configurationProperties"]}
        self.assertEqual(offsets, {101: 0, 102: 2, 103: 4, 104: 5, 105: 9, 106: 11})

    def test_values_show_in_their_type_beside_their_bytes_in_node_and_points(self):
        self.assertIn("type 105 SNVT_temp_p  NVIs (input)  value 21.30 °C  [08 52]", vemo("node", DEMO, "--catalog", CATALOG).stdout)
        rows = list(csv.DictReader(io.StringIO(vemo("points", DEMO, "--catalog", CATALOG, "--csv").stdout, newline="")))
        _, node = vemo_json("node", DEMO, "--catalog", CATALOG)
        self.assertEqual(len(rows), len(node["networkVariables"]) + len(node["configurationProperties"]))
        rows = {(row["point"], row["index"]): row for row in rows}
        self.assertEqual([rows["NV", "12"][key] for key in ("object", "name", "direction", "type", "value", "bytes")],
                         ["[2] Zone", "nviZoneSetpt", "input", "SNVT_temp_p", "21.30 °C", "0x0852"])
        self.assertEqual((rows["CP", "103"]["type"], rows["CP", "103"]["value"]), ("", ""))  # no standard type
        self.assertRegex(vemo("points", DEMO, "--catalog", CATALOG).stdout,
                         r"\n\[2\] Zone +NV 12 +nviZoneSetpt +input +SNVT_temp_p +0x0852 +21\.30 °C\n")

    def test_a_configuration_file_the_node_refuses_is_shown_unloaded_and_says_why(self):
        with open(KIV) as sample:
            text = sample.read()
        # (the file, the words that say why); the first is refused for its ID alone
        files = [(text.replace(DEMO, "0000000000000000"), "names another program ID"),
                 (text + "00\n", "does not hold the device's 29 bytes of configuration data (30 with the spare byte)"),
                 ("<C5Devices/>\n", "is not in the configuration-file format")]
        with tempfile.TemporaryDirectory() as folder:
            for content, words in files:
                kiv = write(os.path.join(folder, "device.kiv"), content)
                for command in ("node", "points"):
                    with self.subTest(words=words, command=command):
                        result, document = vemo_json(command, DEMO, "--catalog", CATALOG, "--config", kiv)
                        self.assertEqual((result.returncode, document["populated"]), (1, False))
                        self.assertIn(f'--config "{kiv}" was not read: it {words}', result.stderr)


class EverydayTest(unittest.TestCase):
    """What a person types, as a person types it."""

    def test_ids_as_copied_from_a_device_interface_file_and_spellings_that_have_an_entry(self):
        self.assertEqual(vemo("info", "9A:10:C0:DE:00:01:04:01", "--catalog", CATALOG).returncode, 0)
        self.assertEqual(vemo("info", "9a:10:c0:de:00:01:04:01", "ZC41", "--catalog", CATALOG).returncode, 0)
        for typed, entry in (("9a10c0de00010401", DEMO), ("zc41", "ZC41")):
            with self.subTest(typed=typed):
                result = vemo("node", typed, "--catalog", CATALOG)
                self.assertEqual(result.returncode, 3)
                self.assertIn(f'no catalogue entry for "{typed}"; "{entry}" has one', result.stderr)
        self.assertNotIn("has one", vemo("info", MISSING, "--catalog", CATALOG).stderr)

    def test_a_misspelt_catalogue_variable_is_named_and_passed_over(self):
        env = dict(os.environ, VEMO_CONFIG_PATH="/no/such/catalog", VEMO_DEFAULT_CATALOG_DIR=CATALOG)
        result = vemo("info", "ZC41", env=env)
        self.assertEqual(result.returncode, 0)
        self.assertIn('VEMO_CONFIG_PATH "/no/such/catalog" is not a folder', result.stderr)
        self.assertNotIn("VEMO_CONFIG_PATH", vemo("info", "ZC41", "--catalog", CATALOG, env=env).stderr)

    def test_diff_exit_code_and_a_set_that_write_config_leaves_out(self):
        self.assertEqual(vemo("diff", DEMO, DEMO, "--catalog", CATALOG, "--exit-code").returncode, 0)
        self.assertEqual(vemo("diff", DEMO, "DA22", "--catalog", CATALOG).returncode, 0)
        self.assertEqual(vemo("diff", DEMO, "DA22", "--catalog", CATALOG, "--exit-code").returncode, 1)
        with tempfile.TemporaryDirectory() as folder:
            result = vemo("node", DEMO, "--catalog", CATALOG, "--set", "nv:12=21.5", "--set", "cp:101=30",
                          "--write-config", os.path.join(folder, "out.kiv"))
        self.assertEqual(result.returncode, 0)
        self.assertIn('"nv:12=21.5": an input or output NV', result.stderr)
        self.assertNotIn("cp:101", result.stderr)


class UsageErrorTest(unittest.TestCase):
    """A usage error exits 2 with nothing on standard output and says what was wrong. An
    explicit --catalog or --config that is not there never falls back on other data."""

    def test_each_usage_error_names_what_was_wrong(self):
        with tempfile.TemporaryDirectory() as folder:
            a_file = write(os.path.join(folder, "file.xml"), "")
            pipe = os.path.join(folder, "device.kiv")
            os.mkfifo(pipe)
            locked = write(os.path.join(folder, "locked.kiv"), "vemo-kiv 1\n")
            os.chmod(locked, 0)
            missing = os.path.join(folder, "missing")
            # (arguments, words of the message)
            cases = [(("lsit",), '"lsit" is no command; the commands are info, config-info, node, points, list, diff, check'),
                     ((), "A subcommand is required"), (("info",), "give a program ID or device code, or --from FILE"),
                     (("node", DEMO, "--bogus"), "--bogus"), (("diff", DEMO), "b is required"),
                     (("info", "ZC41", "--from", folder), f'--from "{folder}" is a folder'),
                     (("info", "ZC41", "--from", missing), f'--from "{missing}" is not a readable file')]
            for path in (missing, a_file, ""):
                for command in (("info", "ZC41"), ("config-info", DEMO), ("node", DEMO), ("list",), ("diff", DEMO, DEMO),
                                ("check",)):
                    cases.append(((*command, "--catalog", path, "--json"), f'--catalog "{path}" is not a folder'))
            for path in [missing, folder, pipe, ""] + ([locked] if os.geteuid() != 0 else []):  # root reads any file
                cases.append((("node", DEMO, "--catalog", CATALOG, "--config", path, "--json"),
                              f'--config "{path}" is not a readable file'))
            fallback = dict(os.environ, VEMO_CONFIG_PATH=CATALOG, VEMO_DEFAULT_CATALOG_DIR=CATALOG)
            for args, words in cases:
                with self.subTest(args=args):
                    result = vemo(*args, env=fallback)
                    self.assertEqual((result.returncode, result.stdout), (2, ""), result.stderr)
                    self.assertIn(words, result.stderr)


class CatalogueFolderTest(unittest.TestCase):
    def test_without_a_catalogue_folder_the_normal_resolution_applies(self):
        with tempfile.TemporaryDirectory() as empty:
            env = nowhere(empty)
            result = vemo("info", DEMO, env=env)
            self.assertEqual(result.returncode, 1)
            self.assertIn("error 76 in CreateProgIDInfo: Folder not found", result.stderr)
            # It says where it looked: both variables and the installed catalogue's places.
            for words in (f'VEMO_CONFIG_PATH "{empty}/missing"', f'VEMO_DEFAULT_CATALOG_DIR "{empty}/missing"',
                          "share/vemosupport/catalog"):
                self.assertIn(words, result.stderr)
            result, answer = vemo_json("list", env=env)
            self.assertEqual((result.returncode, answer["kind"], answer["error"]["number"]), (1, "error", 76))
            # Either variable serves; the configuration path wins over the default folder.
            for found in (dict(env, VEMO_CONFIG_PATH=CATALOG), dict(env, VEMO_DEFAULT_CATALOG_DIR=CATALOG),
                          dict(os.environ, VEMO_CONFIG_PATH=CATALOG, VEMO_DEFAULT_CATALOG_DIR=empty)):
                self.assertEqual(vemo("info", "ZC41", env=found).returncode, 0)
                result, listing = vemo_json("list", env=found)
                self.assertEqual((result.returncode, listing["folder"]), (0, CATALOG + "/"))


class HelpTest(unittest.TestCase):
    def test_help_says_how_the_folder_is_found_and_what_the_exit_codes_mean(self):
        for command in ("info", "config-info", "node", "list", "diff"):
            with self.subTest(command=command):
                result = vemo(command, "--help")
                self.assertEqual(result.returncode, 0)
                text = " ".join(result.stdout.split())
                for words in ("--catalog", "remembered", "VEMO_CONFIG_PATH", "VEMO_DEFAULT_CATALOG_DIR",
                              "sample catalogue installed", "0 done", "1 library error", "2 usage error",
                              "3 no catalogue entry"):
                    self.assertIn(words, text)
        self.assertIn("3 no catalogue entry", vemo("--help").stdout)
        self.assertEqual(vemo("help").stdout, vemo("--help").stdout)
        self.assertTrue(vemo("node", "--help").stdout.startswith("Show the populated"), "no build path in Usage")
        self.assertIn("Usage: vemo node", vemo("node", "--help").stdout)

    def test_version_names_the_program_and_the_library(self):
        result = vemo("--version")
        self.assertEqual(result.returncode, 0)
        self.assertRegex(result.stdout.strip(), r"^vemo \d+\.\d+\.\d+ \(library \d+\.\d+\.\d+\)$")


class OutputFailureTest(unittest.TestCase):
    """Output that did not arrive is a failure, never a silent success."""

    def assertWriteFailure(self, result):
        self.assertNotEqual(result.returncode, -signal.SIGPIPE, "killed by SIGPIPE")
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("cannot write the output", result.stderr)

    @unittest.skipUnless(os.path.exists("/dev/full"), "needs /dev/full")
    def test_a_full_disk_gives_a_non_zero_exit(self):
        for args in (("info", DEMO, "--catalog", CATALOG), ("node", DEMO, "--catalog", CATALOG, "--json"),
                     ("list", "--catalog", CATALOG), ("--help",)):
            with self.subTest(args=args), open("/dev/full", "w") as full:
                self.assertWriteFailure(subprocess.run([VEMO, *args], stdout=full, stderr=subprocess.PIPE,
                                                       text=True, timeout=60))

    def test_a_pipe_whose_reader_left_ends_vemo_quietly_as_it_ends_any_such_tool(self):
        reader, writer = os.pipe()
        os.close(reader)
        try:
            result = subprocess.run([VEMO, "node", DEMO, "--catalog", CATALOG, "--json"], stdout=writer,
                                    stderr=subprocess.PIPE, text=True, timeout=60)
        finally:
            os.close(writer)
        self.assertEqual((result.returncode, result.stderr), (-signal.SIGPIPE, ""))


def run_bytes(*args):
    return subprocess.run([VEMO, *args], capture_output=True, timeout=60)


class HostileInputTest(unittest.TestCase):
    def test_names_that_are_not_utf8_come_back_losslessly_from_the_json(self):
        # Each kind of malformed sequence, and text that must be escaped, in a folder name.
        names = [b"\xff\xfe", b"\xc0\x80", b"\xed\xa0\x80", b"\xf4\x90\x80\x80", b"\xe2\x82", b"\xe2\x82\xac\x80",
                 b"\xf8\x88\x80\x80\x80", b"ok \xc3\xa9 \xf0\x9f\x98\x80", b"\x01\x1f\"\\\x7f\t\n"]
        with tempfile.TemporaryDirectory() as root:
            for name in names:
                with self.subTest(name=name):
                    folder = os.path.join(os.fsencode(root), name)
                    os.mkdir(folder)
                    result = run_bytes(b"list", b"--catalog", folder, b"--json")
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertEqual(os.fsencode(json.loads(result.stdout)["folder"]), folder + b"/")
            # A configuration file whose name is not UTF-8 is read and named as it is.
            kiv = os.path.join(os.fsencode(root), b"\xff.kiv")
            with open(KIV, "rb") as source:
                write(kiv, source.read(), "wb")
            node = json.loads(run_bytes(b"node", DEMO.encode(), b"--config", kiv, b"--catalog", CATALOG.encode(),
                                        b"--json").stdout)
            self.assertEqual((node["populated"], os.fsencode(node["configurationFile"])), (True, kiv))

    @unittest.skipIf(os.environ.get("VEMO_SANITIZED") == "1", "the sanitizers need more address space than the limit")
    def test_running_out_of_memory_is_reported_not_an_abort(self):
        entry = '<C5Device ProgramID="P0"><DevInfo><DeviceCode>AB12</DeviceCode></DevInfo></C5Device>\n'
        with tempfile.TemporaryDirectory() as folder:
            write(os.path.join(folder, "a.xml"), "<C5Devices>\n" + entry * 190000 + "</C5Devices>\n")
            limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (80 << 20, 80 << 20))
            result = subprocess.run([VEMO, "info", "ZZZZ", "--catalog", folder], capture_output=True, text=True,
                                    timeout=60, preexec_fn=limit)
        self.assertIn(result.returncode, (1, 3), result.stderr[-500:])
        self.assertNotIn("parser error", result.stderr, "libxml2 writes nothing of its own")

    def test_a_broken_file_cannot_drive_the_terminal(self):
        with tempfile.TemporaryDirectory() as folder:
            # The message box goes to standard error; the lookup goes on to answer "not found".
            write(os.path.join(folder, "broken.xml"), "<C5Devices>\n\x1b]0;owned\x07\x1b[2J\u009b31m<oops\n")
            result = vemo("info", "ZZ99", "--catalog", folder)
            self.assertEqual((result.returncode, result.stdout), (3, ""))
            self.assertIn("Line Number: 2", result.stderr)
            for command, words in ((("info", "ZZ99"), "XML Parsing Error"), (("list",), "broken.xml")):
                result = vemo(*command, "--catalog", folder)
                self.assertIn(words, result.stderr)
                for control in ("\x1b", "\x07", "\u009b"):
                    self.assertNotIn(control, result.stderr, command)
            result = vemo("node", DEMO, "--catalog", CATALOG, "--config", os.path.join(folder, "\x1b[2Jmissing"))
            self.assertEqual(result.returncode, 2)
            self.assertNotIn("\x1b", result.stderr)
            self.assertIn("?[2Jmissing", result.stderr)


if __name__ == "__main__":
    unittest.main()
