"""The type stubs vemosupport.pyi: the same names, members, property kinds and parameters as
the module, and a type checker that uses them accepts typical use and rejects misuse."""

import ast
import importlib.util
import inspect
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import types
import unittest

import vemosupport as vs

SOURCE = pathlib.Path(__file__).resolve().parents[2]
STUB = SOURCE / "python" / "vemosupport.pyi"
PROTOCOL = {"__init__", "__len__", "__iter__", "__next__", "__contains__"}

TYPED_USE = '''
import pathlib
import vemosupport as vs

def nv_names(folder: pathlib.Path) -> list[str]:
    info = vs.CreateProgIDInfo("9A10C0DE00010401", folder)
    if info is None or "ProgramID" not in info:
        return []
    node = vs.cFactory().CreateVirtualC472Node(info)
    if node is None or not node.PopulateDevice(folder / "9A10C0DE00010401.kiv"):
        return []
    obj, name, kind, resource = node.GetObject(2)
    ok, reply, length = node.SendMessageWait("6D", "0000001F", 7)
    nvs = node.NetworkVariables
    if nvs is not None:
        nvs.Item("12").Value = bytearray(b"\\x00\\x2a")
        vs.SetValue(nvs.Item("12"), 21.5, node)
    decoded = vs.Decode(nvs.Item("12")) if nvs is not None else None
    units = [item.field("value").unit for item in decoded.items] if decoded else []
    cps = obj.ConfigurationProperties if obj else None
    keys = [cp.Key for cp in cps] if cps else []
    vs.set_kiv_reader(lambda path, program_id, block: len(block) > 0)
    vs.set_default_catalog_folder(None)
    try:
        vs.CreateProgIDConfigInfo(1234567890123456, b"folder")
    except vs.AutomationError as error:
        keys.append(error.number)
    return [nv.Name for nv in nvs or []] + [vs.__version__, reply, name] + [str(key) for key in keys] + units
'''

# Each line marked "# wrong" must be reported, and no other.
MISUSE = '''
import vemosupport as vs

info = vs.CreateProgIDInfo("9A10C0DE00010401")
code: str = info.DeviceCode  # wrong: the record may be None
if info is not None:
    number: int = info.ProgramID  # wrong: text
    node = vs.CreateVirtualC472Node(info)
    if node is not None:
        node.Mode = "fast"  # wrong: a number
        node.GetObject("first", 2)  # wrong: an index and a name
        nvs = node.NetworkVariables
        if nvs is not None:
            nvs.Item("12").Value = "002A"  # wrong: bytes
            nvs.Item("12").Length = 3  # wrong: read-only
vs.set_message_box(lambda text: None)  # wrong: takes text, title and style
'''


def stub_members(body):
    """Each name's kind ('class', 'attribute', 'method', or a property's 'read', 'read-write' or
    'write'; a getter that returns NoReturn stands for a write-only property) and each method's
    parameters as (name, has a default)."""
    members, parameters = {}, {}
    for definition in body:
        if isinstance(definition, ast.AnnAssign):
            members[definition.target.id] = "attribute"
        elif isinstance(definition, ast.ClassDef):
            members[definition.name] = "class"
        elif isinstance(definition, ast.FunctionDef):
            decorators = [ast.unparse(decorator) for decorator in definition.decorator_list]
            if "property" in decorators:
                members[definition.name] = "write" if ast.unparse(definition.returns) == "NoReturn" else "read"
            elif any(decorator.endswith(".setter") for decorator in decorators):
                members[definition.name] = "read-write" if members[definition.name] == "read" else "write"
            else:
                members[definition.name] = "method"
                names = [argument.arg for argument in definition.args.args if argument.arg != "self"]
                first_default = len(names) - len(definition.args.defaults)
                parameters[definition.name] = [(name, i >= first_default) for i, name in enumerate(names)]
    return members, parameters


def runtime_kind(member):
    if isinstance(member, property):
        return {(True, False): "read", (True, True): "read-write", (False, True): "write"}[
            (member.fget is not None, member.fset is not None)]
    return "class" if isinstance(member, type) else "method" if callable(member) else "attribute"


