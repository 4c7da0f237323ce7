"""vemo list, vemo diff, and vemo node --set / --write-config."""
import os
import re
import shutil
import tempfile
import unittest

from vemo_cli import CATALOG, DEMO, KIV, kiv_bytes, vemo, vemo_json

ENTRY = ('<C5Device ProgramID="P{id}"><DevInfo><DeviceCode>{code}</DeviceCode><DeviceType>{type}</DeviceType>'
         '<Manufacturer>{maker}</Manufacturer></DevInfo></C5Device>')


def catalogue_file(path, *entries, head=""):
    with open(path, "w") as file:
        file.write(head + "<C5Devices>" + "".join(ENTRY.format(**entry) for entry in entries) + "</C5Devices>\n")


def device(id, code, type="T", maker="M"):
    return {"id": id, "code": code, "type": type, "maker": maker}


class ListTest(unittest.TestCase):
    def test_devices_come_in_lookup_order_and_unreadable_files_are_named(self):
        with tempfile.TemporaryDirectory() as root:
            folder = os.path.join(root, "catalog")
            os.mkdir(folder)
            catalogue_file(os.path.join(folder, "b.xml"), device("00000000000000B1", "DUP1"), device("00000000000000B2", "BB02"))
            catalogue_file(os.path.join(folder, "a.xml"), device("00000000000000A2", "AA02"))
            catalogue_file(os.path.join(folder, "A.XML"), device("00000000000000A1", "DUP1", "Zone", "Acme"))
            catalogue_file(os.path.join(folder, "notes.txt"), device("00000000000000C1", "CC01"))
            os.mkdir(os.path.join(folder, "sub.xml"))
            with open(os.path.join(folder, "other.xml"), "w") as other:
                other.write('<Devices><C5Device ProgramID="P00000000000000D1"/></Devices>\n')
            with open(os.path.join(folder, "y.xml"), "w") as broken:
                broken.write("<C5Devices>\n<C5Device>\n")
            catalogue_file(os.path.join(root, "outside.xml"), device("00000000000000E1", "EE01"))
            os.symlink(os.path.join(root, "outside.xml"), os.path.join(folder, "z.xml"))

            result, listing = vemo_json("list", "--catalog", folder)
            self.assertEqual(result.returncode, 1, "an unreadable file leaves the list incomplete")
            self.assertEqual(listing["folder"], folder + "/")
            self.assertEqual([(d["programId"], os.path.basename(d["xmlFilename"])) for d in listing["devices"]],
                             [("00000000000000A1", "A.XML"), ("00000000000000A2", "a.xml"),
                              ("00000000000000B1", "b.xml"), ("00000000000000B2", "b.xml")])
            self.assertEqual(listing["devices"][0], {"programId": "00000000000000A1", "deviceCode": "DUP1",
                                                     "deviceType": "Zone", "manufacturer": "Acme",
                                                     "xmlFilename": os.path.join(folder, "A.XML")})
            self.assertEqual([os.path.basename(f["xmlFilename"]) for f in listing["unreadableFiles"]], ["y.xml", "z.xml"])
            self.assertIn("outside the catalogue folder", listing["unreadableFiles"][1]["description"])
            self.assertIn("y.xml", result.stderr)
            # The library's own lookup by code answers the first listed entry.
            _, record = vemo_json("info", "DUP1", "--catalog", folder)
            self.assertEqual(record["xmlFilename"], os.path.join(folder, "A.XML"))

            text = vemo("list", "--catalog", folder).stdout
            self.assertLess(text.index("00000000000000A1"), text.index("00000000000000B2"))
            self.assertIn("Unreadable: y.xml", text)

    def test_the_sample_catalogue_list_agrees_with_the_librarys_lookups(self):
        result, listing = vemo_json("list", "--catalog", CATALOG)
        self.assertEqual(result.returncode, 0, result.stderr)
        devices = listing["devices"]
        self.assertTrue(devices)
        files_by_id, files_by_code = {}, {}
        for entry in devices:
            files_by_id.setdefault(entry["programId"], []).append(entry["xmlFilename"])
            files_by_code.setdefault(entry["deviceCode"], []).append(entry["xmlFilename"])
        # A lookup tries one named file first, then scans in the listed order.
        for program_id, files in files_by_id.items():
            own = os.path.join(CATALOG, program_id + ".xml")
            _, record = vemo_json("info", program_id, "--catalog", CATALOG)
            self.assertEqual(record["xmlFilename"], own if own in files else files[0], program_id)
        for code, files in files_by_code.items():
            misc = os.path.join(CATALOG, "MiscPIDs.xml")
            _, record = vemo_json("info", code, "--catalog", CATALOG)
            self.assertEqual(record["xmlFilename"], misc if misc in files else files[0], code)
        text = vemo("list", "--catalog", CATALOG).stdout
        self.assertTrue(all(entry["programId"] in text and entry["deviceCode"] in text for entry in devices))

    def test_without_a_catalogue_folder_list_resolves_it_as_the_library_does(self):
        with tempfile.TemporaryDirectory() as empty:
            missing = os.path.join(empty, "missing")
            nowhere = dict(os.environ, VEMO_CONFIG_PATH=missing, VEMO_DEFAULT_CATALOG_DIR=missing)
            for env in (dict(nowhere, VEMO_CONFIG_PATH=CATALOG), dict(nowhere, VEMO_DEFAULT_CATALOG_DIR=CATALOG),
                        dict(os.environ, VEMO_CONFIG_PATH=CATALOG, VEMO_DEFAULT_CATALOG_DIR=empty)):
                result, listing = vemo_json("list", env=env)
                self.assertEqual((result.returncode, listing["folder"]), (0, CATALOG + "/"))
            result, answer = vemo_json("list", env=nowhere)
            self.assertEqual((result.returncode, answer["kind"], answer["error"]["number"]), (1, "error", 76))

    def test_internal_entities_expand_and_external_ones_are_never_loaded(self):
        with tempfile.TemporaryDirectory() as root:
            secret = os.path.join(root, "secret.txt")
            with open(secret, "w") as file:
                file.write("TOP-SECRET")
            folder = os.path.join(root, "catalog")
            os.mkdir(folder)
            catalogue_file(os.path.join(folder, "a.xml"), device("00000000000000A1", "EN01", maker="&maker;"),
                           head='<!DOCTYPE C5Devices [<!ENTITY maker "Acme &amp; Sons">]>')
            catalogue_file(os.path.join(folder, "b.xml"), device("00000000000000B1", "EN02", maker="&secret;"),
                           head=f'<!DOCTYPE C5Devices [<!ENTITY secret SYSTEM "file://{secret}">]>')
            result, listing = vemo_json("list", "--catalog", folder)
        self.assertEqual([d["manufacturer"] for d in listing["devices"]], ["Acme & Sons"])
        self.assertEqual([os.path.basename(f["xmlFilename"]) for f in listing["unreadableFiles"]], ["b.xml"])
        self.assertNotIn("TOP-SECRET", result.stdout + result.stderr)


