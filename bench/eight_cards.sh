#!/usr/bin/env bash
# A production line: N paced cards (cardsim, DVI TO SDI, each on its own pty;
# 8 unless N or CARDS=N says otherwise) and N tool processes, each running
# VERIFY of the 256 KiB Device5.bin sample against a card that holds it,
# then ALL with the sample files. Side by side in one run: first the same
# two runs with one card alone, then the N at once. Prints each run's wall
# time and its ratio to the run alone, the CPU each tool run took
# (getrusage, through /usr/bin/time) and each card (/proc/PID/schedstat),
# and checks every card's memories against the files right afterwards.
# Fails when a run does not end in status 0 or a memory differs.
# DELIVERY=HOW gives the cards --delivery HOW (usb, uart, byte; cardsim's
# default otherwise).
#
#   bench/eight_cards.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
TARGETS="updater cardsim" scripts/setup.sh
root=$PWD
scripts/install-packages.sh time python3

cards=${1:-${CARDS:-8}}
delivery=()
[ -n "${DELIVERY:-}" ] && delivery=(--delivery "$DELIVERY")
work=$(mktemp -d /tmp/updater-bench-cards-XXXXXX)
card_pids=()
cleanup() {
    for pid in "${card_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
"$root/build/cardsim" --make-samples "$work" >/dev/null
echo "$cards cards${DELIVERY:+, delivery $DELIVERY}; load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# A paced card NAME whose device 5 already holds Device5.bin.
start_card() {
    mkdir -p "state-$1"
    cp Device5.bin "state-$1/device5.bin"
    "$root/build/cardsim" "${delivery[@]}" --model DVITOSDI --state "$work/state-$1" --link "$work/card-$1" \
        >/dev/null &
    card_pids+=($!)
    for _ in $(seq 100); do [ -e "$work/card-$1" ] && break; sleep 0.05; done
}

# card_cpu PID: the seconds a running process has spent on a processor.
card_cpu() { awk '{ print $1 / 1e9 }' "/proc/$1/schedstat"; }

# VERIFY, then ALL, against card NAME; for each its wall time, status and
# CPU (user, system) go to times-NAME.
sequence() {
    local name=$1 run
    : >"times-$name"
    for run in "VERIFY Device5.bin" ALL; do
        local status=0
        # shellcheck disable=SC2086 # the command and its file are two words
        /usr/bin/time -f "%e %U %S" -o "time-$name" "$root/build/updater" "$work/card-$name" $run \
            >"${run%% *}-$name.out" </dev/null || status=$?
        echo "$(tail -n 1 "time-$name") $status" >>"times-$name"
    done
}

stop_cards() {
    for pid in "${card_pids[@]}"; do kill "$pid"; wait "$pid" || true; done
    card_pids=()
}

check_memories() {
    local name=$1 pair
    for pair in Device5.bin:device5.bin Device1.bin:device1.bin EDID.bin:edid.bin fpga.xsvf:fpga.xsvf; do
        cmp -s "${pair%%:*}" "state-$name/${pair##*:}" || echo "card $name: ${pair##*:} differs from ${pair%%:*}"
    done
}

start_card alone
sequence alone
cpus=("$(card_cpu "${card_pids[0]}")")
stop_cards
check_memories alone >memories

for i in $(seq "$cards"); do start_card "$i"; done
runs=()
for i in $(seq "$cards"); do
    sequence "$i" &
    runs+=($!)
done
wait "${runs[@]}"
for pid in "${card_pids[@]}"; do cpus+=("$(card_cpu "$pid")"); done
stop_cards
for i in $(seq "$cards"); do check_memories "$i" >>memories; done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$cards" "${cpus[@]}" <<'PY'
import sys
cards, cpus = int(sys.argv[1]), [float(c) for c in sys.argv[2:]]
def runs(name):  # [(wall, tool CPU, status)] for VERIFY and ALL
    lines = open(f"times-{name}").read().split("\n")
    return [(float(w), float(u) + float(s), int(st)) for w, u, s, st in (l.split() for l in lines if l)]
def share(cpu, wall):
    return f"{100 * cpu / wall:.1f}%"
(verify1, vtool1, vs), (all1, atool1, als) = runs("alone")
print(f"alone: VERIFY {verify1:.2f} s (status {vs}), tool {share(vtool1, verify1)} of one core; "
      f"ALL {all1:.2f} s (status {als}), tool {share(atool1, all1)}; the card {share(cpus[0], verify1 + all1)}")
worst, failed = 0.0, vs != 0 or als != 0
tool_total = card_total = span = 0.0
for i, cpu in zip(range(1, cards + 1), cpus[1:]):
    (verify, vtool, vs), (every, atool, als) = runs(i)
    worst = max(worst, verify / verify1, every / all1)
    failed = failed or vs != 0 or als != 0
    tool_total += vtool + atool
    card_total += cpu
    span = max(span, verify + every)
    print(f"card {i}: VERIFY {verify:.2f} s = {verify / verify1:.3f} x alone (status {vs}), tool {share(vtool, verify)}; "
          f"ALL {every:.2f} s = {every / all1:.3f} x alone (status {als}), tool {share(atool, every)}; "
          f"card {share(cpu, verify + every)}")
print(f"{cards} cards at once: the slowest run took {worst:.3f} x its time alone (target at most 1.05); "
      f"over the longest sequence ({span:.0f} s) the tools took {share(tool_total, span)} of one core "
      f"and the cards {share(card_total, span)}, of the two cores' 200%")
sys.exit(1 if failed else 0)
PY
if [ -s memories ]; then
    cat memories
    exit 1
fi
echo "every card's memories equal the files"
