"""Prints the folder this interpreter imports modules from for an install prefix.

Asked at install time, so `cmake --install --prefix` is honoured. A scheme of the
interpreter's own serves the prefix when the scheme's root (its platbase, plus for
instance Debian's "/local") is that prefix; among those, one whose folder is on the
interpreter's search path wins, so the module imports with no environment variable.
Any other prefix gets the interpreter's usual layout below it.
"""
import os
import sys
import sysconfig

prefix = os.path.normpath(sys.argv[1])
platbase = os.path.normpath(sysconfig.get_config_var("platbase") or sys.base_exec_prefix)
search_path = {os.path.normpath(entry) for entry in sys.path if entry}

serving = []
names = [sysconfig.get_default_scheme()] + [name for name in sysconfig.get_scheme_names() if name.startswith(("posix", "deb"))]
for name in dict.fromkeys(names):
    pattern = sysconfig.get_paths(name, expand=False).get("platlib", "")
    if not pattern.startswith("{platbase}") or "{userbase}" in pattern:
        continue
    rest = pattern[len("{platbase}"):]
    root = os.path.normpath(platbase + rest[: rest.find("/lib")])
    if root == prefix:
        serving.append(os.path.normpath(sysconfig.get_path("platlib", name)))

on_path = [folder for folder in serving if folder in search_path]
if on_path or serving:
    print((on_path or serving)[0])
else:
    print(sysconfig.get_path("platlib", "posix_prefix", vars={"base": prefix, "platbase": prefix}))