def modified_demo(folder, program_id, code, edits):
    """The demo device's catalogue file under another ID and code, with text replacements."""
    with open(os.path.join(CATALOG, DEMO + ".xml")) as file:
        text = file.read().replace("P" + DEMO, "P" + program_id).replace("<DeviceCode>ZC41<", f"<DeviceCode>{code}<")
    for old, new in edits:
        assert old in text, old
        text = text.replace(old, new)
    with open(os.path.join(folder, program_id + ".xml"), "w") as file:
        file.write(text)


class DiffTest(unittest.TestCase):
    def test_a_device_against_itself_is_identical(self):
        result, diff = vemo_json("diff", DEMO, "ZC41", "--catalog", CATALOG)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual((diff["identical"], diff["objects"], diff["configurationProperties"], diff["networkVariables"]),
                         (True, [], [], []))
        self.assertEqual(diff["a"], diff["b"])
        self.assertIn("same", vemo("diff", DEMO, "ZC41", "--catalog", CATALOG).stdout)

    def test_changed_added_and_removed_entries_are_keyed_by_cp_key_and_nv_index(self):
        other = "9A10C0DE00019999"
        with tempfile.TemporaryDirectory() as folder:
            shutil.copy(os.path.join(CATALOG, DEMO + ".xml"), folder)
            modified_demo(folder, other, "ZC99", [
                ('<Default>0852</Default>', '<Default>0900</Default>'),  # NV 12's default
                ('<CP Index="#3" Size="1">', '<CP Index="#3" Size="2">'),  # CP 103 grows
                ('<NV Index="O23" Size="2" NVType="81"><Name>nvoFanSpeed</Name><SelfDoc>@1|2;Fan speed feedback</SelfDoc></NV>', ''),
                ('</CPs>', '<CP Index="#7" Size="1"><Name>107|1|1-9|3</Name></CP></CPs>'),
            ])
            result, diff = vemo_json("diff", DEMO, other, "--catalog", folder)
            text = vemo("diff", DEMO, other, "--catalog", folder).stdout
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertFalse(diff["identical"])
        self.assertEqual((diff["a"]["programId"], diff["b"]["programId"], diff["b"]["deviceCode"]), (DEMO, other, "ZC99"))
        cps = {change["key"]: change for change in diff["configurationProperties"]}
        self.assertEqual(sorted(cps), [103, 107])
        self.assertEqual(cps[103]["fields"], ["elementSize", "value"])
        self.assertEqual((cps[103]["a"]["value"], cps[103]["b"]["value"]), ("00", "0000"))
        self.assertEqual((cps[107]["a"], cps[107]["b"]["key"], cps[107]["fields"]), (None, 107, []))
        nvs = {change["index"]: change for change in diff["networkVariables"]}
        self.assertEqual(sorted(nvs), [12, 23])
        self.assertEqual((nvs[12]["fields"], nvs[12]["a"]["value"], nvs[12]["b"]["value"]), (["value"], "0852", "0900"))
        self.assertEqual((nvs[23]["a"]["name"], nvs[23]["b"]), ("nvoFanSpeed", None))
        objects = {change["index"]: change["fields"] for change in diff["objects"]}
        self.assertEqual(objects, {1: ["nvIndexes"], 3: ["cpKeys"]})
        self.assertIn("CP 103  differs in elementSize, value", text)
        self.assertIn("NV 23  only in A", text)
        self.assertIn("CP 107  only in B", text)

    def test_a_missing_device_on_either_side_is_not_found(self):
        for pair in ((DEMO, "FFFFFFFFFFFFFFFF"), ("FFFFFFFFFFFFFFFF", DEMO)):
            result, answer = vemo_json("diff", *pair, "--catalog", CATALOG)
            self.assertEqual((result.returncode, answer["kind"], answer["id"]), (3, "notFound", "FFFFFFFFFFFFFFFF"))


