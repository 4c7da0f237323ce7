"""Every JSON document of vemo against the rules and examples of docs/json.md."""
import json
import os
import re
import shlex
import tempfile
import unittest

from vemo_cli import CATALOG, DEMO, KIV, PROJECT, VEMO, vemo, vemo_json

DOC = os.path.join(PROJECT, "docs", "json.md")


def read_doc():
    """The object kinds (kind -> [(key, type)]) and the (command, example) pairs of the page."""
    with open(DOC) as file:
        text = file.read()
    kinds, current = {}, None
    for line in text.splitlines():
        heading = re.fullmatch(r"### `(\w+)`", line)
        if heading:
            current = kinds.setdefault(heading.group(1), [])
            continue
        if line.startswith("#"):
            current = None
        row = re.match(r"\| `(\w+)` \| `([^`]+)` \|", line)
        if row and current is not None:
            current.append(row.groups())
    examples = re.findall(r"```sh\n(vemo [^\n]*)\n```\n```json\n(.*?)\n```", text, re.S)
    return kinds, [(command, json.loads(example)) for command, example in examples]


KINDS, EXAMPLES = read_doc()


def problems(value, type_text, path="$"):
    """What is wrong with `value` as `type_text` of the page's type grammar; empty when nothing."""
    found = []
    for alternative in type_text.split(" or "):
        found = problems_of_one(value, alternative.strip(), path)
        if not found:
            return []
    return found if len(type_text.split(" or ")) == 1 else [f"{path}: {value!r} is not {type_text}"]


def problems_of_one(value, type_text, path):
    simple = {
        "string": lambda v: isinstance(v, str),
        "integer": lambda v: isinstance(v, int) and not isinstance(v, bool),
        "boolean": lambda v: isinstance(v, bool),
        "null": lambda v: v is None,
        "hex": lambda v: isinstance(v, str) and re.fullmatch(r"(?:[0-9A-F]{2})*", v) is not None,
        "programId": lambda v: isinstance(v, str) and re.fullmatch(r"[0-9A-Fa-f]{16}", v) is not None,
    }
    if type_text in simple:
        return [] if simple[type_text](value) else [f"{path}: {value!r} is not {type_text}"]
    if type_text.startswith("[") and type_text.endswith("]"):
        if not isinstance(value, list):
            return [f"{path}: {value!r} is not an array"]
        return [p for i, item in enumerate(value) for p in problems(item, type_text[1:-1], f"{path}[{i}]")]
    if type_text.startswith("<") and type_text.endswith(">"):
        return object_problems(value, type_text[1:-1], path)
    literal = json.loads(type_text)
    same = value == literal and type(value) is type(literal)
    return [] if same else [f"{path}: {value!r} is not {type_text}"]


def object_problems(value, kind, path="$"):
    if kind not in KINDS:
        return [f"{path}: the page has no kind {kind}"]
    if not isinstance(value, dict):
        return [f"{path}: {value!r} is not an object of kind {kind}"]
    rules = KINDS[kind]
    if list(value) != [key for key, _ in rules]:
        return [f"{path}: keys {list(value)} are not those of {kind}: {[key for key, _ in rules]}"]
    return [p for key, type_text in rules for p in problems(value[key], type_text, f"{path}.{key}")]


def points(document):
    """Every object with a value anywhere in the document."""
    if isinstance(document, dict):
        if "valueError" in document:
            yield document
        for value in document.values():
            yield from points(value)
    elif isinstance(document, list):
        for value in document:
            yield from points(value)


def contains(actual, example):
    """Whether `example` is `actual` with some array elements left out."""
    if isinstance(example, dict):
        return isinstance(actual, dict) and list(actual) == list(example) and all(
            contains(actual[key], example[key]) for key in example)
    if isinstance(example, list):
        if not isinstance(actual, list):
            return False
        remaining = iter(actual)
        return all(any(contains(item, wanted) for item in remaining) for wanted in example)
    return actual == example and type(actual) is type(example)


