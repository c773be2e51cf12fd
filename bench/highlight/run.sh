#!/usr/bin/env bash
# Highlighter throughput: generates a 20 MB syntax file with 30,000 variables into the
# build directory and tokenizes it; then 1.2 MB of syntax with 60,000 variable names
# crafted to collide in an unseeded hash, against as many random names; last the
# command-line tool as a whole process.
set -euo pipefail
build=${1:-build}
"$build/bin/qs_bench_highlight" "$build/bench-highlight" 20 30000
"$build/bin/qs_bench_highlight_names" "$build/bench-highlight" 1200 60000
# The command-line tool as a whole process, start-up and reading included: best of 3.
python3 - "$build" <<'PY'
import os, subprocess, sys, time
build = sys.argv[1]
text = os.path.join(build, "bench-highlight", "highlight-bench.sps")
names = os.path.join(build, "bench-highlight", "highlight-bench.vars")
mb = os.path.getsize(text) / (1 << 20)
for fmt in ("count", "tokens"):
    best = None
    for _ in range(3):
        start = time.perf_counter()
        subprocess.run([os.path.join(build, "bin", "quillstone-highlight"), "--format", fmt,
                        "--variables", names, text], stdout=subprocess.DEVNULL, check=True)
        took = time.perf_counter() - start
        best = took if best is None else min(best, took)
    print(f"quillstone-highlight --format {fmt}: {mb / best:.1f} MB/s "
          f"(whole process, best of 3: {best:.3f} s)")
PY
