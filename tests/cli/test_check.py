"""vemo check: exit codes, text and JSON, and the sample catalogue, which must be clean."""
import os
import shutil
import tempfile
import unittest

from test_json_schema import object_problems
from vemo_cli import CATALOG, DEMO, nowhere, vemo, vemo_json, write


class CheckTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)

    def test_the_sample_catalogue_is_clean(self):
        # Its JSON document is the page's example (test_json_schema).
        text = vemo("check", "--catalog", CATALOG)
        self.assertEqual((text.returncode, text.stderr), (0, ""))
        self.assertEqual(text.stdout.splitlines()[-1], f"Checked {CATALOG}/: 4 catalogue files, 6 device entries, no problems")

    def test_problems_give_exit_1_one_text_line_each_and_conforming_json(self):
        # The demo device with nvoStatus at its old, wrong size, and a file that does not parse.
        with open(os.path.join(CATALOG, DEMO + ".xml")) as file:
            write(os.path.join(self.folder, DEMO + ".xml"),
                  file.read().replace('<NV Index="O1" Size="6"', '<NV Index="O1" Size="4"'))
        write(os.path.join(self.folder, "broken.xml"), "<C5Devices>\n  <C5Device>\n")
        result, check = vemo_json("check", "--catalog", self.folder)
        self.assertEqual((result.returncode, check["clean"], object_problems(check, "check")), (1, False, []))
        problems = [(os.path.basename(p["xmlFilename"]), p["programId"], p["kind"]) for p in check["problems"]]
        self.assertEqual(problems, [(DEMO + ".xml", DEMO, "nv-size"), ("broken.xml", "", "unreadable-file")])
        self.assertIn("SNVT_obj_status of 6 bytes", check["problems"][0]["description"])
        self.assertNotIn("XML Parsing Error", result.stderr, "no message box is shown")

        text = vemo("check", "--catalog", self.folder)
        lines = text.stdout.splitlines()
        self.assertEqual((text.returncode, len(lines)), (1, 3), text.stdout)
        self.assertTrue(lines[0].startswith(f"{DEMO}.xml  {DEMO}  nv-size: NV \"O1\" nvoStatus"), lines[0])
        self.assertTrue(lines[1].startswith("broken.xml  unreadable-file: A lookup shows this report"), lines[1])
        self.assertIn("Line Number: 3", lines[1])
        self.assertEqual(lines[2], f"Checked {self.folder}/: 2 catalogue files, 1 device entry, 2 problems")

    def test_control_characters_of_a_catalogue_do_not_reach_the_terminal(self):
        write(os.path.join(self.folder, "a.xml"),
              '<C5Devices><C5Device ProgramID="P0000000000000001\x1b[31m"/></C5Devices>')
        text = vemo("check", "--catalog", self.folder)
        self.assertEqual(text.returncode, 1)
        self.assertNotIn("\x1b", text.stdout)
        self.assertIn("unreadable-file", text.stdout)

    def test_without_a_folder_check_reports_error_76_as_its_own(self):
        result, answer = vemo_json("check", env=nowhere(self.folder))
        self.assertEqual((result.returncode, answer["kind"], answer["error"]["number"], answer["error"]["source"]),
                         (1, "error", 76, "check"))
        for command in ("check", "list"):  # the folders tried, named once
            self.assertEqual(vemo(command, env=nowhere(self.folder)).stderr.count("VEMO_DEFAULT_CATALOG_DIR"), 1)
        result, check = vemo_json("check", env=dict(nowhere(self.folder), VEMO_CONFIG_PATH=self.folder))
        self.assertEqual((result.returncode, check["folder"], check["files"]), (0, self.folder + "/", 0))


if __name__ == "__main__":
    unittest.main()
