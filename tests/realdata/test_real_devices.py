"""Real devices through the importer: every XIF file of the real-data folder is imported,
written into a catalogue folder with its configuration file, and served by a virtual node,
which must show the device exactly as its XIF declares it.

What the node shows is checked against the XIF itself, read by the small reader below. It
is written for this test alone and shares nothing with the importer, so a fault in the
importer's reading cannot hide behind the same fault in the check.

VEMO_REALDATA names the real-data folder (default: ../shared/realdata beside the project).
"""
import collections
import os
import re
import sys
import tempfile
import unittest

import vemosupport as vs

PROJECT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
REALDATA = os.environ.get("VEMO_REALDATA") or os.path.join(PROJECT, "..", "shared", "realdata")
XIF_FOLDER = os.path.join(REALDATA, "xif")
DEVICE = -1  # the LonMark object index of the device object

# --- An independent reading of the XIF text -------------------------------------------

Nv = collections.namedtuple("Nv", "name index count output config selfdoc snvt size")
CpRecord = collections.namedtuple("CpRecord", "text header select scope flags type size dim")
Xif = collections.namedtuple("Xif", "program_id node_selfdoc nvs records file_value file_readonly nvval")

STATEMENT = re.compile(r"(VAR|TAG|FILE|NVVAL)\b")
PROGRAM_ID = re.compile(r"[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){7}$")


def quoted_lines(lines, at):
    """Self-documentation written as lines that start with a quote mark, joined; None for "*"."""
    if lines[at].strip() == "*":
        return None, at + 1
    text = []
    while at < len(lines) and lines[at].startswith('"'):
        text.append(lines[at][1:])
        at += 1
    return "".join(text), at


def nv_size(fields):
    """Bytes of one NV element from its field lines (kind, bit offset, width, signed, array dim)."""
    size, bits = 0, None  # bits: end of the bit fields packed so far into the last byte
    for kind, offset, width, _signed, dim in fields:
        if kind == 3:
            if bits is None or offset == 0 or bits >= 8:
                size += 1
            bits = offset + width
            continue
        bits = None
        size += {0: 1, 1: 1, 2: 2}.get(kind, 0) * max(dim, 1) + (width if kind == 4 else 0)
    return size


def value_bytes(lines):
    """The bytes of a value section in its three spellings, up to anything that is not a value
    (one file has binary data appended)."""
    data = bytearray()
    for line in lines:
        line = line.split("//")[0].strip()
        if line.startswith("#"):
            continue
        for token in re.split(r"[\s,]+", line):
            if token.startswith("\\x"):
                for part in token.split("\\x")[1:]:
                    if not re.fullmatch(r"[0-9A-Fa-f]{2}.*", part, re.S):
                        return bytes(data)
                    data.append(int(part[:2], 16))
                    if len(part) > 2:
                        return bytes(data)
            elif token:
                digits = token[2:] if token[:2].lower() == "0x" else token
                if not re.fullmatch(r"([0-9A-Fa-f]{2})+", digits):
                    return bytes(data)
                data += bytes.fromhex(digits)
    return bytes(data)


def template_records(lines):
    pieces = []
    for line in lines:
        pieces += [p.strip() for p in line.split("//")[0].replace('"', "").split(";") if p.strip()]
    records = []
    for text in pieces[1:]:  # the first piece is the template's version
        f = text.split(",")
        scope_and_flags = re.fullmatch(r"(\d+)\\x([0-9A-Fa-f]{2})", f[2])
        records.append(CpRecord(text, int(f[0]), f[1], int(scope_and_flags[1]), int(scope_and_flags[2], 16),
                                int(f[3]), int(f[4]), int(f[5]) if len(f) > 5 and f[5] else 1))
    return records


