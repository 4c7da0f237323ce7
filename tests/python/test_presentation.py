"""What the module tells about itself: its version and repr() of every object."""

import pathlib
import re

import vemosupport as vs

from test_lookup import DEVICE_CODE, PROGRAM_ID, CatalogueTestCase
from test_node import POINTS

SOURCE = pathlib.Path(__file__).resolve().parents[2]


class VersionAndDocumentationTest(CatalogueTestCase):
    def test_version_is_the_library_version_the_project_declares(self):
        declared = re.search(r"project\(vemosupport VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text())
        self.assertEqual(vs.__version__, declared.group(1))


class ReprTest(CatalogueTestCase):
    def setUp(self):
        super().setUp(points=POINTS.replace("<Name>nviTemp</Name>", "<Name>nvi&#9;Temp</Name>"))
        self.info = vs.CreateProgIDInfo(PROGRAM_ID, self.folder)
        self.node = vs.CreateVirtualC472Node(self.info)

    def test_records_show_their_program_id_and_code_and_say_when_incomplete(self):
        sample = vs.CreateProgIDInfo("9A10C0DE00010401", SOURCE / "catalog")
        self.assertEqual(repr(sample), "<cProgIDInfo 9A10C0DE00010401 ZC41>")
        self.assertEqual(repr(self.info), f"<cProgIDInfo {PROGRAM_ID} {DEVICE_CODE} invalid>")  # DevInfo is short
        self.assertEqual(repr(vs.CreateProgIDConfigInfo(PROGRAM_ID, self.folder)),
                         f"<cProgIDConfigInfo P{PROGRAM_ID} level=2>")
        self.assertEqual(repr(self.info.Item("DeviceCode")), f"<cProgIDItem DeviceCode={DEVICE_CODE}>")
        self.assertEqual([repr(vs.cFactory()), repr(self.info.NewEnum())], ["<cFactory>", "<Enumerator>"])

    def test_node_objects_and_data_points_show_index_name_key_and_size(self):
        self.assertEqual(repr(self.node), f"<C472VirtualNode {PROGRAM_ID} objects=0>")
        self.node.PopulateDevice("")
        damper = self.node.GetObject(2)[0]
        cps, nvs = self.node.ConfigurationProperties, self.node.NetworkVariables
        self.assertEqual([repr(self.node), repr(damper), repr(self.node.GetObject(0)[0])],
                         [f"<C472VirtualNode {PROGRAM_ID} objects=3>", "<C472VirtualLM 1 Damper>",
                          "<C472VirtualLM -1 'Device Object'>"])  # a name with a space stays one word
        self.assertEqual([repr(cps), repr(cps.Item(10)), repr(nvs), repr(nvs.Item("7"))],
                         ["<C472VirtualCPCol count=2>", "<C472VirtualCP key=10 size=2>", "<C472VirtualNVCol count=2>",
                          "<C472VirtualNV 7 nciSet len=3>"])
        self.assertEqual(repr(nvs.Item("0")), r"<C472VirtualNV 0 'nvi\tTemp' len=2>")  # one line, escaped
        self.assertEqual([repr(damper.ConfigurationProperties), repr(damper.NetworkVariables)],
                         ["<LMObjectCPs 1 Damper count=1>", "<LMObjectNVs 1 Damper count=1>"])
