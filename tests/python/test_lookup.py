"""Catalogue lookup through the vemosupport module, driven the way a script drives it."""

import os
import tempfile
import unittest

import vemosupport as vs

PROGRAM_ID = "80000A1B2C3D0401"
DEVICE_CODE = "AB12"

# The attributes and DevInfo elements a complete entry carries, in document order.
DEVICE_ATTRIBUTES = [
    ("ProgramID", "P" + PROGRAM_ID), ("ImgBlockSize", "64"), ("IsHostBased", "No"),
    ("IsHybridBased", "Yes"), ("IsNeuronBased", "Yes"), ("SupportsFlash", "Yes"),
    ("Has472Plugin", "No"), ("SupportsOffline", "Yes"),
]
DEV_INFO = [
    ("DeviceCode", DEVICE_CODE), ("DeviceType", "Damper controller"), ("DeviceTypeEx", "DC-1"),
    ("Manufacturer", "Acme"), ("PluginRev", "2.1"), ("FirmRev", "3.4"),
    ("SelfDoc", "&amp;3.4@0,3Damper;Comment"),
]

# The data points of the populated device: CP 10 belongs to the node, CP 20 to object 1;
# NCI 7 to object 0; NVs 0 and 3 to object 1 ("Damper").
POINTS = """
    <CPs>
      <CP Index="#1" Size="2"><Name>10|0|0-12</Name></CP>
      <CP Index="#2" Size="1"><Name>20|1|1-13|1</Name></CP>
    </CPs>
    <NCIs>
      <NV Index="N7" Size="3" NVType="22"><Name>nciSet</Name><SelfDoc>&amp;1,0,0,12;Set</SelfDoc><Default>0A0B0C</Default></NV>
    </NCIs>
    <NVIs>
      <NV Index="I0" Size="2" NVType="105"><Name>nviTemp</Name><SelfDoc>@1|1;Temp</SelfDoc><Default>0102</Default></NV>
    </NVIs>
    <NVOs>
      <NV Index="O3" Size="2" NVType="105"><Name>nvoTemp</Name><SelfDoc>@1|2;Temp</SelfDoc></NV>
    </NVOs>"""


def device_entry(program_id=PROGRAM_ID, code=DEVICE_CODE, drop=(), points="", config=True):
    attributes = [(n, "P" + program_id if n == "ProgramID" else v) for n, v in DEVICE_ATTRIBUTES if n not in drop]
    info = [(n, code if n == "DeviceCode" else v) for n, v in DEV_INFO if n not in drop]
    text = "  <C5Device " + " ".join(f'{n}="{v}"' for n, v in attributes) + ">\n    <DevInfo>"
    text += "".join(f"<{n}>{v}</{n}>" for n, v in info) + "</DevInfo>\n"
    if config:
        text += '    <ConfigInfo Level="2"><Data>0102</Data></ConfigInfo>\n'
    return text + points + "\n  </C5Device>\n"


def write_catalogue(folder, name, *entries):
    path = os.path.join(folder, name)
    with open(path, "w", encoding="utf-8") as file:
        file.write("<?xml version=\"1.0\"?>\n<C5Devices>\n" + "".join(entries) + "</C5Devices>\n")
    return path


class CatalogueTestCase(unittest.TestCase):
    """Gives every test a temporary catalogue folder, a message-box recorder and a
    default catalogue folder that does not exist; restores every hook afterwards."""

    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory()
        self.folder = self._tmp.name
        self.missing = os.path.join(self.folder, "no-such-folder")
        self.boxes = []
        vs.set_default_catalog_folder(self.missing)
        vs.set_message_box(lambda text, title, style: self.boxes.append((text, title, style)))

    def tearDown(self):
        vs.set_message_box(None)
        vs.set_default_catalog_folder(None)
        vs.set_config_path_service(None)
        vs.set_kiv_reader(None)
        self._tmp.cleanup()

    def assertAutomationError(self, number, call, *args, description=None, source=None):
        with self.assertRaises(vs.AutomationError) as caught:
            call(*args)
        self.assertEqual(caught.exception.number, number)
        if description is not None:
            self.assertEqual(caught.exception.description, description)
        if source is not None:
            self.assertEqual(caught.exception.source, source)
        return caught.exception


