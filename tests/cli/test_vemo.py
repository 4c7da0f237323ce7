"""The vemo command as a person or a script uses it, on the sample catalogue."""
import json
import os
import resource
import subprocess
import tempfile
import unittest

VEMO = os.environ["VEMO"]
CATALOG = os.environ["VEMO_CATALOG"]
DEMO = "9A10C0DE00010401"
KIV = os.path.join(CATALOG, DEMO + ".kiv")


def vemo(*args, env=None):
    return subprocess.run([VEMO, *args], capture_output=True, text=True, timeout=60, env=env)


def vemo_json(*args):
    result = vemo(*args, "--json")
    return result, json.loads(result.stdout)


class RecordsTest(unittest.TestCase):
    def test_records_by_program_id_and_by_code_in_both_forms(self):
        for command, key, expected in (("info", "programId", DEMO), ("config-info", "programId", "P" + DEMO)):
            result, record = vemo_json(command, DEMO, "--catalog", CATALOG)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(record[key], expected)
            self.assertTrue(record["isValid"])
            self.assertIn(DEMO, vemo(command, DEMO, "--catalog", CATALOG).stdout)
        _, by_code = vemo_json("info", "ZC41", "--catalog", CATALOG)
        self.assertEqual((by_code["programId"], by_code["xmlFilename"]), (DEMO, os.path.join(CATALOG, DEMO + ".xml")))
        self.assertEqual(by_code["items"][0], {"name": "ProgramID", "value": DEMO})


class NodeTest(unittest.TestCase):
    def test_populated_node_shows_the_configuration_files_values(self):
        result, node = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", KIV)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual((node["populated"], node["configurationFile"], node["uniqueNodeNum"]), (True, KIV, "FFFF00000000"))
        self.assertEqual(node["objects"][0]["name"], "Device Object")
        filed = [key for obj in node["objects"] for key in obj["configurationProperties"]]
        self.assertEqual(sorted(filed), sorted(cp["key"] for cp in node["configurationProperties"]))
        self.assertTrue(all("value" in point for point in node["configurationProperties"] + node["networkVariables"]))
        # Without the file the CPs are zero: the file took effect.
        _, bare = vemo_json("node", DEMO, "--catalog", CATALOG)
        self.assertTrue(all(set(cp["value"]) <= {"0"} for cp in bare["configurationProperties"]))
        self.assertNotEqual(bare["configurationProperties"], node["configurationProperties"])
        self.assertIn("+- [-1] Device Object", vemo("node", DEMO, "--catalog", CATALOG, "--config", KIV).stdout)

    def test_a_configuration_file_of_another_device_leaves_the_node_unloaded(self):
        with tempfile.TemporaryDirectory() as folder:
            kiv = os.path.join(folder, "other.kiv")
            with open(kiv, "w") as file:
                file.write("vemo-kiv 1\nprogram-id 0000000000000000\n01 02\n")
            result, node = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", kiv)
        self.assertEqual((result.returncode, node["populated"], node["configurationFile"]), (0, False, kiv))


