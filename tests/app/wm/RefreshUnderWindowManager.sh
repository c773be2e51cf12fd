#!/usr/bin/env bash
# The refresh of the data file objects as a window manager drives it (the offscreen
# platform never activates a window): only the first activation refreshes, F5 does, and
# a refresh that fails says so without a box. Refreshes are counted as the dictionary
# queries the engine is asked for; the user's data file is never written.
# Usage: RefreshUnderWindowManager.sh BIN-FOLDER
set -euo pipefail
bin=$(cd "$1" && pwd)
for tool in xvfb-run openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'kill $(cat "$work/run/quillstone/engine.lock" 2>/dev/null) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -m 700 "$work/run" "$work/data"
# The test run may ask for the offscreen platform; this check needs the X server.
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/run QUILLSTONE_REGISTRY=$work/reg.reg QUILLSTONE_ENGINE_TRACE=1
echo "LIST." > "$work/a.sps"

cat > "$work/inside.sh" <<INSIDE
set -euo pipefail
fail() { echo "FAIL: \$*"; tail -n 20 "$work/editor.log" "$work/engine.log"; exit 1; }
saves() { grep -c '^batch> TEMPORARY\.\$' "$work/engine.log" || true; }
wait_for() { for _ in \$(seq 300); do eval "\$1" && return 0; sleep 0.1; done; fail "\$2"; }
openbox >/dev/null 2>&1 &
sleep 1
"$bin/quillstone-engine" 2>"$work/engine.log" &
wait_for '[ -S "$work/run/quillstone/engine.sock" ]' "the engine did not start"
printf 'DATA LIST FREE /age income.\nBEGIN DATA\n1 2\nEND DATA.\nSAVE OUTFILE="$work/data/x.sav".\nGET FILE="$work/data/x.sav".\n' > "$work/make.sps"
"$bin/quillstone-engine" run "$work/make.sps" >/dev/null
cp "$work/data/x.sav" "$work/x.copy"

"$bin/quillstone" "$work/a.sps" >"$work/editor.log" 2>&1 &
wait_for 'xdotool search --name "^Quillstone - " >/dev/null' "the editor did not show"
editor=\$(xdotool search --name "^Quillstone - " | head -1)
output=\$(xdotool search --name "^Output - Quillstone Engine" | head -1)
xdotool windowactivate --sync "\$editor"
wait_for '[ "\$(saves)" -ge 1 ]' "the first activation did not refresh"
sleep 1
for _ in 1 2 3; do
    xdotool windowactivate --sync "\$output"; sleep 0.3
    xdotool windowactivate --sync "\$editor"; sleep 0.3
done
sleep 1
[ "\$(saves)" -eq 1 ] || fail "later activations refreshed again: \$(saves) saves"
xdotool key F5
wait_for '[ "\$(saves)" -eq 2 ]' "F5 did not refresh"

# A TEMPORARY waiting for its procedure: the refresh leaves it be and says why in the
# status bar, with no box.
printf 'COMPUTE z = 1.\nTEMPORARY.\nSELECT IF age > 5.\n' > "$work/temp.sps"
"$bin/quillstone-engine" run "$work/temp.sps" >/dev/null
xdotool windowactivate --sync "\$editor"; sleep 0.3
before=\$(xdotool search --name "." | wc -l)
xdotool key F5
wait_for '[ "\$(saves)" -eq 3 ]' "F5 did not refresh while TEMPORARY was in effect"
sleep 2
[ "\$(xdotool search --name "." | wc -l)" -eq "\$before" ] || fail "a box came up"
[ "\$(saves)" -eq 3 ] || fail "more refreshes followed: \$(saves)"
grep -q '^SAVE OUTFILE=.*/dict-' "$work/engine.log" || fail "no private dictionary was saved"
cmp -s "$work/data/x.sav" "$work/x.copy" || fail "the data file was written"
echo "PASS"
INSIDE
xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/inside.sh"
