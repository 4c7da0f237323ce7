"""Running the vemo command under test: VEMO names the program, VEMO_CATALOG the sample catalogue."""
import json
import os
import subprocess

VEMO = os.environ["VEMO"]
CATALOG = os.environ["VEMO_CATALOG"]
PROJECT = os.path.dirname(os.path.abspath(CATALOG))
DEMO = "9A10C0DE00010401"
KIV = os.path.join(CATALOG, DEMO + ".kiv")


def vemo(*args, env=None, cwd=None):
    return subprocess.run([VEMO, *args], capture_output=True, text=True, timeout=60, env=env, cwd=cwd)


def vemo_json(*args, env=None, cwd=None):
    result = vemo(*args, "--json", env=env, cwd=cwd)
    return result, json.loads(result.stdout)


def kiv_bytes(path):
    """The data bytes of a configuration file, comments and header lines left out."""
    data = []
    with open(path) as file:
        lines = [line.split("#", 1)[0].strip() for line in file]
    for line in [line for line in lines if line][2:]:
        data += [int(pair, 16) for pair in line.split()]
    return bytes(data)
