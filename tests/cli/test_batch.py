"""Several IDs answered by one vemo info or vemo config-info, as text and as JSON Lines."""
import json
import os
import re
import select
import shlex
import subprocess
import tempfile
import unittest

from test_json_schema import DOC, object_problems
from vemo_cli import CATALOG, DEMO, MISSING, PROJECT, VEMO, nowhere, vemo, vemo_json, write

MALFORMED = "12345"


def json_lines(result):
    """The records of a JSON Lines output; each must be a whole line."""
    lines = result.stdout.split("\n")
    assert lines[-1] == "", "the output ends with a newline"
    return [json.loads(line) for line in lines[:-1]]


def without_query(record):
    return {key: value for key, value in record.items() if key != "query"}


class JsonLinesTest(unittest.TestCase):
    def test_each_record_is_the_single_answer_plus_its_query(self):
        asked = ["ZC41", MISSING, DEMO, "HP31", MALFORMED, "ZC41"]
        records = json_lines(vemo("info", *asked, "--catalog", CATALOG, "--json"))
        self.assertEqual([record["query"] for record in records], asked)
        self.assertEqual([record["kind"] for record in records],
                         ["deviceInfo", "notFound", "deviceInfo", "deviceInfo", "error", "deviceInfo"])
        for record, id in zip(records, asked):
            with self.subTest(id=id):
                self.assertEqual(list(record)[:3], ["schema", "kind", "query"])
                self.assertEqual(object_problems(without_query(record), record["kind"]), [])
                self.assertEqual(without_query(record), vemo_json("info", id, "--catalog", CATALOG)[1])

    def test_one_id_keeps_the_single_document_and_from_always_gives_lines(self):
        single = vemo("info", "ZC41", "--catalog", CATALOG, "--json")
        self.assertGreater(single.stdout.count("\n"), 1)
        self.assertNotIn('"query"', single.stdout)
        from_stdin = subprocess.run([VEMO, "info", "--from", "-", "--catalog", CATALOG, "--json"], input="ZC41\n",
                                    capture_output=True, text=True, timeout=60)
        [record] = json_lines(from_stdin)
        self.assertEqual(without_query(record), json.loads(single.stdout))

    def test_the_pages_example_is_what_the_command_prints(self):
        with open(DOC) as file:
            [(command, lines)] = re.findall(r"```sh\n(vemo [^\n]*)\n```\n```jsonl\n(.*?\n)```", file.read(), re.S)
        self.assertEqual(vemo(*shlex.split(command)[1:], cwd=PROJECT).stdout, lines)

    def test_text_that_is_not_utf8_comes_back_losslessly(self):
        bad = b"9A10C0DE0001\xff\xfe01"
        result = subprocess.run([VEMO, b"info", bad, b"ZC41", b"--catalog", CATALOG.encode(), b"--json"],
                                capture_output=True, timeout=60)
        first = json.loads(result.stdout.split(b"\n")[0])
        self.assertEqual((first["kind"], os.fsencode(first["query"]), os.fsencode(first["id"])), ("notFound", bad, bad))


class ExitCodeTest(unittest.TestCase):
    def test_every_id_is_answered_and_an_error_outweighs_a_missing_entry(self):
        cases = [(["ZC41", "DA22"], 0), (["ZC41", MISSING, "DA22"], 3), ([MALFORMED, "ZC41"], 1),
                 ([MISSING, MALFORMED], 1), ([MALFORMED, MISSING, "RT04"], 1)]
        for ids, code in cases:
            for output in ((), ("--json",)):
                with self.subTest(ids=ids, output=output):
                    result = vemo("info", *ids, "--catalog", CATALOG, *output)
                    self.assertEqual(result.returncode, code, result.stderr)
                    headers = [line[3:] for line in result.stdout.splitlines() if line.startswith("== ")]
                    self.assertEqual([r["query"] for r in json_lines(result)] if output else headers, ids)

    def test_text_names_each_outcome_under_its_id(self):
        blocks = vemo("info", MISSING, "HP31", MALFORMED, "--catalog", CATALOG).stdout.split("== ")[1:]
        self.assertEqual(blocks[0], MISSING + "\nno catalogue entry\n")
        self.assertTrue(blocks[1].startswith("HP31\nDevice 9A11F00D00030101\n"), blocks[1])
        self.assertEqual(blocks[1][len("HP31\n"):], vemo("info", "HP31", "--catalog", CATALOG).stdout)
        self.assertEqual(blocks[2], MALFORMED + "\nerror 380 in CreateProgIDInfo: "
                                    "Invalid value for sProgID, must be 4 or 16 chars long!\n")

    def test_without_any_folder_each_id_reports_error_76(self):
        with tempfile.TemporaryDirectory() as folder:
            result = vemo("info", "ZC41", DEMO, "--json", env=nowhere(folder))
        self.assertEqual(result.returncode, 1)
        self.assertEqual([(r["kind"], r["error"]["number"]) for r in json_lines(result)], [("error", 76)] * 2)


class FromFileTest(unittest.TestCase):
    def run_from(self, content, *ids):
        with tempfile.TemporaryDirectory() as folder:
            path = write(os.path.join(folder, "ids.txt"), content, "wb")
            result = vemo("info", *ids, "--from", path, "--catalog", CATALOG, "--json")
        return result, json_lines(result)

    def test_comments_and_blank_lines_ask_nothing_and_lines_keep_their_text(self):
        content = b"# devices of floor 2\n\nZC41\r\n   \n\t# indented\n  HP31  \nRT04#x\nDA22"
        result, records = self.run_from(content, "CH07")
        self.assertEqual([r["query"] for r in records], ["CH07", "ZC41", "  HP31  ", "RT04#x", "DA22"])
        # Spaces around an ID are the lookup's to ignore; "#" inside a line is part of it.
        self.assertEqual([r["kind"] for r in records], ["deviceInfo"] * 3 + ["error", "deviceInfo"])
        self.assertEqual((records[2]["deviceCode"], result.returncode), ("HP31", 1))
        result, records = self.run_from(b"# nothing yet\n\n")
        self.assertEqual((result.returncode, records, result.stderr), (0, [], ""))

    def test_an_overlong_line_is_one_bad_query_and_input_without_line_ends_ends(self):
        result, records = self.run_from(b"ZC41\n" + b"A" * 100_000 + b"\r\nDA22\n")
        self.assertEqual([r["kind"] for r in records], ["deviceInfo", "error", "deviceInfo"])
        self.assertEqual((records[1]["error"]["number"], result.returncode), (6, 1))
        self.assertIn("line 2 ", records[1]["error"]["description"])
        endless = subprocess.run([VEMO, "info", "--from", "/dev/zero", "--catalog", CATALOG, "--json"],
                                 capture_output=True, text=True, timeout=30)
        self.assertEqual([r["kind"] for r in json_lines(endless)], ["error"])
        self.assertEqual(endless.returncode, 1)
        self.assertIn("/dev/zero", endless.stderr)

    def test_standard_input_is_answered_line_by_line_as_it_arrives(self):
        process = subprocess.Popen([VEMO, "info", "--from", "-", "--catalog", CATALOG, "--json"],
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        with process:
            for code in ("ZC41", "DA22"):
                process.stdin.write(code.encode() + b"\n")
                process.stdin.flush()
                # The answer comes while standard input is still open.
                self.assertTrue(select.select([process.stdout], [], [], 60)[0], "no answer for " + code)
                self.assertEqual(json.loads(process.stdout.readline())["deviceCode"], code)
            process.stdin.close()
            self.assertEqual(process.wait(timeout=60), 0)


if __name__ == "__main__":
    unittest.main()