class DocumentTest(unittest.TestCase):
    def assertConforms(self, document, label):
        self.assertIsInstance(document, dict, label)
        self.assertEqual(list(document)[:2], ["schema", "kind"], label)
        self.assertEqual(document["schema"], 1, label)
        self.assertEqual(object_problems(document, document["kind"]), [], label)
        for point in points(document):
            self.assertNotEqual(point["value"] is None, point["valueError"] is None, label)

    def test_the_page_is_complete(self):
        referenced = {name for rules in KINDS.values() for _, type_text in rules for name in re.findall(r"<(\w+)>", type_text)}
        self.assertLessEqual(referenced, set(KINDS))
        documents = {kind for kind, rules in KINDS.items() if rules and rules[0] == ("schema", "1")}
        self.assertEqual(documents, {"deviceInfo", "configInfo", "node", "list", "diff", "check", "notFound", "error"})
        self.assertEqual({example["kind"] for _, example in EXAMPLES}, documents, "an example of every document")

    def test_each_example_conforms_and_is_what_its_command_prints(self):
        for command, example in EXAMPLES:
            with self.subTest(command=command):
                self.assertConforms(example, "the page's example")
                args = shlex.split(command)[1:]
                result = vemo(*args, cwd=PROJECT)
                actual = json.loads(result.stdout)
                self.assertConforms(actual, command)
                self.assertTrue(contains(actual, example), f"{command} prints:\n{result.stdout}")

    def test_every_command_conforms_in_every_outcome(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "broken.xml"), "w") as broken:
                broken.write("<C5Devices>")
            missing = os.path.join(folder, "missing")
            nowhere = dict(os.environ, VEMO_CONFIG_PATH=missing, VEMO_DEFAULT_CATALOG_DIR=missing)
            runs = [
                (("info", "HP31", "--catalog", CATALOG), "deviceInfo", None),
                (("info", "FFFFFFFFFFFFFFFF", "--catalog", CATALOG), "notFound", None),
                (("config-info", "9A10C0DE00040101", "--catalog", CATALOG), "configInfo", None),
                (("config-info", "FFFFFFFFFFFFFFFF", "--catalog", CATALOG), "notFound", None),
                (("config-info", "ZC41", "--catalog", CATALOG), "error", None),
                (("node", DEMO, "--catalog", CATALOG, "--config", KIV, "--set", "nv:12=0866"), "node", None),
                (("node", "RT04", "--catalog", CATALOG), "node", None),
                (("list", "--catalog", CATALOG), "list", None),
                (("list", "--catalog", folder), "list", None),
                (("list",), "error", nowhere),
                (("info", DEMO), "error", nowhere),
                (("diff", "DA22", DEMO, "--catalog", CATALOG), "diff", None),
                (("diff", DEMO, DEMO, "--catalog", CATALOG), "diff", None),
            ]
            for args, kind, env in runs:
                with self.subTest(args=args):
                    result, document = vemo_json(*args, env=env)
                    self.assertEqual(document["kind"], kind, result.stderr)
                    self.assertConforms(document, " ".join(args))

    def test_program_ids_never_carry_the_leading_p(self):
        _, listing = vemo_json("list", "--catalog", CATALOG)
        for entry in listing["devices"]:
            for command in ("info", "config-info", "node"):
                _, document = vemo_json(command, entry["programId"], "--catalog", CATALOG)
                self.assertEqual(document["programId"], entry["programId"], command)

    def test_the_checker_finds_faults(self):
        _, node = vemo_json("node", DEMO, "--catalog", CATALOG)
        self.assertEqual(object_problems(node, "node"), [])
        broken = json.loads(json.dumps(node))
        broken["networkVariables"][0]["section"] = "input/output"
        broken["configurationProperties"][0]["value"] = "0a"
        broken["objects"][0]["extra"] = 1
        broken["programId"] = "P" + DEMO
        self.assertEqual(len(object_problems(broken, "node")), 4)
        self.assertFalse(contains(node, {**node, "comment": "other"}))
        self.assertFalse(contains({"a": [1, 2]}, {"a": [2, 1]}))


if __name__ == "__main__":
    unittest.main()
