#!/usr/bin/env bash
# Runs every benchmark that the build made and prints its figures.
set -euo pipefail
build=${1:-build}
shopt -s nullglob
ran=0
for script in "$(dirname "$0")"/*/run.sh; do
    echo "== $(basename "$(dirname "$script")")"
    "$script" "$build"
    ran=1
done
((ran)) || echo "No benchmarks are built yet."
