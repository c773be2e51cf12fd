#!/usr/bin/env bash
# The Output window fed 100,000 lines of table output through a pty: time until shown,
# longest event-loop stall, final line count; with the allocator's default mmap threshold
# and with one fixed at 1 MiB, which keeps the document's growth from stalling. Then the rich
# output view fed 10,000 PSPP tables, and 3,000 in a steady trickle.
set -euo pipefail
build=${1:-build}
"$build/bin/qs_bench_output" 100000
MALLOC_MMAP_THRESHOLD_=1048576 "$build/bin/qs_bench_output" 100000
"$build/bin/qs_bench_viewer" 10000
# Tables as fast as the view shows them, two at a time: the oldest go all along.
"$build/bin/qs_bench_viewer" 3000 2
"$build/bin/qs_bench_engine" "$build/bin"
