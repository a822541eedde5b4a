#!/usr/bin/env bash
# The Windows build under Wine beside the native build. Each case runs twice
# on fresh simulated cards with the same seed: build/updater on the card's
# pty, and build-windows/updater.exe under Wine on a COM port of a private
# prefix (COM7 up, one per case), mapped to the other card's pty. Compared: the exit statuses (against the one
# the case expects), the bytes each card received and sent (cardsim
# --trace, time stamps and read chunking dropped), the cards' state files,
# the console text (Wine's CRLF made LF, time lines masked) and the runs'
# records (UPDATER_LOG, times and port dropped: the hashes are CNG's on one
# side and OpenSSL's on the other). Any difference fails. Last, a COM port
# mapped to a card's pty must be among those updater.exe --ports lists. Differences that are Wine's own are undone explicitly
# in wine_console below and listed in the README's Windows section.
set -euo pipefail
cd "$(dirname "$0")/.."
began=$(date +%s)
root=$PWD

# One case a line: name | setup (shell, in the case's directory, before the
# card starts; its memories are read from state/) | cardsim options | the
# tool's arguments after the port | keys on standard input (printf %b) |
# expected exit status ("nonzero": any but 0, as an interrupted run ends
# with its platform's own status) | seconds after which the tool gets
# SIGINT (empty: never). Under Wine `_getch` reads no pipe and returns as at the end of
# input: the keys are chosen so that this and the key itself take the same
# path (STATUS quits on "q" and at the end of input alike).
cases() {
    cat <<'EOF'
status     |                                                   | --seed 11 | STATUS             | q | 0 |
viper5     |                                                   | --seed 11 | VIPER Device5.bin  |   | 0 |
verify5    | mkdir -p state && cp Device5.bin state/device5.bin | --seed 11 | VERIFY Device5.bin |   | 0 |
no-file    |                                                   | --seed 11 | FPGA missing.xsvf  | x | 2 |
bad-device |                                                   | --seed 11 | VIPER Device3.bin  |   | 2 |
micro-boot |                                                   | --seed 11 --boot | MICRO       |   | 0 |
all        |                                                   | --seed 11 --model DVITOSDI | ALL |   | 0 |
interrupt  |                                                   | --seed 11 | VIPER Device5.bin  |   | nonzero | 12
EOF
}

scripts/install-packages.sh wine64 jq
TARGETS="updater cardsim" scripts/setup.sh >/dev/null
scripts/build-windows.sh >/dev/null
source scripts/wine-prefix.sh

work=$(mktemp -d /tmp/updater-wine-XXXXXX)
trap stop_wine EXIT
start_wine_prefix "$work/prefix"
"$root/build/cardsim" --make-samples "$work/samples" >/dev/null
echo "wine-check: prefix ready after $(($(date +%s) - began)) s"