def read_xif(path):
    with open(path, "rb") as file:
        raw = file.read()
    raw = raw.split(b"\x1a")[0]  # a DOS end-of-file byte ends the text
    lines = raw.decode("latin-1").replace("\r", "").split("\n")
    at = next(i for i, line in enumerate(lines) if PROGRAM_ID.match(line.strip()))
    program_id = lines[at].strip().replace(":", "").upper()
    node_selfdoc, at = quoted_lines(lines, at + 7)  # five number lines and a "*" line come first
    nvs, records, sections = [], [], {}
    while at < len(lines):
        words = lines[at].split()
        if not words or not STATEMENT.match(words[0]) or words[0] == "TAG":
            at += 1
        elif words[0] == "VAR":
            numbers = lines[at + 1].split()
            selfdoc, at = quoted_lines(lines, at + 2)
            snvt, _, field_count = lines[at].split()
            fields = [tuple(int(n) for n in line.split()) for line in lines[at + 1:at + 1 + int(field_count)]]
            nvs.append(Nv(words[1], int(words[2]), int(words[5]), numbers[3] == "1", numbers[12] == "1",
                          selfdoc, int(snvt), nv_size(fields)))
            at += 1 + int(field_count)
        else:
            name = " ".join(words[:2]) if words[0] == "FILE" else words[0]
            end = at + 1
            while end < len(lines) and not STATEMENT.match(lines[end]):
                end += 1
            if name == "FILE template":
                records = template_records(lines[at + 1:end])
            else:
                sections[name] = value_bytes(lines[at + 1:end])
            at = end
    return Xif(program_id, node_selfdoc, nvs, records, sections.get("FILE value"), sections.get("FILE readOnly"),
               sections.get("NVVAL", b""))


# --- What the XIF declares, in the terms a node shows ----------------------------------

def functional_blocks(node_selfdoc):
    """(profile, name, is an array element) per block, in block index order; an array
    "<profile>[<count><name>" gives count blocks."""
    if not node_selfdoc or not node_selfdoc.startswith("&"):
        return []
    pieces = node_selfdoc.split(";")[0].split("@")
    if len(pieces) < 2 or not pieces[1]:
        return []
    blocks = []
    for item in pieces[1].split(","):
        match = re.fullmatch(r"(\d*)(?:\[(\d+))?(.*)", item.strip(), re.S)
        count = int(match[2]) if match[2] else 1
        blocks += [(int(match[1] or 0), match[3], match[2] is not None)] * count
    return blocks


def nv_elements(xif):
    """NV index -> (declaration, element number); an array has one NV per element."""
    return {nv.index + e: (nv, e) for nv in xif.nvs for e in range(max(nv.count, 1))}


class Membership:
    """The LonMark object the XIF puts each NV and CP in, from its self-documentation."""

    def __init__(self, xif):
        self.elements = nv_elements(xif)
        self.resolving = set()

    def of_nv(self, index):
        if index not in self.elements or index in self.resolving:
            return DEVICE
        self.resolving.add(index)
        try:
            nv = self.elements[index][0]
            text = (nv.selfdoc or "").split(";")[0]
            if nv.config and text.startswith("&") and "," in text:
                header, select = text[1:].split(",")[:2]
                return self.target(int(header or 0), select)
            block = re.match(r"@(\d+)", text)
            return int(block[1]) if block and not nv.config else DEVICE
        finally:
            self.resolving.discard(index)

    def target(self, header, select, element=None):
        """The object of header 0 (device), 1 (block) or 2 (an NV's block) with its select:
        a number, a dotted list, a range a-b, or a~b with one element per member."""
        if header == 0 or not select:
            return DEVICE
        if "~" in select:
            first = int(select.split("~")[0])
            members = [first + (element or 0)]
        elif "-" in select:
            first, last = (int(n) for n in select.split("-"))
            members = list(range(first, last + 1))
        else:
            members = [int(n) for n in select.split(".")]
        objects = {m if header == 1 else self.of_nv(m) for m in members}
        return objects.pop() if len(objects) == 1 else DEVICE  # shared by several: the device object


def expected_cps(xif, membership):
    """(record, element, size, value, object) per CP in template order; writable values come from
    FILE value, const ones (flag 0x04) from FILE readOnly, each in template order. A file without
    FILE readOnly whose FILE value holds every record's bytes gives the const values there too."""
    cps, offsets = [], {False: 0, True: 0}
    all_in_value = xif.file_readonly is None and len(xif.file_value or b"") == sum(r.size * r.dim for r in xif.records)
    for record in xif.records:
        const = bool(record.flags & 0x04) and not all_in_value
        values = (xif.file_readonly if const else xif.file_value) or b""
        for element in range(record.dim):
            at = offsets[const]
            cps.append((record, element, record.size, values[at:at + record.size],
                        membership.target(record.header, record.select, element)))
            offsets[const] += record.size
    return cps


