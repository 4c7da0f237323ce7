#!/usr/bin/env bash
# Installs the build the ways people install it and uses each installed copy as a user
# would: a /usr/local-style prefix, a /usr-style prefix, and an installed tree moved
# elsewhere. Each is used through CMake's find_package, pkg-config, the Python module
# and the vemo command, with no environment variable pointing anywhere.
set -euo pipefail
build=$1 here=$2 python=$3 compiler=$4
source_dir=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Nothing from the caller's environment may point at a catalogue or a module.
unset VEMO_CONFIG_PATH VEMO_DEFAULT_CATALOG_DIR PYTHONPATH PKG_CONFIG_PATH
id=9A10C0DE00010401

fail() { echo "FAILED: $*" >&2; exit 1; }

# The folder the interpreter imports modules of a prefix from.
module_dir() { "$python" "$source_dir/cmake/python_module_dir.py" "$1"; }

# Uses the installed tree at $1 whose files believe they live under $2.
use_installed() {
  local root=$1 prefix=$2 libdir=$3
  echo "== $prefix: vemo without --catalog"
  "$root/bin/vemo" info ZC41 --json | "$python" -c "
import json, sys
answer = json.load(sys.stdin)
assert answer.get('programId', '').lstrip('P') == '$id', answer
" || fail "the installed vemo does not find its own catalogue"

  echo "== $prefix: the shared library carries its major version"
  readelf -d "$root/$libdir/libvemosupport.so" | grep -q 'SONAME.*libvemosupport\.so\.0' || fail "no SONAME"

  echo "== $prefix: find_package(vemosupport), the consumer sets no C++ standard"
  cmake -S "$here/consumer" -B "$work/consumer-build" -G Ninja -DCMAKE_PREFIX_PATH="$root" > /dev/null
  cmake --build "$work/consumer-build" > /dev/null
  "$work/consumer-build/consumer" "$root/share/vemosupport/catalog"
  rm -rf "$work/consumer-build"

  echo "== $prefix: pkg-config"
  # shellcheck disable=SC2046
  "$compiler" "$here/consumer/main.cpp" -o "$work/consumer-pc" \
    $(PKG_CONFIG_PATH="$root/$libdir/pkgconfig" pkg-config --cflags --libs vemosupport) -Wl,-rpath,"$root/$libdir"
  "$work/consumer-pc" "$root/share/vemosupport/catalog"

  echo "== $prefix: the Python module, where the interpreter imports from, without a folder"
  local modules
  modules=$root${4#"$prefix"}
  [ -n "$(find "$modules" -maxdepth 1 -name 'vemosupport*.so')" ] || fail "no module in $modules"
  PYTHONPATH=$modules "$python" -c "
import vemosupport as vs
info = vs.CreateProgIDInfo('$id')
assert info is not None and info.IsValid, 'the installed module does not find the installed catalogue'
print(info.DeviceType)
"
}

echo "== /usr/local"
DESTDIR="$work/dest" cmake --install "$build" --prefix /usr/local > /dev/null
local_modules=$(module_dir /usr/local)
use_installed "$work/dest/usr/local" /usr/local lib "$local_modules"
# Where the interpreter imports from without PYTHONPATH, when it has such a folder.
if "$python" -c "import sys; sys.exit(0 if '$local_modules' in sys.path else 1)"; then
  echo "   $local_modules is on the interpreter's own search path"
fi

echo "== a copy of the whole /usr/local tree somewhere else"
mv "$work/dest/usr/local" "$work/moved"
use_installed "$work/moved" /usr/local lib "$local_modules"
rm -rf "$work/dest" "$work/moved"

echo "== /usr"
DESTDIR="$work/dest" cmake --install "$build" --prefix /usr > /dev/null
use_installed "$work/dest/usr" /usr lib "$(module_dir /usr)"
rm -rf "$work/dest"

echo "== pkg-config with a multiarch libdir"
# Configured (not built) for /usr as Debian lays it out: lib/<triplet>.
cmake -S "$source_dir" -B "$work/usr-config" -G Ninja -DCMAKE_INSTALL_PREFIX=/usr -DVEMO_BUILD_TESTS=OFF \
  -DVEMO_BUILD_BENCH=OFF -DVEMO_BUILD_PYTHON=OFF > /dev/null
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$work/usr-config/CMakeCache.txt")
mkdir -p "$work/multiarch/usr/$libdir/pkgconfig"
cp "$work/usr-config/vemosupport.pc" "$work/multiarch/usr/$libdir/pkgconfig/"
flags=$(PKG_CONFIG_PATH="$work/multiarch/usr/$libdir/pkgconfig" pkg-config --cflags --libs vemosupport)
"$python" - "$work/multiarch/usr" "$libdir" "$flags" <<'PY'
import os, sys
root, libdir, flags = sys.argv[1], sys.argv[2], sys.argv[3].split()
paths = {flag[:2]: os.path.normpath(flag[2:]) for flag in flags if flag[:2] in ("-I", "-L")}
assert paths == {"-I": root + "/include", "-L": root + "/" + libdir}, (paths, libdir)
assert "-std=c++20" in flags, flags
PY
echo "installed copies usable"
