"""Virtual nodes through the vemosupport module: identity, offline answers, population,
configuration files, threads and object lifetime."""

import gc
import os
import threading
import unittest

import vemosupport as vs

from test_lookup import DEVICE_CODE, POINTS, PROGRAM_ID, CatalogueTestCase, device_entry, write_catalogue

# Where the data points sit in the configuration data block: CPs first in index order,
# then the configuration NVs.
CP10, CP20, NCI7 = slice(0, 2), slice(2, 3), slice(3, 6)


class NodeTestCase(CatalogueTestCase):
    def setUp(self):
        super().setUp()
        write_catalogue(self.folder, "devices.xml", device_entry(points=POINTS))
        self.factory = vs.cFactory()
        self.info = self.factory.CreateProgIDInfo(PROGRAM_ID, self.folder)

    def populated(self, kiv_name=""):
        node = self.factory.CreateVirtualC472Node(self.info)
        self.assertTrue(node.PopulateDevice(kiv_name))
        return node

    def kiv_file(self, *lines, name="device.kiv"):
        path = os.path.join(self.folder, name)
        with open(path, "w", encoding="utf-8") as file:
            file.write("\n".join(lines) + "\n")
        return path


class OfflineNodeTest(NodeTestCase):
    def test_nodes_are_numbered_per_factory(self):
        numbers = [self.factory.CreateVirtualC472Node(self.info).UniqueNodeNum for _ in range(2)]
        self.assertEqual(numbers, ["FFFF00000000", "FFFF00000001"])
        self.assertEqual(vs.cFactory().CreateVirtualC472Node(self.info).UniqueNodeNum, "FFFF00000000")
        self.assertTrue(vs.CreateVirtualC472Node(self.info).UniqueNodeNum.startswith("FFFF"))
        self.assertIsNone(self.factory.CreateVirtualC472Node(None))
        self.assertIsNone(vs.CreateVirtualC472Node(None))

    def test_fresh_node(self):
        node = self.factory.CreateVirtualC472Node(self.info)
        self.assertIs(node.ProgIDInfo, self.info)
        self.assertEqual((node.ProgramID, node.SelfDocumentation), (PROGRAM_ID, "&3.4@0,3Damper;Comment"))
        self.assertEqual(node.ObjectCount, 0)
        self.assertIsNone(node.NetworkVariables)
        self.assertIsNone(node.ConfigurationProperties)
        self.assertEqual(node.GetObject(0), (None, "", 0, 0))
        self.assertEqual(node.ConfigurationFile, "")
        self.assertEqual(node.Comment, "Comment")
        self.assertEqual(node.GetDomain(0), "0")

    def test_fixed_offline_answers_and_settable_members(self):
        node = self.factory.CreateVirtualC472Node(self.info)
        node.Mode = 3
        node.State = 2
        self.assertEqual((node.Mode, node.State), (1, 4))
        self.assertFalse(node.SendExplicitMessages)
        node.SendExplicitMessages = True
        self.assertTrue(node.SendExplicitMessages)
        node.SendExplicitMessages = "False"
        self.assertFalse(node.SendExplicitMessages)

    def test_send_message_wait(self):
        node = self.factory.CreateVirtualC472Node(self.info)
        self.assertEqual(node.SendMessageWait("6d", "0000001f", 7), (True, "5B4F66666C696E655D", 7))
        for code, data in (("6D", "00000010"), ("6E", "0000001F"), ("6D", "000001F")):
            with self.subTest(code=code, data=data):
                self.assertEqual(node.SendMessageWait(code, data, 4), (True, data, 4))


