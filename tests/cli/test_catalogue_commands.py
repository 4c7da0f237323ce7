"""vemo list, vemo diff, and vemo node --set / --write-config."""
import os
import re
import shutil
import tempfile
import unittest

from vemo_cli import CATALOG, DEMO, KIV, MISSING, kiv_bytes, vemo, vemo_json, vemo_limited, write


def catalogue_file(path, *devices, head=""):
    """A catalogue file of (program ID, code, manufacturer) entries."""
    write(path, head + "<C5Devices>" + "".join(
        f'<C5Device ProgramID="P{id}"><DevInfo><DeviceCode>{code}</DeviceCode><DeviceType>T</DeviceType>'
        f'<Manufacturer>{maker}</Manufacturer></DevInfo></C5Device>' for id, code, maker in devices) + "</C5Devices>\n")


class ListTest(unittest.TestCase):
    def test_devices_come_in_lookup_order_and_unreadable_files_are_named(self):
        with tempfile.TemporaryDirectory() as folder:
            catalogue_file(os.path.join(folder, "b.xml"), ("00000000000000B1", "DUP1", "M"))
            catalogue_file(os.path.join(folder, "A.XML"), ("00000000000000A1", "DUP1", "Acme"))
            write(os.path.join(folder, "y.xml"), "<C5Devices>\n<C5Device>\n")
            result, listing = vemo_json("list", "--catalog", folder)
            self.assertEqual(result.returncode, 1, "an unreadable file leaves the list incomplete")
            self.assertEqual(listing["folder"], folder + "/")
            self.assertEqual([d["programId"] for d in listing["devices"]], ["00000000000000A1", "00000000000000B1"])
            self.assertEqual(listing["devices"][0], {"programId": "00000000000000A1", "deviceCode": "DUP1",
                                                     "deviceType": "T", "manufacturer": "Acme",
                                                     "xmlFilename": os.path.join(folder, "A.XML")})
            self.assertEqual([f["xmlFilename"] for f in listing["unreadableFiles"]], [os.path.join(folder, "y.xml")])
            self.assertIn("y.xml", result.stderr)
            # The library's own lookup by code answers the first listed entry.
            _, record = vemo_json("info", "DUP1", "--catalog", folder)
            self.assertEqual(record["xmlFilename"], os.path.join(folder, "A.XML"))
            text = vemo("list", "--catalog", folder).stdout
            self.assertLess(text.index("00000000000000A1"), text.index("00000000000000B1"))
            self.assertIn("Unreadable: y.xml", text)

    def test_internal_entities_expand_and_external_ones_are_never_loaded(self):
        with tempfile.TemporaryDirectory() as folder:
            secret = write(os.path.join(folder, "secret.txt"), "TOP-SECRET")
            catalogue_file(os.path.join(folder, "a.xml"), ("00000000000000A1", "EN01", "&maker;"),
                           head='<!DOCTYPE C5Devices [<!ENTITY maker "Acme &amp; Sons">]>')
            catalogue_file(os.path.join(folder, "b.xml"), ("00000000000000B1", "EN02", "&secret;"),
                           head=f'<!DOCTYPE C5Devices [<!ENTITY secret SYSTEM "file://{secret}">]>')
            result, listing = vemo_json("list", "--catalog", folder)
        self.assertEqual([d["manufacturer"] for d in listing["devices"]], ["Acme & Sons"])
        self.assertEqual([os.path.basename(f["xmlFilename"]) for f in listing["unreadableFiles"]], ["b.xml"])
        self.assertNotIn("TOP-SECRET", result.stdout + result.stderr)


