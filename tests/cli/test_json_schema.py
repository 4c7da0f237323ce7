"""Every JSON document of vemo against the rules and examples of docs/json.md."""
import json
import os
import re
import shlex
import tempfile
import unittest

from vemo_cli import CATALOG, DEMO, PROJECT, vemo, vemo_json, write

DOC = os.path.join(PROJECT, "docs", "json.md")


def read_doc():
    """The object kinds (kind -> [(key, type)]) and the (command, example) pairs of the page."""
    with open(DOC) as file:
        text = file.read()
    kinds, current = {}, None
    for line in text.splitlines():
        heading = re.fullmatch(r"### `(\w+)`", line)
        if line.startswith("#"):
            current = kinds.setdefault(heading.group(1), []) if heading else None
        row = re.match(r"\| `(\w+)` \| `([^`]+)` \|", line)
        if row and current is not None:
            current.append(row.groups())
    examples = re.findall(r"```sh\n(vemo [^\n]*)\n```\n```json\n(.*?)\n```", text, re.S)
    return kinds, [(command, json.loads(example)) for command, example in examples]


KINDS, EXAMPLES = read_doc()
SIMPLE = {
    "string": lambda v: isinstance(v, str),
    "integer": lambda v: isinstance(v, int) and not isinstance(v, bool),
    "boolean": lambda v: isinstance(v, bool),
    "number": lambda v: isinstance(v, (int, float)) and not isinstance(v, bool),
    "null": lambda v: v is None,
    "hex": lambda v: isinstance(v, str) and re.fullmatch(r"(?:[0-9A-F]{2})*", v) is not None,
    "programId": lambda v: isinstance(v, str) and re.fullmatch(r"[0-9A-Fa-f]{16}", v) is not None,
}


def problems(value, type_text, path):
    """What is wrong with `value` as `type_text` of the page's type grammar; empty when nothing."""
    alternatives = [text.strip() for text in type_text.split(" or ")]
    for text in alternatives:
        if text in SIMPLE:
            found = [] if SIMPLE[text](value) else [f"{path}: {value!r} is not {text}"]
        elif text.startswith("["):
            found = [f"{path}: not an array"] if not isinstance(value, list) else [
                p for i, item in enumerate(value) for p in problems(item, text[1:-1], f"{path}[{i}]")]
        elif text.startswith("<"):
            found = object_problems(value, text[1:-1], path)
        else:
            literal = json.loads(text)
            found = [] if value == literal and type(value) is type(literal) else [f"{path}: {value!r} is not {text}"]
        if not found:
            return []
    return found if len(alternatives) == 1 else [f"{path}: {value!r} is not {type_text}"]


def object_problems(value, kind, path="$"):
    rules = KINDS.get(kind)
    if rules is None or not isinstance(value, dict):
        return [f"{path}: {value!r} is not an object of kind {kind}"]
    if list(value) != [key for key, _ in rules]:
        return [f"{path}: keys {list(value)} are not those of {kind}"]
    return [p for key, type_text in rules for p in problems(value[key], type_text, f"{path}.{key}")]


def points(document):
    """Every object with a value anywhere in the document."""
    children = document.values() if isinstance(document, dict) else document if isinstance(document, list) else []
    if isinstance(document, dict) and "valueError" in document:
        yield document
    for child in children:
        yield from points(child)


def contains(actual, example):
    """Whether `example` is `actual` with some array elements left out."""
    if isinstance(example, dict):
        return isinstance(actual, dict) and list(actual) == list(example) and all(
            contains(actual[key], example[key]) for key in example)
    if isinstance(example, list):
        remaining = iter(actual if isinstance(actual, list) else [])
        return isinstance(actual, list) and all(any(contains(item, wanted) for item in remaining) for wanted in example)
    return actual == example and type(actual) is type(example)


class DocumentTest(unittest.TestCase):
    def assertConforms(self, document, label):
        self.assertEqual((list(document)[:2], document["schema"]), (["schema", "kind"], 2), label)
        self.assertEqual(object_problems(document, document["kind"]), [], label)
        for point in points(document):
            self.assertNotEqual(point["value"] is None, point["valueError"] is None, label)

    def test_the_page_is_complete(self):
        referenced = {name for rules in KINDS.values() for _, type_text in rules for name in re.findall(r"<(\w+)>", type_text)}
        self.assertLessEqual(referenced, set(KINDS))
        documents = {kind for kind, rules in KINDS.items() if rules and rules[0] == ("schema", "2")}
        self.assertEqual(documents, {"deviceInfo", "configInfo", "node", "list", "diff", "check", "notFound", "error", "points", "import"})
        self.assertEqual({example["kind"] for _, example in EXAMPLES}, documents, "an example of every document")

    def test_each_example_conforms_and_is_what_its_command_prints(self):
        for command, example in EXAMPLES:
            with self.subTest(command=command):
                self.assertConforms(example, "the page's example")
                result = vemo(*shlex.split(command)[1:], cwd=PROJECT)
                actual = json.loads(result.stdout)
                self.assertConforms(actual, command)
                self.assertTrue(contains(actual, example), f"{command} prints:\n{result.stdout}")

    def test_outcomes_the_examples_do_not_show_conform(self):
        with tempfile.TemporaryDirectory() as folder:
            write(os.path.join(folder, "broken.xml"), "<C5Devices>")
            write(os.path.join(folder, "good.xml"), '<C5Devices><C5Device ProgramID="P0000000000000001"/></C5Devices>')
            runs = [(("node", "RT04", "--catalog", CATALOG), "node"), (("list", "--catalog", folder), "list"),
                    (("diff", "DA22", DEMO, "--catalog", CATALOG), "diff")]
            for args, kind in runs:
                with self.subTest(args=args):
                    result, document = vemo_json(*args)
                    self.assertEqual(document["kind"], kind, result.stderr)
                    self.assertConforms(document, " ".join(args))


if __name__ == "__main__":
    unittest.main()
