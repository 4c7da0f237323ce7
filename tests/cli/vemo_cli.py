"""Running the vemo command under test: VEMO names the program, VEMO_CATALOG the sample catalogue."""
import json
import os
import resource
import signal
import subprocess

VEMO = os.environ["VEMO"]
CATALOG = os.environ["VEMO_CATALOG"]
PROJECT = os.path.dirname(os.path.abspath(CATALOG))
DEMO = "9A10C0DE00010401"
KIV = os.path.join(CATALOG, DEMO + ".kiv")
MISSING = "FFFFFFFFFFFFFFFF"


def vemo(*args, env=None, cwd=None):
    return subprocess.run([VEMO, *args], capture_output=True, text=True, timeout=60, env=env, cwd=cwd)


def vemo_limited(file_size, *args):
    """vemo able to write files of at most `file_size` bytes, as on a nearly full disk."""
    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)  # a write past the limit fails instead
        resource.setrlimit(resource.RLIMIT_FSIZE, (file_size, file_size))
    return subprocess.run([VEMO, *args], capture_output=True, text=True, timeout=60, preexec_fn=limit)


def vemo_json(*args, env=None, cwd=None):
    result = vemo(*args, "--json", env=env, cwd=cwd)
    return result, json.loads(result.stdout)


def write(path, text, mode="w"):
    with open(path, mode) as file:
        file.write(text)
    return path


def nowhere(folder):
    """An environment in which neither catalogue variable names a folder that exists."""
    missing = os.path.join(folder, "missing")
    return dict(os.environ, VEMO_CONFIG_PATH=missing, VEMO_DEFAULT_CATALOG_DIR=missing)


def kiv_bytes(path):
    """The data bytes of a configuration file, comments and header lines left out."""
    with open(path) as file:
        lines = [line.split("#", 1)[0].strip() for line in file]
    return bytes(int(pair, 16) for line in [line for line in lines if line][2:] for pair in line.split())
