"""The report in a real browser (headless Chromium through selenium): from the index, every
device page is reached by its link; each diagram holds one block per LonMark object, no text
drawn outside its block, no two blocks overlapping, and the console shows no error. Skipped
where no browser is installed."""
import glob
import json
import os
import shutil
import tempfile
import unittest

from report_support import CATALOG, REALDATA, vemo

# A few real devices, the largest (82 functional blocks) among them.
REAL = ("FLON-01__b1eba9422b.xif", "NM_DynamicC__06e62b9ca0.xif", "gc_sw__b81ab62f83.xif", "DAC5000__7d9ae4ba20.xif")

# Per block: its frame's box, the box of the whole group (arrows included) and every text
# drawn farther out than its frame.
GEOMETRY = """
const box = b => [b.x, b.y, b.x + b.width, b.y + b.height];
return [...document.querySelectorAll('svg g.block, svg g.unfiled')].map(g => {
  const frame = box(g.querySelector('rect.frame').getBBox());
  const outside = [...g.querySelectorAll('text')].filter(t => {
    const [l, tp, r, bt] = box(t.getBBox());
    return l < frame[0] || tp < frame[1] || r > frame[2] || bt > frame[3];
  }).map(t => t.firstChild.textContent);
  return {object: g.classList.contains('block'), box: box(g.getBBox()), outside: outside};
});
"""


class ReportInBrowserTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        try:
            from selenium import webdriver
        except ImportError:
            raise unittest.SkipTest("selenium is not installed (Debian: python3-selenium)")
        if not shutil.which("chromedriver"):
            raise unittest.SkipTest("no chromedriver (Debian: chromium, chromium-driver)")
        cls.folder = tempfile.mkdtemp()
        cls.catalog, cls.site = os.path.join(cls.folder, "catalog"), os.path.join(cls.folder, "site")
        shutil.copytree(CATALOG, cls.catalog)
        real = [path for name in REAL for path in glob.glob(os.path.join(REALDATA, "xif", name))]
        if real:
            vemo("import-xif", *real, "--to", cls.catalog)
        else:
            print(f"no real device interface files in {REALDATA}/xif: the sample catalogue alone")
        cls.devices = 5 + len(real)  # the sample catalogue's program IDs and the real devices
        result = vemo("report", "--to", cls.site, "--catalog", cls.catalog, "--config", cls.catalog)
        assert result.returncode == 0, result.stderr
        options = webdriver.ChromeOptions()
        for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage"):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        cls.browser = webdriver.Chrome(options=options)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        shutil.rmtree(cls.folder)

    def test_every_device_page_from_the_index(self):
        from selenium.webdriver.common.by import By
        index = "file://" + os.path.join(self.site, "index.html")
        self.browser.get(index)
        links = sorted({a.get_attribute("href") for a in self.browser.find_elements(By.CSS_SELECTOR, "#entries a")})
        self.assertEqual(len(links), self.devices)
        for link in links:
            program_id = os.path.basename(link)[:-5]
            with self.subTest(device=program_id):
                self.browser.get(link)
                back = self.browser.find_element(By.LINK_TEXT, "Catalogue index").get_attribute("href")
                self.assertEqual(back, index)
                blocks = self.browser.execute_script(GEOMETRY)
                node = json.loads(vemo("node", program_id, "--catalog", self.catalog, "--json").stdout)
                self.assertEqual(sum(block["object"] for block in blocks), len(node["objects"]))
                self.assertEqual([block["outside"] for block in blocks if block["outside"]], [])
                boxes = [block["box"] for block in blocks]
                overlaps = [(i, j) for i, a in enumerate(boxes) for j, b in enumerate(boxes[i + 1:], i + 1)
                            if a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]]
                self.assertEqual(overlaps, [])
        errors = [entry for entry in self.browser.get_log("browser") if entry["level"] == "SEVERE"]
        self.assertEqual(errors, [])


if __name__ == "__main__":
    unittest.main()
