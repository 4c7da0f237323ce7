#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses the installed copy the ways a
# user would: CMake's find_package, pkg-config, the Python module and the vemo command.
set -euo pipefail
build=$1 here=$2 python=$3 compiler=$4
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
catalog=$prefix/share/vemosupport/catalog

echo "== find_package(vemosupport)"
cmake -S "$here/consumer" -B "$prefix/consumer-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$prefix/consumer-build" > /dev/null
"$prefix/consumer-build/consumer" "$catalog"

echo "== pkg-config"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
# shellcheck disable=SC2046
"$compiler" -std=c++20 "$here/consumer/main.cpp" -o "$prefix/consumer-pc" $(pkg-config --cflags --libs vemosupport) \
  -Wl,-rpath,"$prefix/lib"
"$prefix/consumer-pc" "$catalog"

echo "== Python"
module_dir=$(dirname "$(find "$prefix" -name 'vemosupport*.so' -path '*-packages*' | head -n 1)")
PYTHONPATH=$module_dir "$python" -c "
import sys, vemosupport as vs
info = vs.CreateProgIDInfo('9A10C0DE00010401', sys.argv[1])
assert info is not None and info.IsValid, 'the installed module cannot read the installed catalogue'
print(info.DeviceType)
" "$catalog"

echo "== vemo"
"$prefix/bin/vemo" info ZC41 --catalog "$catalog" --json | "$python" -c "
import json, sys
assert json.load(sys.stdin)['programId'] == '9A10C0DE00010401'
print('vemo info answers')
"
echo "installed copy usable"
