"""Virtual nodes through the Python module: identity, tuples, properties, values, reader, lifetime."""

import concurrent.futures
import gc

import vemosupport as vs

from test_lookup import PROGRAM_ID, CatalogueTestCase, write_file

# CP 10 belongs to the node, CP 20 to object 1; NCI 7 to object 0; NVs 0 and 3 to object 1.
# The configuration data block holds CP 10, CP 20, then NCI 7.
POINTS = """<CPs><CP Index="#1" Size="2"><Name>10|0|0-12</Name></CP><CP Index="#2" Size="1"><Name>20|1|1-13|1</Name></CP></CPs>
<NCIs><NV Index="N7" Size="3" NVType="22"><Name>nciSet</Name><SelfDoc>&amp;1,0,0,12;Set</SelfDoc><Default>0A0B0C</Default></NV></NCIs>
<NVIs><NV Index="I0" Size="2" NVType="105"><Name>nviTemp</Name><SelfDoc>@1|1;Temp</SelfDoc><Default>0102</Default></NV></NVIs>
<NVOs><NV Index="O3" Size="2" NVType="105"><Name>nvoTemp</Name><SelfDoc>@1|2;Temp</SelfDoc></NV></NVOs>"""


class NodeTest(CatalogueTestCase):
    def setUp(self):
        super().setUp(points=POINTS)
        self.kiv = write_file(self.folder, "device.kiv", "only the test readers see this file\n")
        self.info = vs.CreateProgIDInfo(PROGRAM_ID, self.folder)
        self.node = vs.cFactory().CreateVirtualC472Node(self.info)
        self.assertTrue(self.node.PopulateDevice(""))
        self.nvs, self.cps = self.node.NetworkVariables, self.node.ConfigurationProperties
        self.damper = self.node.GetObject(2)[0]  # the LonMark object with index 1

    def test_population_end_to_end_with_values_as_bytes(self):
        self.assertEqual(self.node.ObjectCount, 3)
        self.assertEqual([(nv.Name, nv.Value) for nv in self.nvs],
                         [("nviTemp", b"\x01\x02"), ("nvoTemp", b"\x00\x00"), ("nciSet", b"\x0a\x0b\x0c")])
        self.assertEqual([(cp.Name, cp.Value) for cp in self.cps], [("10|0|0-12", b"\x00\x00"), ("20|1|1-13|1", b"\x00")])
        nvi, cp = self.nvs.Item("0"), self.cps.Item("10")
        for value in (b"\x7f\x80", bytearray(b"\x05\x06")):
            nvi.Value = cp.Value = value
            self.assertEqual((type(nvi.Value), nvi.Value, cp.Value), (bytes, bytes(value), bytes(value)))
        for wrong in ("text", 5, None):
            self.assertAutomationError(5, setattr, nvi, "Value", wrong)

    def test_same_object_same_python_object_and_tuples(self):
        self.assertIs(self.node.ProgIDInfo, self.info)
        self.assertIs(self.node.NetworkVariables, self.nvs)
        self.assertIs(next(iter(self.nvs)), self.nvs.Item(1))
        self.assertIs(next(self.nvs.NewEnum()), self.nvs.Item("0"))
        self.assertEqual(self.node.GetObject(2)[1:], ("Damper", 3, 0))
        self.assertIs(self.node.GetObject(2)[0], self.damper)
        self.assertEqual(self.node.SendMessageWait("6D", "0000001F", 7), (True, "5B4F66666C696E655D", 7))

    def test_properties_and_setters(self):
        self.node.Mode = 3  # accepted and ignored
        self.assertEqual(self.node.Mode, 1)
        self.assertAutomationError(13, setattr, self.node, "Mode", "abc")
        self.node.SendExplicitMessages = "False"
        self.assertIs(self.node.SendExplicitMessages, False)
        self.damper.TestCommand = 1
        with self.assertRaises(AttributeError):
            self.damper.TestCommand
        error = self.assertAutomationError(383, setattr, self.damper, "LMObjectType", 1)
        self.assertEqual((error.description, self.damper.LMObjectType), ("Property is read-only!", 3))

    def test_lonmark_object_has_two_separate_views(self):
        views = (self.damper.NetworkVariables, self.damper.ConfigurationProperties)
        for view, points, keys in zip(views, (self.nvs, self.cps), (["0", "3"], ["20"])):
            self.assertEqual((view.Count, len(view)), (len(keys), len(keys)))
            self.assertEqual(list(view), [points.Item(key) for key in keys])
            self.assertEqual(list(view.NewEnum()), list(view))
            self.assertIs(view.Item(1), points.Item(keys[0]))

    def test_kiv_reader_fills_the_block_in_place_and_answers_populate(self):
        calls = []

        def reader(path, program_id, block):
            calls.append((path, program_id, bytes(block[3:6])))
            block[3:6] = b"\x01\x02\x03"
            return len(calls) == 1

        vs.set_kiv_reader(reader)
        self.assertTrue(self.node.PopulateDevice(self.kiv))
        self.assertEqual(calls, [(self.kiv, PROGRAM_ID, b"\x0a\x0b\x0c")])
        self.assertEqual(self.nvs.Item("7").Value, b"\x01\x02\x03")
        self.assertFalse(self.node.PopulateDevice(self.kiv))  # the reader's answer
        vs.set_kiv_reader(lambda path, program_id, block: block.insert(0, 0xFF) or True)
        self.assertFalse(self.node.PopulateDevice(self.kiv))  # a block of another size is refused
        self.assertEqual(self.nvs.Item("7").Value, b"\x01\x02\x03")

    def test_kiv_reader_change_reaches_a_thread_that_already_read(self):
        with concurrent.futures.ThreadPoolExecutor(max_workers=1) as worker:  # one thread for both calls
            first, second = (vs.CreateVirtualC472Node(self.info) for _ in range(2))
            self.assertFalse(worker.submit(first.PopulateDevice, self.kiv).result(10))  # default reader fails
            vs.set_kiv_reader(lambda path, program_id, block: True)
            self.assertTrue(worker.submit(second.PopulateDevice, self.kiv).result(10))

    def test_points_outlive_their_node(self):
        nci, cp = self.nvs.Item("7"), self.cps.Item("10")
        del self.node, self.nvs, self.cps, self.damper
        gc.collect()
        self.assertEqual(nci.Value, b"\x0a\x0b\x0c")
        nci.Value, cp.Value = b"\x01\x02\x03", b"\x04\x05"
        self.assertEqual((nci.Value, cp.Value), (b"\x01\x02\x03", b"\x04\x05"))
