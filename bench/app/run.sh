#!/usr/bin/env bash
# The editor on a generated 20 MB syntax file: open, type, memory; then typing and idling
# at the end of one 2 MB line.
set -euo pipefail
build=${1:-build}
# With the data file benchmark run first, the object tree is timed on its large file.
"$build/bin/qs_bench_editor" "$build/bench-editor" 20 "$build/bench-datafile/dict30k.sav"
"$build/bin/qs_bench_longline" "$build/bench-longline" 2