def values(node):
    return ({cp["key"]: cp["value"] for cp in node["configurationProperties"]},
            {nv["index"]: nv["value"] for nv in node["networkVariables"]})


class NodeSetTest(unittest.TestCase):
    def test_set_writes_nv_and_cp_values_before_the_node_is_shown(self):
        _, plain = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", KIV)
        result, node = vemo_json("node", DEMO, "--catalog", CATALOG, "--config", KIV, "--set", "nv:12=0866",
                                 "--set", "nv:32=01 02 0a 0B 0c 0d 0e 0f 10 11 12 13", "--set", "cp:104=DEADBEEF")
        self.assertEqual(result.returncode, 0, result.stderr)
        cps, nvs = values(node)
        plain_cps, plain_nvs = values(plain)
        self.assertEqual((nvs[12], nvs[32], cps[104]), ("0866", "01020A0B0C0D0E0F10111213", "DEADBEEF"))
        self.assertEqual({k: v for k, v in cps.items() if k != 104}, {k: v for k, v in plain_cps.items() if k != 104})
        self.assertEqual({k: v for k, v in nvs.items() if k not in (12, 32)},
                         {k: v for k, v in plain_nvs.items() if k not in (12, 32)})

    def test_malformed_or_impossible_sets_are_usage_errors(self):
        self.assertEqual(vemo("node", DEMO, "--catalog", CATALOG, "--set", "nv:12=08 66").returncode, 0)
        for text in ("nv:12=086", "nv:12=08 6", "nv:12=", "nv:12=zz00", "nv:x=0866", "nv:=0866", "nv:-=0866",
                     "np:12=0866", "nv12=0866", "nv:12=086600", "nv:12=08", "nv:99=00", "cp:999=00", "cp:101=00",
                     "cp:12=0000"):
            with self.subTest(text=text):
                result = vemo("node", DEMO, "--catalog", CATALOG, "--set", text, "--json")
                self.assertEqual((result.returncode, result.stdout), (2, ""))
                self.assertIn(text, result.stderr)


class WriteConfigTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)
        self.out = os.path.join(self.folder, "out.kiv")

    def node(self, *args, catalog=CATALOG):
        result, node = vemo_json("node", DEMO, "--catalog", catalog, *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return node

    def test_the_sample_configuration_file_round_trips(self):
        original = self.node("--config", KIV, "--write-config", self.out)
        # The same bytes in the same order; the spare byte at the end is left out.
        self.assertEqual(kiv_bytes(self.out), kiv_bytes(KIV)[:-1])
        reread = self.node("--config", self.out)
        self.assertTrue(reread["populated"])
        self.assertEqual(values(reread), values(original))

    def test_set_values_of_the_block_survive_the_round_trip_and_others_do_not(self):
        self.node("--config", KIV, "--set", "cp:103=07", "--set", "nv:33=11", "--set", "nv:12=0866",
                  "--write-config", self.out)
        cps, nvs = values(self.node("--config", self.out))
        self.assertEqual((cps[103], nvs[33]), ("07", "11"))
        _, defaults = values(self.node())
        self.assertEqual(nvs[12], defaults[12], "an input/output NV lies outside the configuration data block")

    def test_the_block_follows_cp_index_order_not_key_order(self):
        with open(os.path.join(CATALOG, DEMO + ".xml")) as file:
            text = file.read()
        # Key 101 moves to the end of the block, key 106 to the front.
        text = re.sub(r'<CP Index="#(\d)"', lambda m: f'<CP Index="#{7 - int(m.group(1))}"', text)
        catalog = os.path.join(self.folder, "catalog")
        os.mkdir(catalog)
        with open(os.path.join(catalog, DEMO + ".xml"), "w") as file:
            file.write(text)
        sets = ["cp:101=0101", "cp:102=0202", "cp:103=03", "cp:104=04040404", "cp:105=0505", "cp:106=06",
                "nv:30=3030", "nv:31=3131", "nv:32=" + "32" * 12, "nv:33=33"]
        args = [arg for value in sets for arg in ("--set", value)]
        written = self.node(*args, "--write-config", self.out, catalog=catalog)
        cps = sorted(written["configurationProperties"], key=lambda cp: cp["index"])
        self.assertEqual([cp["key"] for cp in cps], [106, 105, 104, 103, 102, 101])
        ncis = sorted((nv for nv in written["networkVariables"] if nv["section"] == "NCIs"),
                      key=lambda nv: nv["index"])
        expected = bytes.fromhex("".join(point["value"] for point in cps + ncis))
        self.assertEqual(kiv_bytes(self.out), expected)
        self.assertEqual(values(self.node("--config", self.out, catalog=catalog)), values(written))

    def test_an_existing_file_is_replaced_only_with_force(self):
        with open(self.out, "w") as file:
            file.write("keep me\n")
        result = vemo("node", DEMO, "--catalog", CATALOG, "--config", KIV, "--write-config", self.out)
        self.assertEqual((result.returncode, result.stdout), (2, ""))
        self.assertIn(self.out, result.stderr)
        with open(self.out) as file:
            self.assertEqual(file.read(), "keep me\n")
        self.node("--config", KIV, "--write-config", self.out, "--force")
        self.assertEqual(kiv_bytes(self.out), kiv_bytes(KIV)[:-1])

    def test_a_file_that_cannot_be_written_is_an_error(self):
        target = os.path.join(self.folder, "missing", "out.kiv")
        result = vemo("node", DEMO, "--catalog", CATALOG, "--write-config", target)
        self.assertEqual((result.returncode, result.stdout), (1, ""))
        self.assertIn(target, result.stderr)


if __name__ == "__main__":
    unittest.main()
