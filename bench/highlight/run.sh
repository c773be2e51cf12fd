#!/usr/bin/env bash
# Highlighter throughput: generates a 20 MB syntax file with 30,000 variables into the
# build directory and tokenizes it; then 1.2 MB of syntax with 60,000 variable names
# crafted to collide in an unseeded hash, against as many random names.
set -euo pipefail
build=${1:-build}
"$build/bin/qs_bench_highlight" "$build/bench-highlight" 20 30000
"$build/bin/qs_bench_highlight_names" "$build/bench-highlight" 1200 60000
