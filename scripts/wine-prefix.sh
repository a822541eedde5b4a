# Sourced by the scripts that run updater.exe under Wine: a private Wine
# prefix, set up quickly (no Mono or Gecko installer, no debug output), with
# one server for its whole life, started first so that what it prints goes
# to its log and not into the console text of a run.
#
#   start_wine_prefix DIR   makes the prefix DIR and starts its server (its
#                           log: DIR.log); $wine runs a program in it
#   stop_wine               ends the server and every Wine process of the
#                           prefix, while it is there (for a trap on EXIT;
#                           nothing before start_wine_prefix)

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

start_wine_prefix() {
    export WINEPREFIX=$1 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
    mkdir -p "$WINEPREFIX"
    "$wineserver" -p >"$WINEPREFIX.log" 2>&1
    "$wine" wineboot -i >/dev/null 2>&1
}

stop_wine() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
}
