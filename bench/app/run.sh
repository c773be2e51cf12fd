#!/usr/bin/env bash
# The editor on a generated 20 MB syntax file: open, type, memory; then typing and idling
# at the end of one 2 MB line; then completion and the object tree's filter over a data
# file of 30,000 labelled variables.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
# With the data file benchmark run first, the object tree is timed on its large file.
"$build/bin/qs_bench_editor" "$build/bench-editor" 20 "$build/bench-datafile/dict30k.sav"
"$build/bin/qs_bench_longline" "$build/bench-longline" 2

# The data file benchmark's 30,000-variable file, made here with PSPP when it has not run.
vars30k="$build/bench-datafile/dict30k.sav"
if [[ ! -s $vars30k ]]; then
    out="$build/bench-completion"
    vars30k="$out/vars30k.sav"
    if [[ ! -s $vars30k ]]; then
        if ! command -v pspp >/dev/null; then
            echo "pspp is not installed (make deps): no data file, no completion figures."
            exit 0
        fi
        mkdir -p "$out"
        echo "Writing the 30,000-variable data file with PSPP ..."
        python3 "$here/../datafile/GenerateSyntax.py" big "$out/vars30k.sps" "$vars30k" \
            "$out/vars30k.zsav" 30000 200
        pspp "$out/vars30k.sps" >"$out/vars30k.log" 2>&1
    fi
fi
"$build/bin/qs_bench_completion" "$build/bench-completion" "$vars30k"
