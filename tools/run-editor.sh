#!/usr/bin/env bash
# Starts the editor on a syntax file; under a virtual display when none is there.
set -euo pipefail
program=${1:?usage: run-editor.sh PROGRAM FILE}
file=${2:?usage: run-editor.sh PROGRAM FILE}
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    echo "No display found: starting the editor under Xvfb (xvfb-run)." >&2
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$program" "$(realpath "$file")"
fi
exec "$program" "$(realpath "$file")"
