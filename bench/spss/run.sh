#!/usr/bin/env bash
# Job engine: the cost of AddJob on the submitting thread, and how long a sleeping worker
# takes to start a job after the push. Command splitter: a 20 MB file whole, and split again
# after edits.
set -euo pipefail
build=${1:-build}
"$build/bin/qs_bench_jobs"
"$build/bin/qs_bench_splitter"
