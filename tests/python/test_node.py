"""Virtual nodes through the Python module: identity, tuples, properties, values, reader, lifetime."""

import concurrent.futures
import gc
import pathlib

import vemosupport as vs

from test_hooks import HostError, raise_host_error
from test_lookup import PROGRAM_ID, CatalogueTestCase, write_file

# CP 10 belongs to the node, CP 20 to object 1; NCI 7 to object 0; NV 0 to object 1.
# The configuration data block holds CP 10, CP 20, then NCI 7.
POINTS = """<CPs><CP Index="#1" Size="2"><Name>10|0|0-12</Name></CP><CP Index="#2" Size="1"><Name>20|1|1-13|1</Name></CP></CPs>
<NCIs><NV Index="N7" Size="3" NVType="22"><Name>nciSet</Name><SelfDoc>&amp;1,0,0,12;Set</SelfDoc><Default>0A0B0C</Default></NV></NCIs>
<NVIs><NV Index="I0" Size="2" NVType="105"><Name>nviTemp</Name><SelfDoc>@1|1;Temp</SelfDoc><Default>0102</Default></NV></NVIs>"""


class NodeTest(CatalogueTestCase):
    def setUp(self):
        super().setUp(points=POINTS)
        self.kiv = write_file(self.folder, "device.kiv", "only the test readers see this file\n")
        self.info = vs.CreateProgIDInfo(PROGRAM_ID, self.folder)
        self.node = vs.cFactory().CreateVirtualC472Node(self.info)
        self.assertTrue(self.node.PopulateDevice(""))
        self.nvs, self.cps = self.node.NetworkVariables, self.node.ConfigurationProperties
        self.damper = self.node.GetObject(2)[0]  # the LonMark object with index 1

    def test_same_object_same_python_object_and_tuples(self):
        self.assertIs(self.node.ProgIDInfo, self.info)
        self.assertIs(next(iter(self.nvs)), self.nvs.Item("0"))
        self.assertEqual(self.node.GetObject(2), (self.damper, "Damper", 3, 0))  # no __eq__: identity
        self.assertEqual(self.node.SendMessageWait("6D", "0000001F", 7), (True, "5B4F66666C696E655D", 7))

    def test_setters(self):
        self.node.Mode = 3  # accepted and ignored
        self.damper.TestCommand = 1
        self.assertRaises(AttributeError, getattr, self.damper, "TestCommand")  # write-only
        self.assertAutomationError(383, setattr, self.damper, "LMObjectType", 1)
        self.assertEqual((self.node.Mode, self.damper.LMObjectType), (1, 3))

    def test_cps_answer_key_and_index_and_numbers_past_a_double_overflow(self):
        self.assertEqual([(cp.Key, cp.Index) for cp in self.cps], [(10, 1), (20, 2)])
        for call, args in ((self.node.GetDomain, (10**400,)), (self.node.GetNode, (0, -10**400)),
                           (self.nvs.Item, (10**400,)), (setattr, (self.nvs.Item("0"), "LMObjectID", 10**400))):
            self.assertAutomationError(6, call, *args)

    def test_in_finds_data_points_as_item_does_and_an_object_has_two_separate_views(self):
        nvs, cps = self.damper.NetworkVariables, self.damper.ConfigurationProperties
        self.assertEqual((nvs.Count, list(nvs)), (1, [self.nvs.Item("0")]))
        self.assertEqual((list(cps.NewEnum()), cps.Item(1)), ([self.cps.Item("20")], self.cps.Item("20")))
        # The node's NVs: index text or position; its CPs: key as number or text, spaces ignored, else nothing.
        self.assertEqual(["7" in self.nvs, "07" in self.nvs, 2 in self.nvs, 3 in self.nvs],
                         [True, False, True, False])
        self.assertEqual([10 in self.cps, " 20 " in self.cps, "99" in self.cps, 1 in self.cps, b"10" in self.cps],
                         [True, True, False, False, False])
        # A LonMark object's views hold only what is filed in it; an object itself is in what holds it.
        self.assertEqual(["0" in nvs, "7" in nvs, "20" in cps, "10" in cps], [True, False, True, False])
        self.assertEqual([self.nvs.Item("7") in self.nvs, self.nvs.Item("7") in nvs, self.cps.Item("20") in cps,
                          self.cps.Item("10") in cps, self.damper in self.nvs], [True, False, True, False, False])

    def test_kiv_reader_fills_the_block_in_place_on_any_thread(self):
        calls = []

        def reader(path, program_id, block):
            calls.append((path, program_id, bytes(block[3:6])))
            block[3:6] = b"\x01\x02\x03"
            return True

        with concurrent.futures.ThreadPoolExecutor(max_workers=1) as worker:  # one thread for both calls
            other = vs.CreateVirtualC472Node(self.info)  # the default reader fails
            self.assertFalse(worker.submit(other.PopulateDevice, self.kiv).result(10))
            vs.set_kiv_reader(reader)  # reaches the thread that already read
            self.assertTrue(worker.submit(self.node.PopulateDevice, self.kiv).result(10))
        self.assertEqual(calls, [(self.kiv, PROGRAM_ID, b"\x0a\x0b\x0c")])
        vs.set_kiv_reader(lambda path, program_id, block: block.insert(0, 0xFF) or True)
        self.assertFalse(self.node.PopulateDevice(self.kiv))  # a block of another size is refused
        self.assertEqual(self.nvs.Item("7").Value, b"\x01\x02\x03")  # the first reader's bytes

    def test_a_reader_that_raises_leaves_the_node_as_it_was(self):
        vs.set_kiv_reader(lambda path, program_id, block: True)
        self.assertTrue(self.node.PopulateDevice(self.kiv.encode()))  # a bytes path
        paths = []
        vs.set_kiv_reader(lambda path, program_id, block: paths.append(path) or raise_host_error(path))
        self.node.Refresh()  # Refresh ignores its reader's failures
        fresh = vs.CreateVirtualC472Node(self.info)
        with self.assertRaises(HostError):
            fresh.PopulateDevice(pathlib.Path(self.kiv))  # a path-like reaches the reader as str
        self.assertEqual((paths, fresh.NetworkVariables, fresh.ObjectCount, self.nvs.Item("7").Value),
                         ([self.kiv, self.kiv], None, 0, b"\x0a\x0b\x0c"))
        vs.set_kiv_reader(lambda path, program_id, block: True)
        self.assertTrue(fresh.PopulateDevice(self.kiv))
        self.assertEqual((fresh.ConfigurationFile, fresh.NetworkVariables.Count), (self.kiv, 2))

    def test_a_path_is_a_path_and_a_memoryview_is_bytes(self):
        for path in (123, 1.5, ["a"]):
            with self.assertRaises(TypeError):
                self.node.PopulateDevice(path)
        temp = self.nvs.Item("0")
        temp.Value = memoryview(b"\x00\x2a")
        self.assertEqual(temp.Value, b"\x00\x2a")
        error = self.assertAutomationError(5, setattr, temp, "Value", memoryview(b"\x01"))  # 2 bytes needed
        self.assertEqual(error.hresult, 0x800A0005)

    def test_values_are_bytes_and_an_nv_outlives_its_node(self):
        nci = self.nvs.Item("7")
        del self.node, self.nvs, self.cps, self.damper
        gc.collect()
        nci.Value = bytearray(b"\x01\x02\x03")
        self.assertEqual((type(nci.Value), nci.Value), (bytes, b"\x01\x02\x03"))
        self.assertAutomationError(5, setattr, nci, "Value", "text")  # only byte arrays


    def test_values_decode_and_are_written_in_units(self):
        temp = self.nvs.Item("0")  # SNVT_temp_p, 0.01 °C a step: 0x0102 is 2.58 °C
        self.assertEqual((vs.TypeOf(temp).name, str(vs.Decode(temp)), vs.Decode(temp).number), ("SNVT_temp_p", "2.58 °C", 2.58))
        vs.SetValue(temp, 21.5)
        self.assertEqual(temp.Value, b"\x08\x66")
        self.assertIn("327.67", self.assertAutomationError(380, vs.SetValue, temp, 400).description)
        self.assertAutomationError(380, vs.Decode, self.nvs.Item("7"))  # 3 bytes of a 1-byte type
        switch = vs.FindType("snvt_switch")
        self.assertEqual((switch.number, switch.size, vs.EncodeValue(switch, "{value: 100, state: 1}")), (95, 2, b"\xc8\x01"))
        value = vs.DecodeBytes("SNVT_switch", b"\xc8\x01")
        self.assertEqual((value.field("state").number, str(value.field("value")), value.kind), (1, "100.0 %", "structure"))
        self.assertEqual((vs.FindType(49, "SCPT").name, vs.FindType(9999)), ("SCPTmaxSendTime", None))
        with self.assertRaises(TypeError):
            vs.Decode(self.damper)


class FailedPopulationTest(CatalogueTestCase):
    # NCI 8's SelfDoc does not start with "&" or "~": building it shows a box.
    def setUp(self):
        super().setUp(points=POINTS.replace("</NCIs>", '<NV Index="N8" Size="1" NVType="22"><Name>nciPlain</Name>'
                                                       "<SelfDoc>Plain</SelfDoc><Default>05</Default></NV></NCIs>"))
        self.node = vs.CreateVirtualC472Node(vs.CreateProgIDInfo(PROGRAM_ID, self.folder))

    def test_a_box_that_raises_during_population_leaves_a_node_that_populates_fully_later(self):
        vs.set_message_box(raise_host_error)
        with self.assertRaises(HostError):
            self.node.PopulateDevice("")
        vs.set_message_box(lambda *box: self.boxes.append(box))
        self.assertTrue(self.node.PopulateDevice(""))
        self.assertEqual({nv.Index: nv.Value for nv in self.node.NetworkVariables},
                         {0: b"\x01\x02", 7: b"\x0a\x0b\x0c", 8: b"\x05"})
        self.assertEqual(len(self.boxes), 1)  # the box of the second, whole population