def runtime_parameters(function):
    """Parameter names and whether each has a default: from the signature of a Python
    function, else from the signature line pybind11 writes first in the docstring."""
    try:
        return [(name, parameter.default is not parameter.empty)
                for name, parameter in inspect.signature(function).parameters.items() if name != "self"]
    except ValueError:
        inside = re.match(r"^\w+\((.*)\) -> ", function.__doc__.splitlines()[0]).group(1)
        return [(name, bool(default)) for name, default in re.findall(r"(\w+): [\w.]+( = )?", inside)
                if name != "self"]


def runtime_members(namespace):
    # A slot wrapper is the interpreter's, such as the __init__ of a class that Python
    # code cannot construct.
    return {name: runtime_kind(value) for name, value in namespace.items()
            if (not name.startswith("_") or name in PROTOCOL) and not isinstance(value, types.WrapperDescriptorType)}


def find_mypy():
    if importlib.util.find_spec("mypy"):
        return [sys.executable, "-m", "mypy"]
    return [shutil.which("mypy")] if shutil.which("mypy") else None


def outside_environment(**extra):
    """This environment less what points at the build tree or preloads the sanitizers."""
    left_out = ("PYTHONPATH", "LD_PRELOAD", "ASAN_OPTIONS", "UBSAN_OPTIONS")
    return {**{name: value for name, value in os.environ.items() if name not in left_out}, **extra}


def run_mypy(script_text, stub_folder):
    """mypy --strict on a script, with the stubs found through MYPYPATH: its exit code and report."""
    with tempfile.TemporaryDirectory() as folder:
        script = pathlib.Path(folder, "script.py")
        script.write_text(script_text, encoding="utf-8")
        done = subprocess.run(find_mypy() + ["--strict", "--no-incremental", "--cache-dir", os.devnull,
                                             "--no-error-summary", str(script)], cwd=folder, capture_output=True,
                              env=outside_environment(MYPYPATH=str(stub_folder)), text=True, timeout=300)
        return done.returncode, done.stdout + done.stderr


def assert_mypy_judges_use_and_misuse(test, stub_folder):
    code, report = run_mypy(TYPED_USE, stub_folder)
    test.assertEqual((code, report), (0, ""))
    code, report = run_mypy(MISUSE, stub_folder)
    reported = {int(line) for line in re.findall(r"script\.py:(\d+): error", report)}
    marked = {number for number, line in enumerate(MISUSE.splitlines(), 1) if "# wrong" in line}
    test.assertEqual((code, reported), (1, marked), report)


class StubTest(unittest.TestCase):
    def test_the_stub_declares_exactly_the_module_names_members_property_kinds_and_parameters(self):
        tree = ast.parse(STUB.read_text(encoding="utf-8"))
        scopes = [("module", tree.body, {**runtime_members(vars(vs)), "__version__": "attribute"}, vs)]
        for definition in tree.body:
            if isinstance(definition, ast.ClassDef):
                cls = getattr(vs, definition.name)
                instance = vars(cls(0, "", "")) if issubclass(cls, Exception) else {}
                scopes.append((definition.name, definition.body,
                               {**runtime_members(vars(cls)), **{name: "attribute" for name in instance}}, cls))
        self.assertEqual(len(scopes) - 1, len([value for value in vars(vs).values() if isinstance(value, type)]))
        for scope, body, runtime, owner in scopes:
            members, parameters = stub_members(body)
            with self.subTest(scope=scope):
                self.assertEqual(members, runtime)
            for name, expected in parameters.items():
                with self.subTest(scope=scope, member=name):
                    self.assertEqual(runtime_parameters(getattr(owner, name)), expected)

    @unittest.skipUnless(find_mypy(), "mypy is not installed (Debian package mypy)")
    def test_mypy_accepts_typed_use_and_reports_each_misuse(self):
        # The build copies the stubs beside the module.
        assert_mypy_judges_use_and_misuse(self, pathlib.Path(vs.__file__).parent)