class ErrorTest(unittest.TestCase):
    def test_library_errors_carry_number_source_and_description(self):
        result, answer = vemo_json("info", "12345", "--catalog", CATALOG)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(answer["error"], {"number": 380, "source": "CreateProgIDInfo",
                                           "description": "Invalid value for sProgID, must be 4 or 16 chars long!"})
        self.assertIn("error 380 in CreateProgIDInfo", result.stderr)

    def test_without_a_catalogue_folder_the_normal_resolution_applies(self):
        with tempfile.TemporaryDirectory() as empty:
            missing = os.path.join(empty, "missing")
            nowhere = dict(os.environ, VEMO_CONFIG_PATH=missing, VEMO_DEFAULT_CATALOG_DIR=missing)
            result = vemo("info", DEMO, "--catalog", missing, env=nowhere)
            self.assertEqual(result.returncode, 1)
            self.assertIn("error 76 in CreateProgIDInfo: Folder not found", result.stderr)
            for env in (dict(nowhere, VEMO_CONFIG_PATH=CATALOG), dict(nowhere, VEMO_DEFAULT_CATALOG_DIR=CATALOG)):
                self.assertEqual(vemo("info", "ZC41", env=env).returncode, 0)

    def test_not_found_and_broken_files(self):
        result, answer = vemo_json("node", "FFFFFFFFFFFFFFFF", "--catalog", CATALOG)
        self.assertEqual((result.returncode, answer), (3, {"found": False, "id": "FFFFFFFFFFFFFFFF"}))
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "broken.xml"), "w") as broken:
                broken.write("<C5Devices>\n<C5Device>\n</C5Devices>\n")
            result = vemo("info", "ZZ99", "--catalog", folder)
        self.assertEqual((result.returncode, result.stdout), (3, ""))
        self.assertIn("XML Parsing Error", result.stderr)
        self.assertIn("Line Number: 3", result.stderr)

    def test_help_and_usage(self):
        for command in ([], ["info"], ["config-info"], ["node"]):
            result = vemo(*command, "--help")
            self.assertEqual(result.returncode, 0, command)
            self.assertIn("--catalog" if command else "node", result.stdout)
        for args in ((), ("info",), ("node", DEMO, "--bogus")):
            self.assertEqual(vemo(*args).returncode, 2, args)


class HostileInputTest(unittest.TestCase):
    def test_bytes_that_are_not_utf8_never_abort_the_json_output(self):
        bad_id = b"9A10C0DE0001\xff\xfe01"
        for args in ((b"info", bad_id), (b"node", DEMO.encode(), b"--config", b"/nonexistent/\xff.kiv")):
            result = subprocess.run([VEMO, *args, b"--catalog", CATALOG.encode(), b"--json"],
                                    capture_output=True, timeout=60)
            self.assertIn(result.returncode, (0, 1, 3), result.stderr)
            answer = json.loads(result.stdout)
            self.assertIsInstance(answer, dict)
        self.assertEqual(json.loads(subprocess.run([VEMO, b"info", bad_id, b"--catalog", CATALOG.encode(), b"--json"],
                                                   capture_output=True, timeout=60).stdout)["id"],
                         "9A10C0DE0001\ufffd\ufffd01")

    @unittest.skipIf(os.environ.get("VEMO_SANITIZED") == "1", "the sanitizers need more address space than the limit")
    def test_running_out_of_memory_is_reported_not_an_abort(self):
        entry = '<C5Device ProgramID="P0"><DevInfo><DeviceCode>AB12</DeviceCode></DevInfo></C5Device>\n'
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "a.xml"), "w") as big:
                big.write("<C5Devices>\n" + entry * 190000 + "</C5Devices>\n")
            limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (80 << 20, 80 << 20))
            result = subprocess.run([VEMO, "info", "ZZZZ", "--catalog", folder], capture_output=True, text=True,
                                    timeout=60, preexec_fn=limit)
        self.assertIn(result.returncode, (1, 3), result.stderr[-500:])
        self.assertNotIn("parser error", result.stderr, "libxml2 writes nothing of its own")

    def test_a_pipe_as_configuration_file_is_refused_at_once(self):
        with tempfile.TemporaryDirectory() as folder:
            pipe = os.path.join(folder, "device.kiv")
            os.mkfifo(pipe)
            result, node = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", pipe)
        self.assertEqual((result.returncode, node["populated"]), (0, False))

    def test_a_broken_file_cannot_drive_the_terminal_through_the_message_box(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "broken.xml"), "w") as broken:
                broken.write("<C5Devices>\x1b]0;owned\x07\x1b[2J\u009b31m<oops\n")
            result = vemo("info", "ZZ99", "--catalog", folder)
        self.assertIn("XML Parsing Error", result.stderr)
        for control in ("\x1b", "\x07", "\u009b"):
            self.assertNotIn(control, result.stderr)


if __name__ == "__main__":
    unittest.main()