class PopulationTest(NodeTestCase):
    def test_objects(self):
        node = self.populated()
        self.assertEqual(node.ObjectCount, 3)
        damper, name, kind, resource = node.GetObject(2)
        self.assertEqual((name, kind, resource), ("Damper", 3, 0))
        self.assertEqual((damper.Name, damper.LMObjectType, damper.Index), ("Damper", 3, 1))
        self.assertIs(node.GetObject(2)[0], damper)
        device, name, kind, _ = node.GetObject(0)
        self.assertEqual((device.Name, name, kind), ("Device Object", "Device Object", -1))
        self.assertAutomationError(9, node.GetObject, 5)
        self.assertAutomationError(383, setattr, damper, "LMObjectType", 1, description="Property is read-only!")
        damper.TestCommand = 1
        with self.assertRaises(AttributeError):
            damper.TestCommand

    def test_network_variables(self):
        node = self.populated()
        nvs = node.NetworkVariables
        self.assertEqual((nvs.Count, len(nvs)), (3, 3))
        self.assertEqual([nv.Name for nv in nvs], ["nviTemp", "nvoTemp", "nciSet"])
        self.assertEqual([nv.Index for nv in nvs.NewEnum()], [0, 3, 7])
        nci = nvs.Item("7")
        self.assertIs(nvs.Item(3), nci)
        self.assertEqual((nci.Length, nci.NVType, nci.IsConfigurationVariable), (3, 22, True))
        self.assertEqual((nci.LMObjectID, nci.SelectData), (0, "0"))
        self.assertEqual(nci.Value, b"\x0a\x0b\x0c")
        self.assertEqual(nvs.Item("0").Value, b"\x01\x02")
        self.assertEqual(nvs.Item("3").Value, b"\x00\x00")
        nvi = nvs.Item("0")
        self.assertEqual((nvi.LMObjectID, nvi.SelectData), (1, "1"))
        nvi.LMObjectID = 42
        self.assertEqual(nvi.LMObjectID, 42)
        self.assertAutomationError(9, nvs.Item, 4)
        self.assertAutomationError(5, nvs.Item, "99")

    def test_configuration_properties(self):
        node = self.populated()
        cps = node.ConfigurationProperties
        self.assertEqual(len(cps), 2)
        self.assertEqual([cp.Name for cp in cps], ["10|0|0-12", "20|1|1-13|1"])
        cp10, cp20 = cps.Item("10"), cps.Item(20)
        self.assertEqual((cp10.StandardType, cp10.CPType, cp10.ElementSize, cp10.LMObjectID), (True, 12, 2, -1))
        self.assertEqual((cp20.StandardType, cp20.CPType, cp20.LMObjectID, cp20.SelectData), (False, 13, 1, "1"))
        self.assertEqual(cp10.Value, b"\x00\x00")
        self.assertIsNone(cps.Item("99"))

    def test_lonmark_object_views(self):
        node = self.populated()
        nvs, cps = node.NetworkVariables, node.ConfigurationProperties
        device, first, damper = (node.GetObject(i)[0] for i in range(3))
        self.assertEqual([cp.Name for cp in device.ConfigurationProperties], ["10|0|0-12"])
        self.assertIsNone(device.NetworkVariables)
        self.assertEqual([nv.Name for nv in first.NetworkVariables], ["nciSet"])
        self.assertIsNone(first.ConfigurationProperties)
        damper_nvs, damper_cps = damper.NetworkVariables, damper.ConfigurationProperties
        self.assertEqual((damper_nvs.Count, len(damper_nvs)), (2, 2))
        self.assertEqual([nv.Index for nv in damper_nvs.NewEnum()], [0, 3])
        self.assertIs(damper_nvs.Item("3"), nvs.Item("3"))
        self.assertEqual((damper_cps.Count, [cp.Name for cp in damper_cps]), (1, ["20|1|1-13|1"]))
        self.assertIs(damper_cps.Item(1), cps.Item("20"))

    def test_writing_values(self):
        node = self.populated()
        nvs, cps = node.NetworkVariables, node.ConfigurationProperties
        for key, value in (("0", b"\x7f\x80"), ("3", bytearray(b"\x05\x06")), ("7", b"\x01\x02\x03")):
            with self.subTest(nv=key):
                nvs.Item(key).Value = value
                self.assertEqual(nvs.Item(key).Value, bytes(value))
                self.assertIs(type(nvs.Item(key).Value), bytes)
        cps.Item("10").Value = bytearray(b"\x12\x34")
        self.assertEqual(cps.Item("10").Value, b"\x12\x34")
        self.assertEqual(nvs.Item("7").Value, b"\x01\x02\x03")
        for wrong in ("text", 5, [1, 2], None):
            with self.subTest(wrong=wrong):
                self.assertAutomationError(5, setattr, nvs.Item("0"), "Value", wrong,
                                           description="Expecting byte array as input!")
        self.assertAutomationError(5, setattr, nvs.Item("0"), "Value", b"\x01")
        self.assertAutomationError(5, setattr, cps.Item("10"), "Value", "text")
        self.assertEqual(nvs.Item("0").Value, b"\x7f\x80")

    def test_python_objects_keep_their_identity(self):
        node = self.populated()
        nvs = node.NetworkVariables
        by_item = nvs.Item(1)
        self.assertIs(next(iter(nvs)), by_item)
        self.assertIs(list(nvs.NewEnum())[0], by_item)
        self.assertIs(node.NetworkVariables, nvs)
        self.assertIs(node.ConfigurationProperties, node.ConfigurationProperties)

    def test_nv_with_broken_self_documentation_is_reported(self):
        broken = POINTS.replace("@1|2;Temp", "1|2;Temp")
        write_catalogue(self.folder, "devices.xml", device_entry(points=broken))
        info = vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.folder)
        node = vs.cFactory().CreateVirtualC472Node(info)
        self.assertTrue(node.PopulateDevice(""))
        self.assertEqual(len(self.boxes), 1)
        text, title, style = self.boxes[0]
        self.assertEqual((title, style), ("XML Parsing Error", 16))
        self.assertIn("nvoTemp", text)


