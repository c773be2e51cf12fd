#!/usr/bin/env bash
# Case reading: PSPP writes a bytecode-compressed .sav of QS_BENCH_CASES cases (default
# 10,000,000: about 1 GB) of 12 variables, and the same cases as .zsav, once per build
# folder. Then: the reader's time to the first 50 rows, to build its index, of a jump to the
# last case, its peak memory; and quillstone-dict --csv on the .sav beside readstat and
# pspp-convert converting the same file to CSV (wall time of one run each).
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
cases=${QS_BENCH_CASES:-10000000}
out="$build/bench-cases"
mkdir -p "$out"
out=$(cd "$out" && pwd)
stem="$out/cases$cases"

if ! command -v pspp >/dev/null; then
    echo "pspp is not installed (make deps): no input files, no figures."
    exit 0
fi
if [[ ! -s "$stem.zsav" || "$here/generate.sps.in" -nt "$stem.zsav" ]]; then
    echo "Writing $cases cases as .sav and .zsav with PSPP ..."
    sed -e "s|@CASES@|$cases|g" -e "s|@OUT@|$stem|g" "$here/generate.sps.in" >"$stem.sps"
    pspp "$stem.sps" >"$stem.log" 2>&1
fi

echo "Case reader, in process:"
"$build/bin/qs_bench_cases" "$stem.sav" "$stem.zsav"
if [[ -x "$build/bin/qs_bench_dataview" ]]; then
    "$build/bin/qs_bench_dataview" "$stem.sav" "$stem.zsav"
fi

# Wall time of one run in milliseconds, and the peak memory where GNU time is there.
run_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "failed"; return; }
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
peak_mb() {
    if [[ -x /usr/bin/time ]]; then
        /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.1f MB", $1 / 1024}'
    else
        echo "(GNU time not installed)"
    fi
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dict="$build/bin/quillstone-dict"
echo "CSV of $(basename "$stem.sav") ($(du -m "$stem.sav" | cut -f1) MB), wall time of one run:"
ours=$(run_ms sh -c '"$0" --csv "$1" >"$2"' "$dict" "$stem.sav" "$scratch/ours.csv")
printf '  quillstone-dict --csv %8s ms, peak %s\n' "$ours" \
    "$(peak_mb sh -c 'exec "$0" --csv "$1"' "$dict" "$stem.sav")"
rm -f "$scratch/ours.csv"
best=
if command -v readstat >/dev/null; then
    theirs=$(run_ms readstat "$stem.sav" "$scratch/readstat.csv")
    printf '  readstat              %8s ms\n' "$theirs"
    [[ $theirs != failed ]] && best=$theirs
    rm -f "$scratch/readstat.csv"
else
    echo "  readstat: not installed (Debian package 'readstat')"
fi
if command -v pspp-convert >/dev/null; then
    theirs=$(run_ms pspp-convert "$stem.sav" "$scratch/pspp.csv")
    printf '  pspp-convert          %8s ms\n' "$theirs"
    [[ $theirs != failed && ( -z $best || $theirs -lt $best ) ]] && best=$theirs
    rm -f "$scratch/pspp.csv"
fi
if [[ -n $best && $ours != failed && $ours -gt 0 ]]; then
    awk -v b="$best" -v o="$ours" 'BEGIN { printf "  quillstone-dict --csv is %.1f times as fast as the faster of the two\n", b / o }'
fi
