#!/usr/bin/env python3
"""Device-code lookups with `vemo info`: one run that answers N codes from a file against
N runs of one code each, on the generated folder of catalogue_lookup_bench (200 files of
about 100 KB). A measurement, not a test: it prints wall-clock and CPU seconds of both,
the median of the repetitions, run alternately.

    bench/batch_lookup.py build/tools/vemo/vemo [--codes 500] [--repetitions 3]
"""
import argparse
import os
import random
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

FILES = 200
TARGET_BYTES = 100 * 1024


def device_xml(file, device, code):
    """One device as catalogue_lookup_bench.cpp writes it."""
    xml = f'  <C5Device ProgramID="P9000{file:04X}{device:04X}0401">\n'
    xml += (f"    <DevInfo>\n      <DeviceCode>{code}</DeviceCode>\n      <Model>Model {device}</Model>\n"
            f"      <Description>Generated device {file}.{device}</Description>\n    </DevInfo>\n    <CPs>\n")
    for cp in range(24):
        xml += (f'      <CP Index="{cp}" Size="2" Offset="{cp * 2}"><Name>cpSetting{cp}</Name>'
                f"<Default>00 2A</Default></CP>\n")
    xml += "    </CPs>\n    <NVIs>\n"
    for nv in range(32):
        direction = "Output" if nv % 2 else "Input"
        xml += (f'      <NV Index="{nv}" Type="{nv % 9 + 1}" Direction="{direction}"><Name>nvoValue{nv}</Name>'
                f"<SelfDoc>&amp;3.4@0|{nv}</SelfDoc></NV>\n")
    return xml + "    </NVIs>\n  </C5Device>\n"


def catalogue_file(file):
    """About TARGET_BYTES of devices and the codes they carry, in document order."""
    xml = '<?xml version="1.0" encoding="UTF-8"?>\n<C5Devices>\n'
    codes, index = [], 0
    while True:
        code = "A%03X" % ((file * 32 + index) & 0xFFF)
        device = device_xml(file, index, code)
        xml += device
        codes.append(code)
        index += 1
        if len(xml) >= TARGET_BYTES:
            return xml + "</C5Devices>\n", codes


def make_folder(folder):
    codes = []
    for file in range(FILES):
        text, held = catalogue_file(file)
        with open(os.path.join(folder, "catalogue%03X.xml" % file), "w") as out:
            out.write(text)
        codes += held
    return codes


def timed(run):
    """Wall-clock and CPU seconds (of the child processes) of `run()`."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    run()
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("vemo", help="the vemo program")
    parser.add_argument("--codes", type=int, default=500)
    parser.add_argument("--repetitions", type=int, default=3)
    args = parser.parse_args()

    root = tempfile.mkdtemp(prefix="vemo-batch-bench-")
    try:
        folder = os.path.join(root, "catalog")
        os.mkdir(folder)
        held = make_folder(folder)
        # Codes that are there, from every part of the folder; a fixed seed keeps runs alike.
        codes = random.Random(13).sample(sorted(set(held)), args.codes)
        list_file = os.path.join(root, "codes.txt")
        with open(list_file, "w") as out:
            out.write("\n".join(codes) + "\n")
        size = sum(os.path.getsize(os.path.join(folder, name)) for name in os.listdir(folder))
        print(f"folder: {FILES} files, {size / 1e6:.1f} MB; {len(codes)} codes")

        def batch():
            result = subprocess.run([args.vemo, "info", "--from", list_file, "--catalog", folder, "--json"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            if result.returncode != 0 or result.stdout.count(b"\n") != len(codes):
                sys.exit(f"the batch run failed (exit {result.returncode})")

        def separate():
            for code in codes:
                result = subprocess.run([args.vemo, "info", code, "--catalog", folder, "--json"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                if result.returncode != 0:
                    sys.exit(f"vemo info {code} failed (exit {result.returncode})")

        figures = {"one run, --from": [], "one run per code": []}
        for _ in range(args.repetitions):
            figures["one run, --from"].append(timed(batch))
            figures["one run per code"].append(timed(separate))
        for name, runs in figures.items():
            wall = statistics.median(run[0] for run in runs)
            cpu = statistics.median(run[1] for run in runs)
            spread = max(run[0] for run in runs) - min(run[0] for run in runs)
            print(f"{name:18} median wall {wall:8.2f} s (spread {spread:.2f} s), CPU {cpu:8.2f} s, "
                  f"{1000 * wall / len(codes):7.2f} ms a code")
    finally:
        shutil.rmtree(root)


if __name__ == "__main__":
    main()
