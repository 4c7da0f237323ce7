"""The Python face of the library: conversions, AutomationError, module functions, hooks."""

import os
import tempfile
import unittest

import vemosupport as vs

PROGRAM_ID, DEVICE_CODE = "80000A1B2C3D0401", "AB12"


def device_entry(program_id=PROGRAM_ID, code=DEVICE_CODE, points=""):
    return (f'<C5Device ProgramID="P{program_id}"><DevInfo><DeviceCode>{code}</DeviceCode><SelfDoc>'
            f'&amp;3.4@0,3Damper;C</SelfDoc></DevInfo><ConfigInfo Level="2"><Data>01</Data></ConfigInfo>{points}</C5Device>')


def write_file(folder, name, text):
    with open(os.path.join(folder, name), "w", encoding="utf-8") as file:
        file.write(text)
    return file.name


class CatalogueTestCase(unittest.TestCase):
    # A catalogue in a temporary folder, a message-box recorder, a default folder that does not exist.
    def setUp(self, points=""):
        self._tmp = tempfile.TemporaryDirectory()
        self.folder, self.boxes = self._tmp.name, []
        self.path = write_file(self.folder, "devices.xml", "<C5Devices>" + device_entry(points=points)
                               + device_entry("1234567890123456", "1234") + "</C5Devices>")
        self.missing = os.path.join(self.folder, "no-such-folder")
        vs.set_default_catalog_folder(self.missing)
        vs.set_message_box(lambda *box: self.boxes.append(box))

    def tearDown(self):
        for restore in (vs.set_message_box, vs.set_default_catalog_folder, vs.set_config_path_service,
                        vs.set_kiv_reader, vs.set_registry_file):
            restore(None)
        self._tmp.cleanup()

    def assertAutomationError(self, number, call, *args):
        with self.assertRaises(vs.AutomationError, msg=repr(args)) as caught:
            call(*args)
        self.assertEqual(caught.exception.number, number, repr(args))
        return caught.exception


class ModuleTest(CatalogueTestCase):
    def test_arguments_convert_by_automation_rules(self):
        self.assertEqual(vs.CreateProgIDInfo(1234, self.folder).DeviceCode, "1234")
        self.assertEqual(vs.CreateProgIDInfo(1234567890123456, self.folder).ProgramID, "1234567890123456")
        self.assertIsNone(vs.CreateVirtualC472Node(None))
        self.assertAutomationError(380, vs.CreateProgIDInfo, None, self.folder)  # None is empty text
        for wrong in (b"AB12", bytearray(b"AB12"), [1], object()):
            self.assertAutomationError(13, vs.cFactory().CreateProgIDInfo, wrong, self.folder)
        for record in ("text", vs.CreateProgIDConfigInfo(PROGRAM_ID, self.folder), 5):
            self.assertAutomationError(13, vs.cFactory().CreateVirtualC472Node, record)

    def test_automation_error(self):
        error = self.assertAutomationError(380, vs.CreateProgIDInfo, "12345", self.folder)
        self.assertIsInstance(error, Exception)
        self.assertEqual((error.source, error.description, "380" in str(error)),
                         ("CreateProgIDInfo", "Invalid value for sProgID, must be 4 or 16 chars long!", True))

    def test_application_functions(self):
        self.assertIsNone(vs.CreateProgIDInfo("QQ00", self.folder))
        self.assertEqual(vs.CreateProgIDConfigInfo(PROGRAM_ID, self.folder).XMLFilename, self.path)
        node = vs.CreateVirtualC472Node(vs.CreateProgIDInfo(DEVICE_CODE, self.folder))
        self.assertEqual((type(node), node.ProgramID), (vs.C472VirtualNode, PROGRAM_ID))

    def test_create_object_through_the_registration_record(self):
        vs.set_registry_file(os.path.join(self.folder, "registry.json"))
        self.assertEqual(vs.DllRegisterServer(), 0)
        factory = vs.CreateObject("VemoSupport.cFactory")
        self.assertEqual((type(factory), factory.CreateProgIDInfo(DEVICE_CODE, self.folder).ProgramID),
                         (vs.cFactory, PROGRAM_ID))
        self.assertAutomationError(429, vs.CreateObject, "VemoSupport.C472VirtualNode")  # not creatable


class HookTest(CatalogueTestCase):
    def test_message_box_gets_text_title_and_style(self):
        broken = write_file(self.folder, "a-broken.xml", "<C5Devices><C5Device ProgramID=")
        self.assertIsNotNone(vs.CreateProgIDInfo(DEVICE_CODE, self.folder))
        [(text, title, style)] = self.boxes
        self.assertEqual((broken in text, title, style), (True, "XML Parsing Error", 48))
        vs.set_message_box(None)  # the default box writes to standard error
        saved, stderr = os.dup(2), tempfile.TemporaryFile()
        self.addCleanup(stderr.close)
        self.addCleanup(os.close, saved)
        self.addCleanup(os.dup2, saved, 2)  # cleanups run last-in first-out: this one first
        os.dup2(stderr.fileno(), 2)
        vs.cFactory().CreateProgIDInfo(DEVICE_CODE, self.folder)
        stderr.seek(0)
        self.assertIn(b"XML Parsing Error", stderr.read())
        self.assertEqual(len(self.boxes), 1)

    def test_config_path_service_and_default_folder(self):
        selectors = []
        vs.set_config_path_service(lambda selector: selectors.append(selector) or self.folder)
        self.assertEqual(vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing).ProgramID, PROGRAM_ID)
        self.assertEqual(selectors, [1])
        vs.set_config_path_service(lambda selector: self.missing)
        vs.set_default_catalog_folder(self.folder)  # the last resort
        self.assertEqual(vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing).ProgramID, PROGRAM_ID)
        vs.set_config_path_service(lambda selector: {}[f"no folder for {selector}"])  # a missing key: KeyError
        with self.assertRaisesRegex(KeyError, "no folder for 1"):
            vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing)