def expected_nv_values(xif):
    """NV index -> its NVVAL bytes (configuration NVs in index order, each element in turn)."""
    values, at = {}, 0
    for index, (nv, _) in sorted(nv_elements(xif).items()):
        if nv.config:
            values[index] = xif.nvval[at:at + nv.size]
            at += nv.size
    return values


# --- The checks -------------------------------------------------------------------------

def xif_files():
    names = os.listdir(XIF_FOLDER) if os.path.isdir(XIF_FOLDER) else []
    return sorted(os.path.join(XIF_FOLDER, name) for name in names if name.lower().endswith(".xif"))


def write_entry(folder, imported):
    os.makedirs(folder, exist_ok=True)
    xml, kiv = (os.path.join(folder, imported.program_id + ext) for ext in (".xml", ".kiv"))
    with open(xml, "w", encoding="utf-8") as file, open(kiv, "wb") as config:
        file.write(imported.catalogue_entry)
        config.write(imported.configuration_file)
    return xml, kiv


def object_of(points, index_of):
    """Data point identity -> LonMark object index, from what the objects hold (None: in none,
    a list when it is in several)."""
    where = {}
    for lm_index, view in points:
        for point in view or ():
            key = index_of(point)
            where[key] = lm_index if key not in where else [where[key], lm_index]
    return where