class LookupTest(CatalogueTestCase):
    def test_record_found_by_program_id_and_device_code_through_both_factories(self):
        path = write_catalogue(self.folder, "devices.xml", device_entry("80000A1B2C3D0499", "ZZ99"), device_entry())
        lookups = [
            ("factory by id", lambda: vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.folder)),
            ("factory by code", lambda: vs.cFactory().CreateProgIDInfo(DEVICE_CODE, self.folder)),
            ("factory by padded code", lambda: vs.cFactory().CreateProgIDInfo("  " + DEVICE_CODE + " ", self.folder)),
            ("application by id", lambda: vs.CreateProgIDInfo(PROGRAM_ID, self.folder)),
            ("application by code", lambda: vs.CreateProgIDInfo(DEVICE_CODE, self.folder)),
        ]
        for label, lookup in lookups:
            with self.subTest(label):
                info = lookup()
                self.assertIsInstance(info, vs.cProgIDInfo)
                self.assertEqual(info.ProgramID, PROGRAM_ID)
                self.assertEqual(info.DeviceCode, DEVICE_CODE)
                self.assertEqual(info.XMLFilename, path)
        self.assertEqual(self.boxes, [])

    def test_every_record_member(self):
        write_catalogue(self.folder, "devices.xml", device_entry())
        info = vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.folder)
        expected = {
            "ProgramID": PROGRAM_ID, "IsValid": True, "Count": 15, "DeviceCode": DEVICE_CODE,
            "DeviceType": "Damper controller", "DeviceTypeEx": "DC-1", "Has472Plugin": False,
            "IsHostBased": False, "IsNeuronBased": True, "PluginVersion": "2.1", "Manufacturer": "Acme",
            "SelfDoc": "&3.4@0,3Damper;Comment", "SupportsFlash": True, "SupportsOfflineEdit": True,
            "FirmwareVersion": "3.4", "IsHybridBased": True, "ImgBlockSize": 64,
        }
        for name, value in expected.items():
            with self.subTest(name):
                self.assertEqual(getattr(info, name), value)

        names = [n for n, _ in DEVICE_ATTRIBUTES] + [n for n, _ in DEV_INFO]
        values = [PROGRAM_ID] + [v for _, v in DEVICE_ATTRIBUTES[1:]] + [v.replace("&amp;", "&") for _, v in DEV_INFO]
        self.assertEqual(len(info), 15)
        self.assertEqual([(i.Name, i.Value) for i in info], list(zip(names, values)))
        self.assertEqual([(i.Name, i.Value) for i in info.NewEnum()], list(zip(names, values)))
        self.assertEqual((info.Item(1).Name, info.Item(1).Value), ("ProgramID", PROGRAM_ID))
        for key in ("devicecode", "DEVICECODE", "DeviceCode"):
            self.assertEqual(info.Item(key).Value, DEVICE_CODE)

    def test_entry_missing_a_field_is_not_valid(self):
        write_catalogue(self.folder, "devices.xml", device_entry(drop=("FirmRev",)))
        info = vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.folder)
        self.assertFalse(info.IsValid)
        self.assertEqual(info.Count, 14)
        self.assertEqual(info.FirmwareVersion, "")

    def test_unknown_device_is_none(self):
        write_catalogue(self.folder, "devices.xml", device_entry())
        for key in ("80000A1B2C3D0400", "QQ00"):
            with self.subTest(key):
                self.assertIsNone(vs.cFactory().CreateProgIDInfo(key, self.folder))
                self.assertIsNone(vs.CreateProgIDInfo(key, self.folder))

    def test_config_info(self):
        path = write_catalogue(self.folder, "devices.xml", device_entry())
        for create in (vs.cFactory().CreateProgIDConfigInfo, vs.CreateProgIDConfigInfo):
            config = create(PROGRAM_ID, self.folder)
            self.assertEqual(config.ProgramID, "P" + PROGRAM_ID)
            self.assertEqual((config.Level, config.Data, config.IsValid, config.XMLFilename), (2, "0102", True, path))
            self.assertEqual([(i.Name, i.Value) for i in config], [("Level", "2"), ("Data", "0102")])
            self.assertEqual(config.Item("data").Value, "0102")
        self.assertIsNone(vs.CreateProgIDConfigInfo("80000A1B2C3D0400", self.folder))
        write_catalogue(self.folder, "other.xml", device_entry("80000A1B2C3D0402", "CD34", config=False))
        self.assertFalse(vs.CreateProgIDConfigInfo("80000A1B2C3D0402", self.folder).IsValid)

    def test_broken_file_is_reported_and_the_search_goes_on(self):
        broken = os.path.join(self.folder, "a-broken.xml")
        with open(broken, "w", encoding="utf-8") as file:
            file.write("<C5Devices><C5Device ProgramID=")
        good = write_catalogue(self.folder, "b-devices.xml", device_entry())
        info = vs.cFactory().CreateProgIDInfo(DEVICE_CODE, self.folder)
        self.assertEqual(info.XMLFilename, good)
        self.assertEqual(len(self.boxes), 1)
        text, title, style = self.boxes[0]
        self.assertEqual((title, style), ("XML Parsing Error", 48))
        self.assertIn(broken, text)


