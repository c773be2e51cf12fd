#!/usr/bin/env bash
# Highlighter throughput: generates a 20 MB syntax file with 30,000 variables into the
# build directory and tokenizes it.
set -euo pipefail
build=${1:-build}
"$build/bin/qs_bench_highlight" "$build/bench-highlight" 20 30000