class ConfigurationFileTest(NodeTestCase):
    def test_script_reader_fills_the_block(self):
        calls = []

        def reader(path, program_id, block):
            calls.append((path, program_id, type(block), bytes(block[NCI7])))
            block[CP10] = b"\xaa\xbb"
            block[NCI7] = bytes([len(calls)] * 3)
            return True

        vs.set_kiv_reader(reader)
        path = self.kiv_file("ignored")
        node = self.populated(path)
        self.assertEqual(node.ConfigurationFile, path)
        self.assertEqual(calls, [(path, PROGRAM_ID, bytearray, b"\x0a\x0b\x0c")])
        self.assertEqual(node.ConfigurationProperties.Item("10").Value, b"\xaa\xbb")
        nci = node.NetworkVariables.Item("7")
        self.assertEqual(nci.Value, b"\x01\x01\x01")
        node.Refresh()
        self.assertEqual(len(calls), 2)
        self.assertEqual(nci.Value, b"\x02\x02\x02")

    def test_reader_answer_is_the_populate_answer(self):
        vs.set_kiv_reader(lambda path, program_id, block: False)
        node = self.factory.CreateVirtualC472Node(self.info)
        self.assertFalse(node.PopulateDevice("/nowhere/device.kiv"))
        self.assertEqual(node.ConfigurationFile, "/nowhere/device.kiv")

    def test_block_of_another_size_is_not_taken(self):
        def reader(path, program_id, block):
            block[:] = b"\xff" * (len(block) + 1)
            return True

        vs.set_kiv_reader(reader)
        node = self.factory.CreateVirtualC472Node(self.info)
        self.assertFalse(node.PopulateDevice(self.kiv_file("ignored")))
        self.assertEqual(node.NetworkVariables.Item("7").Value, b"\x0a\x0b\x0c")

    def test_exception_in_the_reader_reaches_populate(self):
        def reader(path, program_id, block):
            raise OSError("disk gone")

        vs.set_kiv_reader(reader)
        node = self.factory.CreateVirtualC472Node(self.info)
        with self.assertRaisesRegex(OSError, "disk gone"):
            node.PopulateDevice(self.kiv_file("ignored"))

    def test_default_reader_reads_the_project_format(self):
        good = self.kiv_file("# saved by a test", "vemo-kiv 1", f"program-id {PROGRAM_ID}",
                             "12 34   # CP 10", "56", "0d0E0F")
        node = self.populated(good)
        self.assertEqual(node.ConfigurationProperties.Item("10").Value, b"\x12\x34")
        self.assertEqual(node.ConfigurationProperties.Item("20").Value, b"\x56")
        self.assertEqual(node.NetworkVariables.Item("7").Value, b"\x0d\x0e\x0f")
        cases = {
            "other program id": ("vemo-kiv 1", "program-id 80000A1B2C3D0400", "FFFF"),
            "bad hexadecimal": ("vemo-kiv 1", f"program-id {PROGRAM_ID}", "FG"),
            "no header": (f"program-id {PROGRAM_ID}", "FFFF"),
            "too many bytes": ("vemo-kiv 1", f"program-id {PROGRAM_ID}", "FF" * 64),
        }
        for label, lines in cases.items():
            with self.subTest(label):
                node = self.factory.CreateVirtualC472Node(self.info)
                self.assertFalse(node.PopulateDevice(self.kiv_file(*lines, name="bad.kiv")))
                self.assertEqual(node.ConfigurationProperties.Item("10").Value, b"\x00\x00")


class ThreadAndLifetimeTest(NodeTestCase):
    def test_reader_change_reaches_a_thread_that_already_read(self):
        path = self.kiv_file("ignored")
        seen, errors = [], []
        first_done, reader_changed = threading.Event(), threading.Event()

        def reader(tag):
            def read(path, program_id, block):
                seen.append((tag, threading.get_ident()))
                return True
            return read

        def work():
            try:
                info = vs.cFactory().CreateProgIDInfo(DEVICE_CODE, self.folder)
                for _ in range(2):
                    node = vs.CreateVirtualC472Node(info)
                    node.PopulateDevice(path)
                    first_done.set()
                    reader_changed.wait(10)
            except Exception as error:  # reported on the main thread
                errors.append(error)
                first_done.set()

        vs.set_kiv_reader(reader("first"))
        thread = threading.Thread(target=work)
        thread.start()
        self.assertTrue(first_done.wait(10))
        vs.set_kiv_reader(reader("second"))
        reader_changed.set()
        thread.join(10)
        self.assertEqual(errors, [])
        self.assertEqual([tag for tag, _ in seen], ["first", "second"])
        self.assertEqual({ident for _, ident in seen}, {thread.ident})

    def test_points_outlive_their_node(self):
        node = self.populated()
        nci = node.NetworkVariables.Item("7")
        cp = node.ConfigurationProperties.Item("10")
        nvi = node.NetworkVariables.Item("0")
        del node
        gc.collect()
        self.assertEqual(nci.Value, b"\x0a\x0b\x0c")
        nci.Value = b"\x01\x02\x03"
        cp.Value = b"\x04\x05"
        nvi.Value = b"\x06\x07"
        self.assertEqual((nci.Value, cp.Value, nvi.Value), (b"\x01\x02\x03", b"\x04\x05", b"\x06\x07"))


if __name__ == "__main__":
    unittest.main()
