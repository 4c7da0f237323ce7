"""The vemo command as a person or a script uses it, on the sample catalogue."""
import json
import os
import subprocess
import tempfile
import unittest

VEMO = os.environ["VEMO"]
CATALOG = os.environ["VEMO_CATALOG"]
DEMO = "9A10C0DE00010401"


def vemo(*args, env=None):
    return subprocess.run([VEMO, *args], capture_output=True, text=True, timeout=60, env=env)


def vemo_json(*args):
    result = vemo(*args, "--json")
    return result, json.loads(result.stdout)


class InfoTest(unittest.TestCase):
    def test_device_record_by_program_id_and_by_code(self):
        result, by_id = vemo_json("info", DEMO, "--catalog", CATALOG)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(by_id["programId"], DEMO)
        self.assertTrue(by_id["isValid"])
        self.assertEqual(by_id["deviceCode"], "ZC41")
        self.assertEqual(by_id["xmlFilename"], os.path.join(CATALOG, DEMO + ".xml"))
        self.assertEqual({"name": "ProgramID", "value": DEMO}, by_id["items"][0])
        _, by_code = vemo_json("info", "ZC41", "--catalog", CATALOG)
        self.assertEqual(by_code["programId"], DEMO)

        text = vemo("info", DEMO, "--catalog", CATALOG)
        self.assertEqual(text.returncode, 0)
        self.assertIn("Device " + DEMO, text.stdout)
        self.assertIn("ZC41", text.stdout)

    def test_configuration_record(self):
        result, record = vemo_json("config-info", DEMO, "--catalog", CATALOG)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(record["programId"], "P" + DEMO)
        self.assertTrue(record["isValid"])
        self.assertIn("Level", vemo("config-info", DEMO, "--catalog", CATALOG).stdout)


class NodeTest(unittest.TestCase):
    def test_populated_node_shows_the_configuration_files_values(self):
        kiv = os.path.join(CATALOG, DEMO + ".kiv")
        result, node = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", kiv)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(node["populated"])
        self.assertEqual(node["configurationFile"], kiv)
        self.assertEqual(node["uniqueNodeNum"], "FFFF00000000")
        self.assertEqual(node["objects"][0]["name"], "Device Object")
        cps = {cp["key"]: cp for cp in node["configurationProperties"]}
        # Every data point is filed in an object and every value was read.
        filed = [key for obj in node["objects"] for key in obj["configurationProperties"]]
        self.assertEqual(sorted(filed), sorted(cps))
        self.assertTrue(all("value" in point for point in node["configurationProperties"] + node["networkVariables"]))

        # Without the file the configuration properties are zero: the file took effect.
        _, bare = vemo_json("node", DEMO, "--catalog", CATALOG)
        self.assertNotEqual([cp["value"] for cp in bare["configurationProperties"]],
                            [cp["value"] for cp in node["configurationProperties"]])
        self.assertTrue(all(set(cp["value"]) <= {"0"} for cp in bare["configurationProperties"]))

        text = vemo("node", DEMO, "--catalog", CATALOG, "--config", kiv)
        self.assertIn("+- [-1] Device Object", text.stdout)
        self.assertIn("configuration  value", text.stdout)

    def test_a_configuration_file_of_another_device_leaves_the_node_unloaded(self):
        with tempfile.NamedTemporaryFile("w", suffix=".kiv", delete=False) as kiv:
            kiv.write("vemo-kiv 1\nprogram-id 0000000000000000\n01 02\n")
        try:
            result, node = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", kiv.name)
            self.assertEqual(result.returncode, 0)
            self.assertFalse(node["populated"])
            self.assertEqual(node["configurationFile"], kiv.name)
        finally:
            os.unlink(kiv.name)


class ErrorTest(unittest.TestCase):
    def test_library_errors_carry_number_source_and_description(self):
        result, answer = vemo_json("info", "12345", "--catalog", CATALOG)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(answer["error"], {"number": 380, "source": "CreateProgIDInfo",
                                           "description": "Invalid value for sProgID, must be 4 or 16 chars long!"})
        self.assertIn("error 380 in CreateProgIDInfo", result.stderr)
        result = vemo("config-info", "ZC41", "--catalog", CATALOG)
        self.assertEqual(result.returncode, 1)
        self.assertIn("must be 16 chars long!", result.stderr)

    def test_without_a_catalogue_folder_the_normal_resolution_applies(self):
        with tempfile.TemporaryDirectory() as empty:
            missing = os.path.join(empty, "missing")
            nowhere = dict(os.environ, VEMO_CONFIG_PATH=missing, VEMO_DEFAULT_CATALOG_DIR=missing)
            result = vemo("info", DEMO, "--catalog", missing, env=nowhere)
            self.assertEqual(result.returncode, 1)
            self.assertIn("error 76 in CreateProgIDInfo: Folder not found", result.stderr)
            # The catalogue-path service's folder, then the default folder, stand in.
            for env in (dict(nowhere, VEMO_CONFIG_PATH=CATALOG), dict(nowhere, VEMO_DEFAULT_CATALOG_DIR=CATALOG)):
                result = vemo("info", "ZC41", env=env)
                self.assertEqual(result.returncode, 0, result.stderr)

    def test_not_found_has_its_own_exit_code(self):
        result, answer = vemo_json("node", "FFFFFFFFFFFFFFFF", "--catalog", CATALOG)
        self.assertEqual(result.returncode, 3)
        self.assertEqual(answer, {"found": False, "id": "FFFFFFFFFFFFFFFF"})

    def test_broken_catalogue_files_are_reported_on_standard_error(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "broken.xml"), "w") as broken:
                broken.write("<C5Devices>\n<C5Device>\n</C5Devices>\n")
            result = vemo("info", "ZZ99", "--catalog", folder)
        self.assertEqual(result.returncode, 3)
        self.assertIn("XML Parsing Error", result.stderr)
        self.assertIn("Line Number: 3", result.stderr)
        self.assertEqual(result.stdout, "")

    def test_help_and_usage(self):
        for command in ([], ["info"], ["config-info"], ["node"]):
            result = vemo(*command, "--help")
            self.assertEqual(result.returncode, 0, command)
            self.assertIn("--catalog" if command else "node", result.stdout)
        self.assertEqual(vemo().returncode, 2)
        self.assertEqual(vemo("info").returncode, 2)
        self.assertEqual(vemo("node", DEMO, "--bogus").returncode, 2)


if __name__ == "__main__":
    unittest.main()
