#!/usr/bin/env bash
# The editor on a generated 20 MB syntax file: open, type, memory.
set -euo pipefail
build=${1:-build}
"$build/bin/qs_bench_editor" "$build/bench-editor" 20
