"""What vemo's commands do, from Python: list a catalogue, compare two devices, write a
node's configuration file and an imported device; each answers as the command does."""

import json
import pathlib
import subprocess
import tempfile
import unittest

import vemosupport as vs

SOURCE = pathlib.Path(__file__).resolve().parents[2]
CATALOG = SOURCE / "catalog"
VEMO = pathlib.Path(vs.__file__).resolve().parent.parent / "tools" / "vemo" / "vemo"
DEMO, OTHER = "9A10C0DE00010401", "9A10C0DE00020201"


def vemo_json(*args):
    return json.loads(subprocess.run([str(VEMO), *args, "--json"], capture_output=True, text=True, timeout=60).stdout)


def node_of(program_id, folder=CATALOG, kiv=""):
    node = vs.CreateVirtualC472Node(vs.CreateProgIDInfo(program_id, folder))
    node.PopulateDevice(kiv)
    return node


class ModuleCommandsTest(unittest.TestCase):
    def setUp(self):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.folder = pathlib.Path(tmp.name)

    def test_listing_and_comparing_answer_as_vemo_list_and_diff(self):
        (self.folder / "broken.xml").write_text("<C5Devices>")
        listing = vs.ListCatalogue(self.folder)
        self.assertEqual((listing.entries, [file.xml_filename for file in listing.unreadable_files]),
                         ([], [str(self.folder / "broken.xml")]))
        expected = vemo_json("list", "--catalog", str(CATALOG))["devices"]
        self.assertEqual([entry._asdict() for entry in vs.ListCatalogue(CATALOG).entries],
                         [{"program_id": d["programId"], "device_code": d["deviceCode"], "device_type": d["deviceType"],
                           "manufacturer": d["manufacturer"], "xml_filename": d["xmlFilename"]} for d in expected])

        comparison = vs.CompareNodes(node_of(DEMO), node_of(OTHER))
        diff = vemo_json("diff", DEMO, OTHER, "--catalog", str(CATALOG))
        for ours, theirs, key in ((comparison.objects, diff["objects"], "index"),
                                  (comparison.configuration_properties, diff["configurationProperties"], "key"),
                                  (comparison.network_variables, diff["networkVariables"], "index")):
            self.assertEqual([(d.key, d.in_a, d.in_b, d.fields) for d in ours],
                             [(c[key], c["a"] is not None, c["b"] is not None, c["fields"]) for c in theirs])
        self.assertFalse(comparison.identical)
        changed, same = node_of(DEMO), node_of(DEMO)
        vs.SetValue(changed.NetworkVariables.Item("12"), 30)
        self.assertEqual(vs.CompareNodes(changed, same).network_variables, [vs.EntryDifference(12, True, True, ["value"])])
        self.assertTrue(vs.CompareNodes(same, node_of(DEMO)).identical)

    def test_a_written_configuration_file_gives_a_node_its_values_and_is_not_overwritten_unasked(self):
        node = node_of(DEMO, kiv=str(CATALOG / f"{DEMO}.kiv"))
        cp = node.ConfigurationProperties.Item(101)
        cp.Value = bytes([0x01, 0x2D])
        path = self.folder / "zone.kiv"
        vs.WriteConfigurationFile(node, path)
        self.assertEqual(path.read_text(), vs.NodeConfigurationFile(node))
        self.assertEqual(node_of(DEMO, kiv=str(path)).ConfigurationProperties.Item(101).Value, b"\x01\x2d")
        cp.Value = bytes([0x00, 0x01])
        with self.assertRaises(FileExistsError):
            vs.WriteConfigurationFile(node, path)
        self.assertIn("01 2D", path.read_text())
        vs.WriteConfigurationFile(node, path, replace=True)
        self.assertEqual(node_of(DEMO, kiv=str(path)).ConfigurationProperties.Item(101).Value, b"\x00\x01")

    def test_an_imported_device_is_written_into_a_new_folder_whole_and_found_there(self):
        device = vs.ImportDeviceInterface(SOURCE / "docs" / "examples" / "ZC410.xif")
        folder = self.folder / "new" / "catalog"
        entry, kiv = vs.WriteImportedDevice(device, folder)
        self.assertEqual((entry, kiv), (f"{folder}/{DEMO}.xml", f"{folder}/{DEMO}.kiv"))
        self.assertEqual(pathlib.Path(kiv).read_bytes(), device.configuration_file)
        self.assertTrue(node_of(DEMO, folder, kiv).ConfigurationProperties.Count > 0)
        pathlib.Path(kiv).write_text("changed")
        with self.assertRaises(FileExistsError):
            vs.WriteImportedDevice(device, folder)
        self.assertEqual(pathlib.Path(kiv).read_text(), "changed")
        vs.WriteImportedDevice(device, folder, replace=True)
        self.assertEqual(pathlib.Path(kiv).read_bytes(), device.configuration_file)
        with self.assertRaises(NotADirectoryError):
            vs.WriteImportedDevice(device, kiv)

    def test_a_value_of_the_wrong_length_is_refused_naming_the_length_expected(self):
        node = node_of(DEMO)
        for point, value, expected in ((node.NetworkVariables.Item("12"), b"\x01", "takes 2 bytes, not 1"),
                                       (node.ConfigurationProperties.Item(101), b"\x01", "Expected 2 bytes, not 1")):
            with self.subTest(point=point), self.assertRaises(vs.AutomationError) as raised:
                point.Value = value
            self.assertEqual(raised.exception.number, 5)
            self.assertIn(expected, raised.exception.description)


if __name__ == "__main__":
    unittest.main()