class DiffTest(unittest.TestCase):
    def test_a_device_against_itself_is_identical(self):
        # The page's example shows two different entries side by side, with their changes.
        result, diff = vemo_json("diff", DEMO, "ZC41", "--catalog", CATALOG)
        self.assertEqual((result.returncode, diff["identical"]), (0, True), result.stderr)
        self.assertIn("same", vemo("diff", DEMO, "ZC41", "--catalog", CATALOG).stdout)

    def test_changed_added_and_removed_entries_are_keyed_by_cp_key_and_nv_index(self):
        other = "9A10C0DE00019999"
        with open(os.path.join(CATALOG, DEMO + ".xml")) as file:
            text = file.read().replace("P" + DEMO, "P" + other).replace("<DeviceCode>ZC41<", "<DeviceCode>ZC99<")
        for old, new in [
            ('<Default>0852</Default>', '<Default>0900</Default>'),  # NV 12's default
            ('<CP Index="#3" Size="1">', '<CP Index="#3" Size="2">'),  # CP 103 grows
            ('<NV Index="O23" Size="2" NVType="81"><Name>nvoFanSpeed</Name><SelfDoc>@1|2;Fan speed feedback</SelfDoc></NV>', ''),
            ('</CPs>', '<CP Index="#7" Size="1"><Name>107|1|1-9|3</Name></CP></CPs>'),
        ]:
            self.assertIn(old, text)
            text = text.replace(old, new)
        with tempfile.TemporaryDirectory() as folder:
            shutil.copy(os.path.join(CATALOG, DEMO + ".xml"), folder)
            write(os.path.join(folder, other + ".xml"), text)
            result, diff = vemo_json("diff", DEMO, other, "--catalog", folder)
            text = vemo("diff", DEMO, other, "--catalog", folder).stdout
        self.assertEqual((result.returncode, diff["identical"]), (0, False), result.stderr)
        self.assertEqual((diff["a"]["programId"], diff["b"]["programId"], diff["b"]["deviceCode"]),
                         (DEMO, other, "ZC99"))
        value = lambda side: side and side["value"]
        self.assertEqual({cp["key"]: (cp["fields"], value(cp["a"]), value(cp["b"]))
                          for cp in diff["configurationProperties"]},
                         {103: (["elementSize", "value"], "00", "0000"), 107: ([], None, "00")})
        self.assertEqual({n["index"]: (n["fields"], value(n["a"]), value(n["b"])) for n in diff["networkVariables"]},
                         {12: (["value"], "0852", "0900"), 23: ([], "0000", None)})
        self.assertEqual({change["index"]: change["fields"] for change in diff["objects"]},
                         {1: ["nvIndexes"], 3: ["cpKeys"]})
        for line in ("CP 103  differs in elementSize, value", "NV 23  only in A", "CP 107  only in B"):
            self.assertIn(line, text)

    def test_a_missing_device_on_either_side_is_not_found(self):
        for pair in ((DEMO, MISSING), (MISSING, DEMO)):
            result, answer = vemo_json("diff", *pair, "--catalog", CATALOG)
            self.assertEqual((result.returncode, answer["kind"], answer["id"]), (3, "notFound", MISSING))


def values(node):
    return ({cp["key"]: cp["value"] for cp in node["configurationProperties"]},
            {nv["index"]: nv["value"] for nv in node["networkVariables"]})


class NodeSetTest(unittest.TestCase):
    def test_set_writes_nv_and_cp_values_before_the_node_is_shown_and_nothing_else(self):
        _, plain = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", KIV)
        result, node = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", KIV, "--set", "nv:12=0x0866",
                                 "--set", "nv:32=0x01 02 0a 0B 0c 0d 0e 0f 10 11 12 13", "--set", "cp:104=0XDEADBEEF")
        self.assertEqual(result.returncode, 0, result.stderr)
        (cps, nvs), (plain_cps, plain_nvs) = values(node), values(plain)
        self.assertEqual((nvs.pop(12), nvs.pop(32), cps.pop(104)), ("0866", "01020A0B0C0D0E0F10111213", "DEADBEEF"))
        self.assertEqual((cps, nvs), ({k: v for k, v in plain_cps.items() if k != 104},
                                      {k: v for k, v in plain_nvs.items() if k not in (12, 32)}))

    def test_values_in_units_by_index_or_name_whole_or_one_field(self):
        _, plain = vemo_json("node", DEMO, "--catalog", CATALOG)
        damper = values(plain)[1][21]  # SNVT_switch: value byte, then state
        # (set, point, bytes): SNVT_temp_p 0.01 °C a step; SNVT_time_sec 0.1 s; occup_t;
        # CP 105 inherits SNVT_lev_percent (0.005 %) from NV 20, which it applies to.
        cases = [("nv:12=21.5", 12, "0866"), ("nv:nviZoneSetpt=-10", 12, "FC18"), ("nv:13=HVAC_HEAT", 13, "01"),
                 ("nv:21=state=1", 21, damper[:2] + "01"), ("nv:21={value: 100, state: 0}", 21, "C800"),
                 ("cp:101=30", 101, "012C"), ("cp:105=2.5", 105, "01F4"), ("nv:12=0x08 66", 12, "0866")]
        for text, point, expected in cases:
            with self.subTest(text=text):
                result, node = vemo_json("node", DEMO, "--catalog", CATALOG, "--set", text)
                self.assertEqual(result.returncode, 0, result.stderr)
                cps, nvs = values(node)
                self.assertEqual((cps if text.startswith("cp") else nvs)[point], expected)

    def test_malformed_or_impossible_sets_are_usage_errors(self):
        # (set, words of the message besides the set itself)
        for text, words in (("nv:12=0x086", "0x"), ("nv:12=0x08 6", "0x"), ("nv:12=", "missing"), ("nv:12=0x", "no bytes"),
                            ("nv:12=0xzz00", "0x"), ("nv:=1", "index"), ("nv:-=1", "index"), ("np:12=1", "nv:"),
                            ("nv12=1", "nv:"), ("nv:12=0x086600", "2 bytes"), ("nv:12=0x08", "2 bytes"),
                            ("nv:99=0x00", "no NV"), ("nv:nviNone=1", "no NV named"), ("cp:999=0x00", "no CP"),
                            ("cp:101=0x00", "2 bytes"), ("cp:12=0x0000", "no CP"),
                            ("nv:12=0866", "leading zero"), ("nv:12=400", "327.67"), ("nv:12=-274", "-273.17"),
                            ("nv:12=warm", "SNVT_temp_p"), ("nv:13=OC_NONE", "SNVT_hvac_mode"),
                            ("nv:21=level=1", "SNVT_switch"), ("cp:103=5", "no standard type")):
            with self.subTest(text=text):
                result = vemo("node", DEMO, "--catalog", CATALOG, "--set", text, "--json")
                self.assertEqual((result.returncode, result.stdout), (2, ""))
                self.assertIn(text, result.stderr)
                self.assertIn(words, result.stderr)


class WriteConfigTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)
        self.out = os.path.join(self.folder, "out.kiv")

    def node(self, *args, catalog=CATALOG):
        result, node = vemo_json("node", DEMO, "--catalog", catalog, *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return node

    def test_the_sample_configuration_file_round_trips_and_is_replaced_only_with_force_and_whole(self):
        original = self.node("--config", KIV, "--write-config", self.out)
        # The same bytes in the same order, the spare byte included.
        self.assertEqual(kiv_bytes(self.out), kiv_bytes(KIV))
        reread = self.node("--config", self.out)
        self.assertEqual((reread["populated"], values(reread)), (True, values(original)))
        write(self.out, "keep me\n")
        result = vemo("node", DEMO, "--catalog", CATALOG, "--config", KIV, "--write-config", self.out)
        self.assertEqual((result.returncode, result.stdout), (2, ""))
        self.assertIn(self.out, result.stderr)
        # A --force that runs out of room leaves the old file whole.
        full = vemo_limited(64, "node", DEMO, "--catalog", CATALOG, "--config", KIV, "--write-config", self.out, "--force")
        self.assertEqual((full.returncode, full.stdout), (1, ""))  # no node shown when its file was not written
        self.assertIn(self.out, full.stderr)
        with open(self.out) as file:
            self.assertEqual(file.read(), "keep me\n")
        self.node("--config", KIV, "--write-config", self.out, "--force")
        self.assertEqual(kiv_bytes(self.out), kiv_bytes(KIV))

    def test_set_values_are_written_in_cp_index_order_then_the_configuration_nvs(self):
        with open(os.path.join(CATALOG, DEMO + ".xml")) as file:
            # Key 101 moves to the end of the block, key 106 to the front.
            text = re.sub(r'<CP Index="#(\d)"', lambda m: f'<CP Index="#{7 - int(m.group(1))}"', file.read())
        catalog = os.path.join(self.folder, "catalog")
        os.mkdir(catalog)
        write(os.path.join(catalog, DEMO + ".xml"), text)
        sets = ["cp:101=0x0101", "cp:102=0x0202", "cp:103=0x03", "cp:104=0x04040404", "cp:105=0x0505", "cp:106=0x06",
                "nv:30=0x3030", "nv:31=0x3131", "nv:32=0x" + "32" * 12, "nv:33=0x33", "nv:12=21.5"]
        written = self.node(*[arg for value in sets for arg in ("--set", value)], "--write-config", self.out,
                            catalog=catalog)
        expected = "06 0505 04040404 03 0202 0101 3030 3131" + "32" * 12 + "33 00"
        self.assertEqual(kiv_bytes(self.out), bytes.fromhex(expected))
        cps, nvs = values(self.node("--config", self.out, catalog=catalog))
        written_cps, written_nvs = values(written)
        # An input/output NV lies outside the block: the file keeps its default.
        self.assertEqual((written_nvs.pop(12), nvs.pop(12)), ("0866", "0852"))
        self.assertEqual((cps, nvs), (written_cps, written_nvs))


if __name__ == "__main__":
    unittest.main()