class ErrorTest(CatalogueTestCase):
    def test_automation_error_carries_number_source_and_description(self):
        self.assertTrue(issubclass(vs.AutomationError, Exception))
        for create in (vs.cFactory().CreateProgIDInfo, vs.CreateProgIDInfo):
            error = self.assertAutomationError(380, create, "12345", self.folder, source="CreateProgIDInfo",
                                               description="Invalid value for sProgID, must be 4 or 16 chars long!")
            self.assertIn("380", str(error))
        self.assertAutomationError(380, vs.CreateProgIDConfigInfo, DEVICE_CODE, self.folder,
                                   source="CreateProgIDConfigInfo")

    def test_no_catalogue_folder_anywhere(self):
        vs.set_config_path_service(lambda selector: "")
        for create in (vs.cFactory().CreateProgIDInfo, vs.cFactory().CreateProgIDConfigInfo):
            self.assertAutomationError(76, create, PROGRAM_ID, self.missing, description="Folder not found")

    def test_record_item_errors(self):
        write_catalogue(self.folder, "devices.xml", device_entry())
        info = vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.folder)
        for index, number in ((0, 9), (16, 9), ("nope", 5)):
            with self.subTest(index=index):
                self.assertAutomationError(number, info.Item, index)

    def test_wrong_argument_types_raise_type_mismatch(self):
        write_catalogue(self.folder, "devices.xml", device_entry())
        factory = vs.cFactory()
        config = factory.CreateProgIDConfigInfo(PROGRAM_ID, self.folder)
        node = factory.CreateVirtualC472Node(factory.CreateProgIDInfo(PROGRAM_ID, self.folder))
        calls = [
            ("bytes id", lambda: factory.CreateProgIDInfo(b"x", self.folder)),
            ("list id", lambda: vs.CreateProgIDInfo([1], self.folder)),
            ("object id", lambda: factory.CreateProgIDInfo(object(), self.folder)),
            ("text record", lambda: factory.CreateVirtualC472Node("text")),
            ("config record", lambda: vs.CreateVirtualC472Node(config)),
            ("text mode", lambda: setattr(node, "Mode", "abc")),
        ]
        for label, call in calls:
            with self.subTest(label):
                self.assertAutomationError(13, call)

    def test_number_as_device_code_is_its_digits(self):
        write_catalogue(self.folder, "devices.xml", device_entry(code="1234"))
        self.assertEqual(vs.cFactory().CreateProgIDInfo(1234, self.folder).DeviceCode, "1234")

    def test_number_as_program_id_is_its_digits(self):
        write_catalogue(self.folder, "devices.xml", device_entry(program_id="1234567890123456"))
        self.assertEqual(vs.cFactory().CreateProgIDInfo(1234567890123456, self.folder).ProgramID, "1234567890123456")


class FolderResolutionTest(CatalogueTestCase):
    def test_config_path_service_names_the_folder_when_the_callers_is_missing(self):
        write_catalogue(self.folder, "devices.xml", device_entry())
        selectors = []
        vs.set_config_path_service(lambda selector: selectors.append(selector) or self.folder)
        factory = vs.cFactory()
        self.assertEqual(factory.CreateProgIDInfo(PROGRAM_ID, self.folder).ProgramID, PROGRAM_ID)
        self.assertEqual(selectors, [])
        self.assertEqual(factory.CreateProgIDInfo(PROGRAM_ID, self.missing).ProgramID, PROGRAM_ID)
        self.assertEqual(selectors, [1])
        # The factory remembers the folder it was given.
        self.assertEqual(factory.CreateProgIDInfo(DEVICE_CODE, "").DeviceCode, DEVICE_CODE)
        self.assertEqual(selectors, [1])

    def test_exception_in_the_service_reaches_the_caller(self):
        def service(selector):
            raise LookupError(f"no folder for {selector}")

        vs.set_config_path_service(service)
        with self.assertRaisesRegex(LookupError, "no folder for 1"):
            vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing)

    def test_default_catalogue_folder_is_the_last_resort(self):
        write_catalogue(self.folder, "devices.xml", device_entry())
        vs.set_config_path_service(lambda selector: self.missing)
        vs.set_default_catalog_folder(self.folder)
        self.assertEqual(vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing).ProgramID, PROGRAM_ID)


if __name__ == "__main__":
    unittest.main()
