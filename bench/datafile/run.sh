#!/usr/bin/env bash
# Data file dictionary reading: builds with PSPP a 12.8 MB .sav (and its .zsav) of 30,000
# labelled variables with five value labels each and 200 multiple-response sets, and an
# 800 MB .zsav whose dictionary is small, then times quillstone-dict --json on them
# (whole process, best of several runs), the in-process reading through TSPSSDatafile,
# and ReadStat's 'readstat FILE' on the same files for comparison. Then two .sav files of
# 131,072 variables each, one with names crafted to collide in an unseeded hash and one
# with random names of the same length, opened side by side.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
out="$build/bench-datafile"
runs=${QS_BENCH_RUNS:-10}
zsav_mb=${QS_BENCH_ZSAV_MB:-800}
name_count=${QS_BENCH_NAMES:-131072}
name_runs=${QS_BENCH_NAME_RUNS:-3}
mkdir -p "$out"
out=$(cd "$out" && pwd)
dict="$build/bin/quillstone-dict"

if ! command -v pspp >/dev/null; then
    echo "pspp is not installed (make deps): no input files, no figures."
    exit 0
fi

# Inputs are made once per build directory; delete the folder to remake them.
if [[ ! -s "$out/dict30k.zsav" || "$here/GenerateSyntax.py" -nt "$out/dict30k.zsav" ]]; then
    echo "Writing the 30,000-variable files with PSPP ..."
    python3 "$here/GenerateSyntax.py" big "$out/dict30k.sps" "$out/dict30k.sav" \
        "$out/dict30k.zsav" 30000 200
    pspp "$out/dict30k.sps" >"$out/dict30k.log" 2>&1
fi
if [[ ! -s "$out/cases${zsav_mb}m.zsav" || "$here/ExpandZsav.py" -nt "$out/cases${zsav_mb}m.zsav" ]]; then
    echo "Writing the ${zsav_mb} MB .zsav (dictionary by PSPP, case blocks appended) ..."
    python3 "$here/GenerateSyntax.py" small "$out/small.sps" "$out/small.zsav"
    pspp "$out/small.sps" >"$out/small.log" 2>&1
    python3 "$here/ExpandZsav.py" "$out/small.zsav" "$out/cases${zsav_mb}m.zsav" "$zsav_mb"
fi
for kind in crafted random; do
    stem="$out/names${name_count}-$kind"
    if [[ ! -s "$stem.sav" || "$here/GenerateNames.py" -nt "$stem.sav" ]]; then
        echo "Writing the $name_count-variable file of $kind names with PSPP ..."
        python3 "$here/GenerateNames.py" "$kind" "$stem.sps" "$stem.sav" "$name_count"
        pspp "$stem.sps" >"$stem.log" 2>&1
    fi
done
files=("$out/dict30k.sav" "$out/dict30k.zsav" "$out/cases${zsav_mb}m.zsav")

# Best (lowest) wall time of a command in milliseconds over $runs runs; output discarded.
best_ms() {
    if command -v hyperfine >/dev/null; then
        hyperfine -N --warmup 2 --runs "$runs" --export-json "$out/hyperfine.json" \
            "$(printf '%q ' "$@")" >/dev/null 2>&1 || { echo "failed"; return; }
        python3 -c 'import json,sys; print("%.1f" % (1000 * json.load(open(sys.argv[1]))["results"][0]["min"]))' \
            "$out/hyperfine.json"
        return
    fi
    local best=
    for ((i = 0; i < runs; ++i)); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || { echo "failed"; return; }
        end=$(date +%s%N)
        local ms=$(((end - start) / 1000))
        [[ -z $best || $ms -lt $best ]] && best=$ms
    done
    printf '%d.%d\n' $((best / 1000)) $((best % 1000 / 100))
}

readstat_ok=0
if command -v readstat >/dev/null; then
    readstat_ok=1
elif [[ $(id -u) -eq 0 ]] && command -v apt-get >/dev/null &&
    apt-get install -y readstat >/dev/null 2>&1 && command -v readstat >/dev/null; then
    readstat_ok=1
fi

timer=$(command -v hyperfine >/dev/null && echo "hyperfine, best of $runs" || echo "best of $runs")
echo "Whole process, wall time ($timer):"
for f in "${files[@]}"; do
    size=$(du -m "$f" | cut -f1)
    printf '  %-16s %5s MB  quillstone-dict --json %8s ms' "$(basename "$f")" "$size" \
        "$(best_ms "$dict" --json "$f")"
    if ((readstat_ok)); then
        printf '   readstat %8s ms' "$(best_ms readstat "$f")"
    fi
    printf '\n'
done
((readstat_ok)) || echo "  readstat: not installed and not installable here (Debian package 'readstat')"
printf '  reading the bytes of %s: %s ms\n' "$(basename "${files[0]}")" \
    "$(best_ms cat "${files[0]}")"

echo "In process (best of $runs):"
"$build/bin/qs_bench_datafile" "$runs" "${files[@]}"

echo "Names crafted to collide in an unseeded hash against random names of the same length:"
"$build/bin/qs_bench_datafile" --versus "$name_runs" \
    "$out/names${name_count}-crafted.sav" "$out/names${name_count}-random.sav"