@unittest.skipUnless(xif_files(), f"no real device data in {XIF_FOLDER} (set VEMO_REALDATA to its folder)")
class RealDeviceTest(unittest.TestCase):
    maxDiff = None  # a device with 82 blocks differs in long lists

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.imported, cls.failures = {}, {}
        for path in xif_files():
            try:
                cls.imported[path] = vs.ImportDeviceInterface(path)
            except Exception as error:  # reported by the test of that device
                cls.failures[path] = error

    @classmethod
    def tearDownClass(cls):
        for path, imported in cls.imported.items():  # what the entries cannot represent, for the reader of the log
            for note in (n for n in imported.notes if n.kind == "loss"):
                print(f"{os.path.basename(path)}: {note.subject}: {note.text}", file=sys.stderr)
        cls.tmp.cleanup()

    def setUp(self):
        for hook in (vs.set_message_box, vs.set_default_catalog_folder, vs.set_kiv_reader):
            hook(None)  # the library's own configuration-file reader, and no hooks left by others
            self.addCleanup(hook, None)
        vs.set_default_catalog_folder(os.path.join(self.tmp.name, "no-default-folder"))
        self.boxes = []
        vs.set_message_box(lambda text, title, style: self.boxes.append((title, text)))

    def test_every_device_is_served_as_its_xif_declares_it(self):
        for path in xif_files():
            with self.subTest(os.path.basename(path)):
                self.assertNotIn(path, self.failures)
                self.check_device(path, read_xif(path), self.imported[path])

    def check_device(self, path, xif, imported):
        self.boxes.clear()
        self.assertEqual(imported.program_id, xif.program_id)
        xml, kiv = write_entry(os.path.join(self.tmp.name, os.path.basename(path)), imported)
        info = vs.CreateProgIDInfo(xif.program_id, os.path.dirname(xml))
        self.assertIsNotNone(info, "the written entry is not found")
        self.assertEqual((info.IsValid, info.XMLFilename), (True, xml))
        node = vs.CreateVirtualC472Node(info)
        membership = Membership(xif)
        cps, nv_values = expected_cps(xif, membership), expected_nv_values(xif)
        has_configuration = bool(cps or nv_values)
        self.assertEqual((imported.functional_blocks, imported.network_variables, imported.configuration_properties),
                         (len(functional_blocks(xif.node_selfdoc)), len(nv_elements(xif)), len(cps)), "counts")
        self.assertEqual(node.PopulateDevice(kiv), has_configuration, "population result")
        self.assertEqual(self.boxes, [], "message boxes during lookup or population")

        objects = [node.GetObject(position)[0] for position in range(node.ObjectCount)]
        self.check_objects(xif, objects, membership, cps)
        self.check_nvs(xif, node, objects, membership, nv_values)
        self.check_cps(node, objects, cps)
        if has_configuration:
            self.assertEqual(node.ConfigurationFile, kiv)
        self.assertEqual(self.boxes, [], "message boxes while reading the node")

    def check_objects(self, xif, objects, membership, cps):
        blocks = functional_blocks(xif.node_selfdoc)
        declared = [(i, profile) for i, (profile, _, _) in enumerate(blocks)]
        shown = [(lm.Index, lm.LMObjectType) for lm in objects if lm.Index != DEVICE]
        self.assertEqual(shown, declared, "functional blocks (index, profile)")
        for lm, (profile, name, in_array) in zip(objects[1:], blocks):
            if name.strip() and not in_array:
                self.assertEqual(lm.Name, name.strip(), f"name of block {lm.Index}")
        uses_device_object = (any(cp[4] == DEVICE for cp in cps) or
                              any(membership.of_nv(index) == DEVICE for index in nv_elements(xif)))
        if blocks or uses_device_object:
            first = (objects[0].Index, objects[0].LMObjectType) if objects else "no LonMark object at all"
            self.assertEqual(first, (DEVICE, DEVICE), "the device object first")

    def check_nvs(self, xif, node, objects, membership, nv_values):
        elements = nv_elements(xif)
        nvs = {nv.Index: nv for nv in (node.NetworkVariables or ())}
        self.assertEqual(sorted(nvs), sorted(elements), "NV indexes")
        for index, (declared, element) in elements.items():
            name = declared.name if declared.count == 0 else f"{declared.name}[{element}]"
            self.assertEqual((nvs[index].Name, nvs[index].Length, nvs[index].NVType, nvs[index].IsConfigurationVariable),
                             (name, declared.size, declared.snvt, declared.config), f"NV {index}")
        where = object_of([(lm.Index, lm.NetworkVariables) for lm in objects], lambda nv: nv.Index)
        self.assertEqual({i: where.get(i) for i in elements}, {i: membership.of_nv(i) for i in elements},
                         "LonMark object of each NV")
        for index, value in nv_values.items():
            self.assertEqual(nvs[index].Value, value, f"value of NV {index}")

    def check_cps(self, node, objects, cps):
        shown = list(node.ConfigurationProperties or ())
        self.assertEqual(len(shown), len(cps), "CP count")
        where = object_of([(lm.Index, lm.ConfigurationProperties) for lm in objects], lambda cp: cp.Key)
        for cp, (record, element, size, value, lm_index) in zip(shown, cps):
            subject = f"CP key {cp.Key} from record {record.text!r} element {element}"
            self.assertEqual((cp.CPType, cp.StandardType, cp.ElementSize), (record.type, record.scope == 0, size),
                             subject)
            self.assertEqual(where.get(cp.Key), lm_index, f"LonMark object of {subject}")
            self.assertEqual(cp.Value, value, f"value of {subject}")

    def test_the_catalogue_check_finds_nothing_in_the_imported_entries(self):
        # Every entry in a shared folder, one more folder for each repetition of a program
        # ID; in each folder every device is still found in its own file.
        folders = collections.defaultdict(list)  # folder -> the program IDs of its entries
        for imported in self.imported.values():
            repetition = sum(imported.program_id in program_ids for program_ids in folders.values())
            folder = os.path.join(self.tmp.name, f"checked-{repetition}")
            write_entry(folder, imported)
            folders[folder].append(imported.program_id)
        for folder, program_ids in folders.items():
            self.assertEqual(vs.CheckCatalogue(folder), [], folder)
            for program_id in program_ids:
                info = vs.CreateProgIDInfo(program_id, folder)
                self.assertEqual(info.XMLFilename, os.path.join(folder, program_id + ".xml"))
        self.assertEqual(self.boxes, [])


if __name__ == "__main__":
    unittest.main()
