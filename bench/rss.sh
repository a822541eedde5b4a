#!/usr/bin/env bash
# The tool's peak resident memory in every command, each run against its
# own cardsim over a pty (unpaced: the figure does not depend on the pace)
# with the sample files, the largest ones where the size is the user's
# choice: a 2 MiB device image (the most a device takes) beside the 256 KiB
# sample, a 700000-byte XSVF file. Peak RSS from /usr/bin/time (%M). Prints
# one line per run and fails when a run does not end in status 0, leaves a
# memory of the card other than its file, or peaks above 8 MiB;
# bench/log.md has the figures of past runs.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGETS="updater cardsim" scripts/setup.sh
root=$PWD
scripts/install-packages.sh time

work=$(mktemp -d /tmp/updater-bench-rss-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$root/build/cardsim" --make-samples "$work" --xsvf-size 700000 >/dev/null
mkdir big && head -c 2097152 /dev/urandom >big/Device5.bin && cp FDriver.bin big/

limit_kib=$((8 * 1024))
failed=0

# run NAME DIRECTORY CARDSIM-OPTIONS -- UPDATER-ARGUMENTS: one command
# against a fresh card whose memories go to state-NAME/.
run() {
    local name=$1 dir=$2
    shift 2
    local options=()
    while [ "$1" != "--" ]; do options+=("$1"); shift; done
    shift
    "$root/build/cardsim" --fast --link "$work/card-$name" --state "$work/state-$name" "${options[@]}" >/dev/null &
    local card_pid=$!
    for _ in $(seq 100); do [ -e "$work/card-$name" ] && break; sleep 0.05; done
    local status=0
    (cd "$dir" && /usr/bin/time -f "%M" -o "$work/$name.rss" "$root/build/updater" "$work/card-$name" "$@" \
        >"$work/$name.out" </dev/null) || status=$?
    kill "$card_pid"
    wait "$card_pid" || true
    local kib
    kib=$(tail -n 1 "$work/$name.rss")
    local verdict=ok
    if [ "$status" -ne 0 ]; then verdict="status $status"; failed=1; fi
    if [ "$kib" -gt "$limit_kib" ]; then verdict="above 8 MiB"; failed=1; fi
    printf '%-16s peak RSS %5d KiB = %4.2f MiB  %s\n' "$name" "$kib" "$(awk "BEGIN { print $kib / 1024 }")" "$verdict"
}

# same FILE STATE-FILE: the card's memory holds the file.
same() {
    if ! cmp -s "$1" "$2"; then
        echo "$2 differs from $1"
        failed=1
    fi
}

run VIPER "$work" -- VIPER Device5.bin
same Device5.bin state-VIPER/device5.bin
cp -r state-VIPER state-VERIFY
run VERIFY "$work" -- VERIFY Device5.bin
run VIPER-2MiB big -- VIPER Device5.bin
same big/Device5.bin state-VIPER-2MiB/device5.bin
cp -r state-VIPER-2MiB state-VERIFY-2MiB
run VERIFY-2MiB big -- VERIFY Device5.bin
run STATUS "$work" -- STATUS
run MICRO-boot-mode "$work" --boot -- MICRO
run MICRO-firmware "$work" -- MICRO
run FPGA "$work" -- FPGA fpga.xsvf
same fpga.xsvf state-FPGA/fpga.xsvf
run EDID "$work" --model DVITOSDI -- EDID EDID.bin
same EDID.bin state-EDID/edid.bin
run GAMMA "$work" -- GAMMA gamma.csv
run ALL "$work" --model DVITOSDI -- ALL
same Device1.bin state-ALL/device1.bin
same Device5.bin state-ALL/device5.bin
same fpga.xsvf state-ALL/fpga.xsvf
same EDID.bin state-ALL/edid.bin
run REMOTE "$work" -- REMOTE remote.txt

exit "$failed"
