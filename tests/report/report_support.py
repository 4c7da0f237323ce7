"""What the report tests share: the vemo program (VEMO), the sample catalogue (VEMO_CATALOG),
the real devices (VEMO_REALDATA) imported into catalogue folders, and a reading of the pages
and diagrams a report writes."""
import glob
import json
import os
import re
import subprocess
import xml.etree.ElementTree as ET

VEMO = os.environ["VEMO"]
CATALOG = os.environ["VEMO_CATALOG"]
REALDATA = os.environ.get("VEMO_REALDATA") or os.path.join(CATALOG, "..", "..", "shared", "realdata")
SVG = "{http://www.w3.org/2000/svg}"
ADVANCE, ASCENT, DESCENT = 0.6 * 12, 11.2, 2.9  # a monospace font at the diagrams' 12 px


def vemo(*args, **kwargs):
    return subprocess.run([VEMO, *args], capture_output=True, text=True, timeout=120, **kwargs)


def real_xifs():
    return sorted(glob.glob(os.path.join(REALDATA, "xif", "*.[xX][iI][fF]")))


def import_real(root, files):
    """Imports `files` into as few folders under `root` as their program IDs allow (some files
    declare one ID differently). Returns the folders and the LonMark object count of each
    (folder, program ID)."""
    folders, objects, left = [], {}, list(files)
    while left:
        folder = os.path.join(root, f"real{len(folders)}")
        report = json.loads(vemo("import-xif", *left, "--to", folder, "--json").stdout)
        failed = [failure["source"] for failure in report["failures"]]
        assert len(failed) < len(left), f"cannot import {failed}"
        objects.update({(folder, d["programId"]): d["functionalBlocks"] + 1 for d in report["devices"]})  # + the device object
        folders.append(folder)
        left = failed
    return folders, objects


def page_faults(site):
    """Every page of a report parsed as XML (well-formed), with unique ids and links that resolve."""
    pages, faults = {}, []
    for name in sorted(os.listdir(site)):
        try:
            pages[name] = ET.parse(os.path.join(site, name)).getroot()
        except ET.ParseError as error:
            faults.append(f"{name}: {error}")
    ids = {name: [e.get("id") for e in root.iter() if e.get("id")] for name, root in pages.items()}
    for name, root in pages.items():
        if len(set(ids[name])) != len(ids[name]):
            faults.append(f"{name}: ids repeat: {ids[name]}")
        for link in root.iter("a"):
            target, _, fragment = link.get("href").partition("#")
            target = target or name
            if target not in pages or (fragment and fragment not in ids[target]):
                faults.append(f"{name}: link {link.get('href')} leads nowhere")
    return pages, faults


def layout_faults(svg):
    """Texts that leave their block's frame and blocks (arrows included) that overlap, read from
    the diagram's geometry with every character one monospace advance wide (two from U+1100 on,
    where fonts fall back)."""
    faults, boxes = [], []
    for group in svg.iter(SVG + "g"):
        frame = group.find(SVG + "rect[@class='frame']")
        x, y, w, h = (float(frame.get(k)) for k in ("x", "y", "width", "height"))
        for text in group.iter(SVG + "text"):
            width = sum(2 if ord(c) >= 0x1100 else 1 for c in text.text or "") * ADVANCE
            left = float(text.get("x")) - (width if text.get("text-anchor") == "end" else 0)
            base = float(text.get("y"))
            if left < x or left + width > x + w or base - ASCENT < y or base + DESCENT > y + h:
                faults.append(f"{text.text!r} leaves its block")
        xs = [x, x + w] + [float(n) for path in group.iter(SVG + "path") for n in re.findall(r"[MHL](-?\d+)", path.get("d"))]
        boxes.append((min(xs), y, max(xs), y + h))
    for i, a in enumerate(boxes):
        faults += [f"blocks {i} and {j} overlap" for j, b in enumerate(boxes[i + 1:], i + 1)
                   if a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]]
    return faults


def diagram(page):
    return page.find(f".//{SVG}svg")


def blocks(svg):
    return svg.findall(f".//{SVG}g[@class='block']")
