#!/usr/bin/env bash
# A production line: eight paced cards (cardsim --pace, DVI TO SDI, each on
# its own pty) and eight tool processes, each running VERIFY of the 256 KiB
# Device5.bin sample against a card that holds it, then ALL with the sample
# files. Side by side in one run: first the same two runs with one card
# alone, then the eight at once. Prints each run's wall time and its ratio
# to the run alone, the CPU each paced card took, and checks every card's
# memories against the files right afterwards. Fails when a run does not
# end in status 0 or a memory differs. CARDS=N runs N at once instead.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGETS="updater cardsim" scripts/setup.sh
root=$PWD
scripts/install-packages.sh python3

cards=${CARDS:-8}
work=$(mktemp -d /tmp/updater-bench-eight-XXXXXX)
card_pids=()
cleanup() {
    for pid in "${card_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
"$root/build/cardsim" --make-samples "$work" >/dev/null
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# A paced card NAME whose device 5 already holds Device5.bin.
start_card() {
    mkdir -p "state-$1"
    cp Device5.bin "state-$1/device5.bin"
    "$root/build/cardsim" --pace --model DVITOSDI --state "$work/state-$1" --link "$work/card-$1" >/dev/null &
    card_pids+=($!)
    for _ in $(seq 100); do [ -e "$work/card-$1" ] && break; sleep 0.05; done
}

# cpu_seconds PID: user + system CPU of a running process.
cpu_seconds() { awk -v tck="$(getconf CLK_TCK)" '{ print ($14 + $15) / tck }' "/proc/$1/stat"; }

# VERIFY, then ALL, against card NAME; their wall times and statuses go to
# times-NAME.
sequence() {
    local name=$1 begin middle end verify_status=0 all_status=0
    begin=$(date +%s.%N)
    "$root/build/updater" "$work/card-$name" VERIFY Device5.bin >"verify-$name.out" </dev/null || verify_status=$?
    middle=$(date +%s.%N)
    "$root/build/updater" "$work/card-$name" ALL >"all-$name.out" </dev/null || all_status=$?
    end=$(date +%s.%N)
    echo "$begin $middle $end $verify_status $all_status" >"times-$name"
}

# Stops the cards (they save their memories) and checks them.
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
alone_cpu=$(cpu_seconds "${card_pids[0]}")
stop_cards
check_memories alone >memories

for i in $(seq "$cards"); do start_card "$i"; done
runs=()
for i in $(seq "$cards"); do
    sequence "$i" &
    runs+=($!)
done
wait "${runs[@]}"
cpus=()
for pid in "${card_pids[@]}"; do cpus+=("$(cpu_seconds "$pid")"); done
stop_cards
for i in $(seq "$cards"); do check_memories "$i" >>memories; done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$cards" "$alone_cpu" "${cpus[@]}" <<'PY'
import sys
cards, alone_cpu, cpus = int(sys.argv[1]), float(sys.argv[2]), [float(c) for c in sys.argv[3:]]
def times(name):
    begin, middle, end, verify, every = open(f"times-{name}").read().split()
    return float(middle) - float(begin), float(end) - float(middle), int(verify), int(every)
verify1, all1, vs, als = times("alone")
print(f"alone: VERIFY {verify1:.2f} s (status {vs}), ALL {all1:.2f} s (status {als}); "
      f"the card took {100 * alone_cpu / (verify1 + all1):.1f}% of one core")
worst, failed = 0.0, vs != 0 or als != 0
for i, cpu in zip(range(1, cards + 1), cpus):
    verify, every, vs, als = times(i)
    worst = max(worst, verify / verify1, every / all1)
    failed = failed or vs != 0 or als != 0
    print(f"card {i}: VERIFY {verify:.2f} s = {verify / verify1:.3f} x alone (status {vs}), "
          f"ALL {every:.2f} s = {every / all1:.3f} x alone (status {als}); card {100 * cpu / (verify + every):.1f}% of one core")
print(f"{cards} cards at once: the slowest run took {worst:.3f} x its time alone (target at most 1.05)")
sys.exit(1 if failed else 0)
PY
if [ -s memories ]; then
    cat memories
    exit 1
fi
echo "every card's memories equal the files"
