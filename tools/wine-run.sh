#!/usr/bin/env bash
# Runs a Windows program under Wine in the given private prefix: wine-run.sh PREFIX
# PROGRAM ARGS... The prefix is made once (under a lock, as tests start in parallel).
set -euo pipefail
prefix=${1:?usage: wine-run.sh PREFIX PROGRAM [ARGS...]}
shift
# A test may ask for a user of another name (QS_WINE_USER). Wine names the profile folder,
# and with it the temporary and documents folders, after the user, so such a user gets a
# prefix of its own.
if [[ -n ${QS_WINE_USER:-} ]]; then
    prefix=$prefix-user-$(printf %s "$QS_WINE_USER" | od -An -tx1 | tr -d ' \n')
    export USER=$QS_WINE_USER LOGNAME=$QS_WINE_USER
fi
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No window of Wine's own may wait for a person: there is no display.
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$prefix"
if [[ ! -f $prefix/system.reg ]]; then
    (
        flock 9
        if [[ ! -f $prefix/system.reg ]]; then
            "$wine" wineboot --init >/dev/null 2>&1 || true
            "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
        fi
    ) 9>"$prefix.lock"
fi
exec "$wine" "$@"