trim() { local text=$1; text=${text#"${text%%[![:space:]]*}"}; echo "${text%"${text##*[![:space:]]}"}"; }

# The card's bytes either way: one line per run of bytes in one direction.
wire_bytes() {
    awk '$2 == "host>card" || $2 == "card>host" {
        line = $0; sub(/\|.*$/, "", line); n = split(line, field, " ")
        if ($2 != direction) { if (direction != "") print run; run = $2; direction = $2 }
        for (i = 3; i <= n; ++i) run = run " " field[i]
    } END { if (direction != "") print run }' "$1"
}

mask_times() { sed -E 's/(Time : )[0-9]+ minutes [0-9]+ seconds/\1# minutes # seconds/'; }

# Wine's console text as the native build shows it: text-mode CRLF made LF,
# and Wine's PAUSE text ("Press any key to continue... ", no line end after
# the key) made the native one.
wine_console() {
    sed -e 's/\r$//' -e 's/^Press any key to continue\.\.\. $/Press any key to continue . . . \n/' "$1" | mask_times
}

# Runs one side of a case in $work/NAME/SIDE: side "native" or "wine".
run_side() {
    local name=$1 side=$2 setup=$3 options=$4 args=$5 keys=$6 interrupt=$7 com=$8
    local dir=$work/$name/$side
    mkdir -p "$dir/state"
    cp "$work"/samples/* "$dir/"
    (cd "$dir" && eval "$setup")
    # shellcheck disable=SC2086
    # The comparison is of what both builds do, not of the line's time: --fast.
    "$root/build/cardsim" --fast --link "$dir/card" --state "$dir/state" --trace $options >/dev/null 2>"$dir/trace" &
    local card=$!
    for _ in $(seq 100); do [ -e "$dir/card" ] && break; sleep 0.05; done
    local tool=("$root/build/updater" "$dir/card")
    if [ "$side" = wine ]; then
        ln -sfn "$(readlink "$dir/card")" "$WINEPREFIX/dosdevices/com$com"
        tool=("$wine" "$root/build-windows/updater.exe" "COM$com")
    fi
    local limit=(timeout 300)
    [ -n "$interrupt" ] && limit=(timeout --preserve-status -s INT "$interrupt")
    local status=0 began_run
    began_run=$(date +%s)
    # shellcheck disable=SC2086
    (cd "$dir" && printf '%b' "$keys" | UPDATER_LOG=$dir/runs.log "${limit[@]}" "${tool[@]}" $args >console 2>&1) ||
        status=$?
    echo "$status" >"$dir/status"
    echo "$(($(date +%s) - began_run))" >"$dir/seconds"
    kill "$card"
    wait "$card" || true
}

# Runs both sides of a case and compares them; each difference is a line
# of $work/NAME/differences.
check_case() {
    local name=$1 setup=$2 options=$3 args=$4 keys=$5 expect=$6 interrupt=$7 com=$8
    local n=$work/$name/native w=$work/$name/wine
    mkdir -p "$work/$name"
    : >"$work/$name/differences"
    differ() { echo "wine-check: $name: $1" >>"$work/$name/differences"; }
    run_side "$name" native "$setup" "$options" "$args" "$keys" "$interrupt" "$com" &
    local native=$!
    run_side "$name" wine "$setup" "$options" "$args" "$keys" "$interrupt" "$com"
    wait "$native"

    for side in native wine; do
        status=$(cat "$work/$name/$side/status")
        if [ "$expect" = nonzero ]; then [ "$status" != 0 ]; else [ "$status" = "$expect" ]; fi ||
            differ "$side exit status $status, expected $expect"
    done
    cmp -s <(wire_bytes "$n/trace") <(wire_bytes "$w/trace") ||
        differ "the cards' wire bytes differ ($n/trace, $w/trace)"
    diff -r "$n/state" "$w/state" >/dev/null || differ "the cards' state files differ"
    diff <(mask_times <"$n/console") <(wine_console "$w/console") >"$work/$name/console.diff" ||
        differ "the console texts differ: $work/$name/console.diff"
    for side in native wine; do
        [ "$(wc -l <"$work/$name/$side/runs.log" 2>/dev/null || echo 0)" = 1 ] || differ "$side: not one line of record"
    done
    record() { jq -c 'del(.started, .ended, .port)' "$1/runs.log" 2>&1; }
    [ "$(record "$n")" = "$(record "$w")" ] || differ "the records differ: $(record "$n") / $(record "$w")"
    echo "wine-check: $name: native $(cat "$n/seconds") s, Wine $(cat "$w/seconds") s"
}

# The cases run three at a time, each on a COM port of its own (COM7 up).
names=()
com=7
while IFS='|' read -r name setup options args keys expect interrupt; do
    name=$(trim "$name") setup=$(trim "$setup") options=$(trim "$options") args=$(trim "$args")
    [ -z "$name" ] || [ "${name:0:1}" = "#" ] && continue
    keys=$(trim "$keys") expect=$(trim "$expect") interrupt=$(trim "$interrupt")
    while [ "$(jobs -rp | wc -l)" -ge 3 ]; do wait -n || true; done
    check_case "$name" "$setup" "$options" "$args" "$keys" "$expect" "$interrupt" "$com" &
    names+=("$name")
    com=$((com + 1))
done < <(cases)
wait

# updater.exe --ports lists a COM port that Wine maps to a card's pty.
check_ports() {
    local dir=$work/ports com=$1
    mkdir -p "$dir"
    : >"$dir/differences"
    "$root/build/cardsim" --fast --link "$dir/card" >/dev/null 2>&1 &
    local card=$!
    for _ in $(seq 100); do [ -e "$dir/card" ] && break; sleep 0.05; done
    ln -sfn "$(readlink "$dir/card")" "$WINEPREFIX/dosdevices/com$com"
    local status=0
    (cd "$dir" && "$wine" "$root/build-windows/updater.exe" --ports >console 2>&1) || status=$?
    kill "$card"
    wait "$card" || true
    [ "$status" = 0 ] || echo "wine-check: ports: exit status $status" >>"$dir/differences"
    grep -q "^COM$com " "$dir/console" ||
        echo "wine-check: ports: COM$com is not listed: $(tr -d '\r' <"$dir/console" | tr '\n' '|')" >>"$dir/differences"
    echo "wine-check: ports: $(grep "^COM$com " "$dir/console" | tr -d '\r')"
}
check_ports 7
names+=(ports)

# The records read back as a table by the log's reader.
if table=$(scripts/updater-log "$work"/*/native/runs.log "$work"/*/wine/runs.log); then
    echo "wine-check: the records read as a table: $(grep -c '^20' <<<"$table") runs"
else
    echo "wine-check: scripts/updater-log cannot read the records" >>"$work/ports/differences"
fi

failures=0
for name in "${names[@]}"; do
    cat "$work/$name/differences" >&2
    failures=$((failures + $(wc -l <"$work/$name/differences")))
done

stop_wine
trap - EXIT
echo "wine-check: $failures difference(s), $(($(date +%s) - began)) s in all"
[ "$failures" -eq 0 ] && rm -rf "$work"
[ "$failures" -eq 0 ]
