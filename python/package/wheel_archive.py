"""Writes a wheel: a zip archive of the package's files and its .dist-info folder
(METADATA, WHEEL, RECORD), as pip installs it."""

import base64
import hashlib
import os
import zipfile
from pathlib import Path

# Fixed entry times make two builds of the same files the same archive.
_ENTRY_TIME = (1980, 1, 1, 0, 0, 0)


def _record_hash(data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=")
    return "sha256=" + digest.decode("ascii")


def _add(archive, record, name, data, mode):
    entry = zipfile.ZipInfo(name, _ENTRY_TIME)
    entry.external_attr = (0o100000 | mode) << 16
    entry.compress_type = zipfile.ZIP_DEFLATED
    archive.writestr(entry, data)
    record.append(f"{name},{_record_hash(data)},{len(data)}")


def write_wheel(directory, name, version, tag, files, metadata):
    """Writes name-version-tag.whl into `directory` and answers its file name.

    `files` maps each name in the archive to its content: a file (an executable one stays
    executable) or bytes; `metadata` is the text of METADATA."""
    wheel_name = f"{name}-{version}-{tag}.whl"
    dist_info = f"{name}-{version}.dist-info"
    wheel_text = f"Wheel-Version: 1.0\nGenerator: {name} build\nRoot-Is-Purelib: false\nTag: {tag}\n"
    record = []
    with zipfile.ZipFile(Path(directory) / wheel_name, "w") as archive:
        for archive_name, content in sorted(files.items()):
            if isinstance(content, bytes):
                _add(archive, record, archive_name, content, 0o644)
            else:
                mode = 0o755 if os.access(content, os.X_OK) else 0o644
                _add(archive, record, archive_name, Path(content).read_bytes(), mode)
        _add(archive, record, f"{dist_info}/METADATA", metadata.encode("utf-8"), 0o644)
        _add(archive, record, f"{dist_info}/WHEEL", wheel_text.encode("utf-8"), 0o644)
        record.append(f"{dist_info}/RECORD,,")
        archive.writestr(zipfile.ZipInfo(f"{dist_info}/RECORD", _ENTRY_TIME), "\n".join(record) + "\n")
    return wheel_name
