# Sourced by the run and test scripts: a virtual display with a window manager and a
# reusable Wine prefix. Sets DISPLAY, WINEPREFIX and friends, and ORV_WINE (the loader).
# Call orv_wine_stop at the end to stop the display it started.

ORV_ROOT=${ORV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$ORV_ROOT/build/wineprefix}
ORV_WINE=/usr/lib/wine/wine64
_orv_xvfb_pid="" _orv_wm_pid=""

orv_wine_start() {
    if [ -z "${DISPLAY:-}" ] || [ "${ORV_OWN_DISPLAY:-1}" = 1 ]; then
        local fdfile; fdfile=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
        _orv_xvfb_pid=$!
        for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
        export DISPLAY=":$(cat "$fdfile")"
        rm -f "$fdfile"
        openbox >/dev/null 2>&1 &
        _orv_wm_pid=$!
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        "$ORV_WINE" wineboot -i >/dev/null 2>&1 || true
        /usr/lib/wine/wineserver64 -w 2>/dev/null || wineserver -w 2>/dev/null || true
    fi
}

orv_wine_stop() {
    /usr/lib/wine/wineserver64 -k 2>/dev/null || wineserver -k 2>/dev/null || true
    [ -n "$_orv_wm_pid" ] && kill "$_orv_wm_pid" 2>/dev/null
    [ -n "$_orv_xvfb_pid" ] && kill "$_orv_xvfb_pid" 2>/dev/null
    _orv_xvfb_pid="" _orv_wm_pid=""
    return 0
}
