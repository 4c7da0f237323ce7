"""The Python face of the library: conversions, AutomationError, module functions, hooks."""

import os
import tempfile
import unittest

import vemosupport as vs

PROGRAM_ID, DEVICE_CODE = "80000A1B2C3D0401", "AB12"


def write_file(folder, name, text):
    with open(os.path.join(folder, name), "w", encoding="utf-8") as file:
        file.write(text)
    return file.name


class CatalogueTestCase(unittest.TestCase):
    # A catalogue in a temporary folder, a message-box recorder, a default folder that does not exist.
    def setUp(self, points=""):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        for hook in (vs.set_message_box, vs.set_default_catalog_folder, vs.set_config_path_service,
                     vs.set_kiv_reader, vs.set_registry_file):
            self.addCleanup(hook, None)  # back to the default, even when setUp fails later
        self.folder, self.boxes = tmp.name, []
        self.path = write_file(self.folder, "devices.xml", "<C5Devices>" + "".join(
            f'<C5Device ProgramID="P{program_id}"><DevInfo><DeviceCode>{code}</DeviceCode><SelfDoc>&amp;3.4@0,3Damper;C'
            f'</SelfDoc></DevInfo><ConfigInfo Level="2"><Data>01</Data></ConfigInfo>{extra}</C5Device>'
            for program_id, code, extra in ((PROGRAM_ID, DEVICE_CODE, points), ("1234567890123456", "1234", "")))
            + "</C5Devices>")
        self.missing = os.path.join(self.folder, "no-such-folder")
        vs.set_default_catalog_folder(self.missing)
        vs.set_message_box(lambda *box: self.boxes.append(box))

    def assertAutomationError(self, number, call, *args):
        with self.assertRaises(vs.AutomationError, msg=repr(args)) as caught:
            call(*args)
        self.assertEqual(caught.exception.number, number, repr(args))
        return caught.exception


class ModuleTest(CatalogueTestCase):
    def test_arguments_convert_by_automation_rules_and_errors_carry_number_source_description(self):
        self.assertEqual(vs.CreateProgIDInfo(1234567890123456, self.folder).ProgramID, "1234567890123456")
        self.assertIsNone(vs.CreateVirtualC472Node(None))
        self.assertAutomationError(13, vs.CreateProgIDInfo, b"AB12", self.folder)
        self.assertAutomationError(13, vs.CreateVirtualC472Node, vs.CreateProgIDConfigInfo(PROGRAM_ID, self.folder))
        error = self.assertAutomationError(380, vs.CreateProgIDInfo, None, self.folder)  # None is empty text
        self.assertEqual((error.source, error.description, "380" in str(error)),
                         ("CreateProgIDInfo", "Invalid value for sProgID, must be 4 or 16 chars long!", True))

    def test_application_functions_and_create_object(self):
        self.assertIsNone(vs.CreateProgIDInfo("QQ00", self.folder))
        self.assertEqual(vs.CreateProgIDConfigInfo(PROGRAM_ID, self.folder).XMLFilename, self.path)
        node = vs.CreateVirtualC472Node(vs.CreateProgIDInfo(DEVICE_CODE, self.folder))
        self.assertEqual((type(node), node.ProgramID), (vs.C472VirtualNode, PROGRAM_ID))
        vs.set_registry_file(os.path.join(self.folder, "registry.json"))  # CreateObject reads the record
        self.assertEqual(vs.DllRegisterServer(), 0)
        self.assertIsInstance(vs.CreateObject("VemoSupport.cFactory"), vs.cFactory)
        self.assertAutomationError(429, vs.CreateObject, "VemoSupport.C472VirtualNode")  # not creatable


class HookTest(CatalogueTestCase):
    def test_message_box_gets_text_title_and_style(self):
        broken = write_file(self.folder, "a-broken.xml", "<C5Devices><C5Device ProgramID=")
        self.assertIsNotNone(vs.CreateProgIDInfo(DEVICE_CODE, self.folder))
        [(text, title, style)] = self.boxes
        self.assertEqual((broken in text, title, style), (True, "XML Parsing Error", 48))

    def test_config_path_service_and_default_folder(self):
        vs.set_config_path_service(lambda selector: {1: self.folder}[selector])  # asked with selector 1
        self.assertEqual(vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing).ProgramID, PROGRAM_ID)
        vs.set_config_path_service(lambda selector: self.missing)
        vs.set_default_catalog_folder(self.folder)  # the last resort
        self.assertEqual(vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing).ProgramID, PROGRAM_ID)
        vs.set_config_path_service(lambda selector: {}[f"no folder for {selector}"])  # a missing key: KeyError
        with self.assertRaisesRegex(KeyError, "no folder for 1"):
            vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing)
