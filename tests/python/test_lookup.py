"""The Python face of the library: conversions, AutomationError, module functions, text and paths."""

import os
import pathlib
import sys
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
        with self.assertRaises(vs.AutomationError) as caught:
            call(*args)
        self.assertEqual(caught.exception.number, number, call)
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
        record = pathlib.Path(self.folder, "registry.json")  # a path-like; CreateObject reads the record
        vs.set_registry_file(record)
        self.assertEqual((vs.DllRegisterServer(), record.exists()), (0, True))
        self.assertIsInstance(vs.CreateObject("VemoSupport.cFactory"), vs.cFactory)
        self.assertAutomationError(429, vs.CreateObject, "VemoSupport.C472VirtualNode")  # not creatable


class NumberTest(CatalogueTestCase):
    def test_whole_numbers_too_large_for_the_member_overflow_however_large(self):
        info = vs.CreateProgIDInfo(PROGRAM_ID, self.folder)
        self.assertEqual(info.Item(1.0).Name, "ProgramID")
        for number in (2**31, 2**40, 10**400, -10**400):  # past 32 bits; past a double's range
            self.assertAutomationError(6, info.Item, number)

    @unittest.skipUnless(getattr(sys, "get_int_max_str_digits", lambda: 0)(), "this Python writes out every int")
    def test_an_int_with_more_digits_than_python_writes_out_is_an_overflow_as_text(self):
        self.assertAutomationError(6, vs.CreateProgIDInfo, 10 ** sys.get_int_max_str_digits(), self.folder)


class TextAndPathTest(CatalogueTestCase):
    def test_folders_may_be_str_bytes_or_path_like_and_names_need_not_be_utf8(self):
        # A folder and catalogue file whose names are not UTF-8, and a broken file listed first.
        odd = os.path.join(os.fsencode(self.folder), b"\xfe-catalogue")
        os.mkdir(odd)
        good, broken = os.path.join(odd, b"caf\xe9.xml"), os.path.join(odd, b"a-\xff.xml")
        with open(self.path, "rb") as source, open(good, "wb") as copy:
            copy.write(source.read())
        with open(broken, "wb") as file:
            file.write(b"<C5Devices><C5Device ProgramID=")
        info = vs.CreateProgIDInfo(PROGRAM_ID, os.fsdecode(odd))  # surrogates stand for the bytes
        self.assertEqual(info.XMLFilename, os.fsdecode(good))
        [(text, title, style)] = self.boxes  # the lookup went on past the broken file
        self.assertIn(os.fsdecode(broken), text)
        for folder in (odd, pathlib.Path(os.fsdecode(odd))):
            self.assertEqual(vs.CreateProgIDConfigInfo(PROGRAM_ID, folder).XMLFilename, os.fsdecode(good))
        self.assertEqual(vs.CreateProgIDInfo(DEVICE_CODE, pathlib.Path(self.folder)).XMLFilename, self.path)
        with self.assertRaises(UnicodeEncodeError):  # a surrogate that stands for no byte
            vs.CreateProgIDInfo(PROGRAM_ID, self.folder + "\ud800")


class MembershipTest(CatalogueTestCase):
    def test_in_answers_as_item_does_by_name_in_any_case_or_by_position(self):
        info = vs.CreateProgIDInfo(PROGRAM_ID, self.folder)
        keys = ("ProgramID", "programid", "DEVICECODE", "Manufacturer", "", 1, info.Count, info.Count + 1, 0, None,
                b"ProgramID")
        self.assertEqual([key in info for key in keys],
                         [True, True, True, False, False, True, True, False, False, False, False])

    def test_in_raises_what_item_raises_besides_not_found(self):
        info = vs.CreateProgIDInfo(PROGRAM_ID, self.folder)
        self.assertAutomationError(6, info.__contains__, 2**40)  # a position beyond 32 bits
        self.assertAutomationError(13, info.__contains__, {})  # no automation value
