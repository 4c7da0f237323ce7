"""vemo report and vemo node --svg: well-formed pages whose links resolve, problems marked,
text from catalogue files escaped and kept inside its block, blocks that never overlap, on
the sample catalogue and on every real device."""
import os
import resource
import shutil
import tempfile
import unittest
import xml.etree.ElementTree as ET

from report_support import (CATALOG, SVG, blocks, diagram, import_real, layout_faults, page_faults, real_xifs,
                            vemo)

DEMO = "9A10C0DE00010401"


def texts(svg, cls):
    return [(t.text, t.findtext(SVG + "title")) for t in svg.iter(SVG + "text") if t.get("class") == cls]


class ReportTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)

    def report(self, catalog, *args, **kwargs):
        site = tempfile.mkdtemp(dir=self.folder)
        result = vemo("report", "--to", site, "--catalog", catalog, *args, **kwargs)
        self.assertEqual(result.returncode, 0, result.stderr)
        pages, faults = page_faults(site)
        self.assertEqual(faults, [])
        return pages

    def test_sample_catalogue_with_and_without_configuration_files(self):
        for config, value in ((["--config", CATALOG], "30.0 s"), ([], "0.0 s")):
            pages = self.report(CATALOG, *config)
            rows = pages["index.html"].findall(".//tr")[1:]
            self.assertEqual(len(rows), 6)  # every entry, the DA22 defined twice included
            self.assertEqual(sorted(pages), sorted({r.find(".//a").get("href") for r in rows} | {"index.html"}))
            self.assertIn("a lookup returns the entry in 9A10C0DE00020201.xml", ET.tostring(rows[3], "unicode"))
            page = pages[DEMO + ".html"]
            cells = [[c.text or "" for c in row.findall("td")] for row in page.find(".//section[@id='points']").iter("tr")]
            self.assertIn(["[-1] Device Object", "CP 101", "101|0|0-49", "", "SCPTmaxSendTime", value, "0x" + (
                "012C" if config else "0000")], cells)
            self.assertIn(f"CP 101 SCPTmaxSendTime: {value}", [t for t, _ in texts(diagram(page), "point")])
            self.assertEqual(len(blocks(diagram(page))), 5)

    def test_problems_are_marked_and_hostile_text_is_escaped_and_clipped(self):
        catalog = os.path.join(self.folder, "catalog")
        os.mkdir(catalog)
        with open(os.path.join(CATALOG, DEMO + ".xml"), encoding="utf-8") as file:
            entry = file.read()
        long_name = "Zone" + "ẞ" * 60
        entry = (entry.replace('<NV Index="O1" Size="6"', '<NV Index="O1" Size="4"')  # an nv-size problem
                 .replace("8020Fan", "8020&lt;/text&gt;&lt;script&gt;x&lt;/script&gt;&amp;\"'")
                 .replace("8060Zone", "8060" + long_name))
        with open(os.path.join(catalog, DEMO + ".xml"), "w", encoding="utf-8") as file:
            file.write(entry)
        with open(os.path.join(catalog, "broken.xml"), "w") as file:
            file.write("<C5Devices>\n  <C5Device>\n")

        pages = self.report(catalog)
        index = pages["index.html"]
        self.assertEqual([row.get("class") for row in index.findall(".//tr")[1:]], ["problem"])
        self.assertIn("broken.xml", ET.tostring(index.find(".//section[@id='files']"), "unicode"))
        self.assertIn("nv-size", ET.tostring(pages[DEMO + ".html"].find(".//section[@id='problems']"), "unicode"))

        standalone = vemo("node", DEMO, "--catalog", catalog, "--svg")
        for svg in (diagram(pages[DEMO + ".html"]), ET.fromstring(standalone.stdout.encode())):
            self.assertEqual(layout_faults(svg), [])
            names = texts(svg, "name")
            self.assertEqual(names[2], ("[1] </text><script>x</script>&\"'", None))
            shown, whole = names[3]
            self.assertTrue(shown.endswith("…") and whole == "[2] " + long_name, names[3])
            self.assertEqual(svg.findall(f".//{SVG}script"), [])

    def test_every_real_device_is_laid_out_without_overlaps(self):
        files = real_xifs()
        if not files:
            self.skipTest("no real device interface files (../shared/realdata/xif; set VEMO_REALDATA)")
        folders, objects = import_real(self.folder, files)
        seen = 0
        # Fewer descriptors than a folder has devices: a report must not hold one for each page.
        few = lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (40, 40))  # noqa: E731
        for folder in folders:
            for name, page in self.report(folder, "--config", folder, preexec_fn=few).items():
                if name != "index.html":
                    with self.subTest(device=name):
                        self.assertEqual(len(blocks(diagram(page))), objects[folder, name[:-5]])
                        self.assertEqual(layout_faults(diagram(page)), [])
                        seen += 1
        self.assertEqual(seen, len(objects))
        self.assertEqual(max(objects.values()), 83)  # the largest device: 82 blocks and the device object


if __name__ == "__main__":
    unittest.main()
