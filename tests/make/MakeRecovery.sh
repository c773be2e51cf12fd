#!/usr/bin/env bash
# The top-level Makefile on a stand-in project: "make" first installs what is missing,
# and after a configure that failed (its CMakeCache.txt left behind) the next "make"
# configures again and builds.
# Usage: MakeRecovery.sh MAKEFILE
set -euo pipefail
makefile=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$makefile" Makefile
mkdir tools
# The stand-in installer notes that it ran instead of installing anything.
printf '#!/bin/sh\necho "$1" >> deps.log\n' > tools/install-deps.sh
chmod +x tools/install-deps.sh
cat > CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(standin LANGUAGES NONE)
if(EXISTS ${CMAKE_SOURCE_DIR}/missing-package)
    message(FATAL_ERROR "a package is missing")
endif()
add_custom_target(standin ALL COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/built)
CMAKE
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
unset CMAKE_GENERATOR MAKEFLAGS MFLAGS

touch missing-package
if make >first.log 2>&1; then fail "make succeeded while the configure fails"; fi
[[ -f build/CMakeCache.txt ]] || fail "the failed configure left no CMakeCache.txt to recover from"
grep -qx tools/debian-packages.txt deps.log 2>/dev/null || fail "make did not install the missing packages first"

rm missing-package
make >second.log 2>&1 || fail "make after the failed configure: $(tail -n 3 second.log)"
[[ -f build/built ]] || fail "make after the failed configure built nothing"

((failures == 0)) || exit 1
echo "make recovers from a failed configure"
