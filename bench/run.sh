#!/usr/bin/env bash
# Measures, side by side in one run on this machine:
#  1. host latency: VERIFY of a 2 MiB image against an unpaced cardsim over a
#     pty, in read requests per second, beside the ceiling of a minimal
#     request-and-reply ping-pong of the same sizes over a pty;
#  2. CPU while waiting: CPU seconds over wall seconds of a VIPER Device5.bin
#     run (its 5 s and 20 s pauses included);
#  3. CPU while identification retries against a silent card for 20 s,
#     beside a bare loop of 1 ms sleeps running at the same time;
#  4. a paced VERIFY against its bound (wire time and processing delay),
#     with each byte handed to the tool as it arrives and through a
#     USB-serial adapter, and the CPU cardsim takes meanwhile;
#  5. how the paced card hands its replies over through the adapter: which
#     bytes go together, and how late against the adapter's ticks.
# Prints one line per figure; bench/README.md explains them, bench/log.md keeps past runs.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGETS="updater cardsim pty_pingpong ms_sleeper" scripts/setup.sh
root=$PWD
scripts/install-packages.sh time python3

work=$(mktemp -d /tmp/updater-bench-XXXXXX)
cd "$work"
"$root/build/cardsim" --make-samples "$work"
head -c 2097152 /dev/urandom >Device5-2MiB.bin
mkdir big && mv Device5-2MiB.bin big/Device5.bin
mkdir small && head -c 32 /dev/urandom >small/Device5.bin

# The card is unpaced (--fast) unless the arguments say --pace.
start_card() {
    local pace=--fast
    [[ " $* " == *" --pace "* ]] && pace=
    "$root/build/cardsim" $pace --link "$work/card" "$@" >/dev/null &
    card_pid=$!
    for _ in $(seq 100); do [ -e "$work/card" ] && break; sleep 0.05; done
}
stop_card() { kill "$card_pid"; wait "$card_pid" || true; }
now() { date +%s.%N; }
# Wall seconds of one run of updater in directory $1 with arguments $2...
timed_run() {
    local dir=$1
    shift
    local begin end
    begin=$(now)
    (cd "$dir" && "$root/build/updater" "$@" >/dev/null) || true
    end=$(now)
    python3 -c "print($end - $begin)"
}

# 1. Host latency.
start_card
small_s=$(timed_run small "$work/card" VERIFY Device5.bin)
big_s=$(timed_run big "$work/card" VERIFY Device5.bin)
stop_card
ceiling=$("$root/build/bench/pty_pingpong" 65536)
python3 - "$small_s" "$big_s" "$ceiling" <<'PY'
import sys
small, big, ceiling = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3])
reads = 2097152 // 32 - 1
rate = reads / (big - small)
print(f"verify: 65535 reads in {big - small:.2f} s = {rate:.0f} read requests/s; ping-pong ceiling: {ceiling:.0f}/s; ratio {100 * rate / ceiling:.0f}%")
PY

# 2. CPU while waiting: a whole VIPER run.
start_card --state "$work/state"
/usr/bin/time -f "%U %S %e" -o viper.time "$root/build/updater" "$work/card" VIPER Device5.bin >/dev/null
stop_card
read -r user sys wall < <(tail -n 1 viper.time)
python3 -c "print(f'viper: {($user + $sys):.2f} CPU s over {$wall:.1f} wall s = {100 * ($user + $sys) / $wall:.2f}% of one core')"
cmp -s Device5.bin state/device5.bin || { echo "viper: the card's device 5 differs from the image" >&2; exit 1; }

# 3. CPU while identification retries against a silent card, and a bare
# 1 ms sleeper at the same time, so that both see the same machine.
start_card --silent
/usr/bin/time -f "%U %S %e" -o sleeper.time "$root/build/bench/ms_sleeper" 20 &
sleeper_pid=$!
/usr/bin/time -f "%U %S %e" -o silent.time timeout -s INT 20 "$root/build/updater" "$work/card" STATUS >/dev/null || true
wait "$sleeper_pid"
stop_card
read -r user sys wall < <(tail -n 1 silent.time)
read -r suser ssys swall < <(tail -n 1 sleeper.time)
python3 -c "print(f'silent card: {($user + $sys):.2f} CPU s over {$wall:.1f} wall s = {100 * ($user + $sys) / $wall:.2f}% of one core; a bare 1 ms sleeper: {100 * ($suser + $ssys) / $swall:.2f}%')"

# 4. A paced VERIFY of 32 KiB against a card whose device 5 is erased, less
# a one-block VERIFY: 1023 read requests. Each costs its bound: the request
# and the reply on the wire (10 bit times a byte at 115200) and the card's
# processing delay (0.5 ms). Through a USB-serial adapter (cardsim's
# default delivery) the tool sees the reply's last byte at the adapter's
# next tick, every 1 ms: there the bound is rounded up to whole ticks, the
# host's answer included as long as it stays under what is left of the
# last one. cardsim's CPU is read from /proc meanwhile.
mkdir paced-big paced-small
head -c 32768 /dev/zero | tr '\0' '\377' >paced-big/Device5.bin
head -c 32 /dev/zero | tr '\0' '\377' >paced-small/Device5.bin
cpu_ticks() { awk '{print $14 + $15}' "/proc/$card_pid/stat"; }
for delivery in byte usb; do
    start_card --pace --delivery "$delivery"
    small_s=$(timed_run paced-small "$work/card" VERIFY Device5.bin)
    ticks_before=$(cpu_ticks)
    big_s=$(timed_run paced-big "$work/card" VERIFY Device5.bin)
    ticks_after=$(cpu_ticks)
    stop_card
    python3 - "$delivery" "$small_s" "$big_s" "$ticks_before" "$ticks_after" "$(getconf CLK_TCK)" <<'PY'
import math, sys
delivery, small, big = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
cpu = (int(sys.argv[5]) - int(sys.argv[4])) / int(sys.argv[6])

def wire_bytes(words):  # "=G", the words low byte first, offset 42 and escaped, "\r"
    body = [(b + 42) % 256 for w in words for b in (w & 0xFF, w >> 8)]
    return 3 + len(body) + sum(1 for e in body if e in (0x00, 0x09, 0x0A, 0x0D, 0x3D))

def packet(words):
    return words + [-sum(words) % 65536]

request = wire_bytes(packet([0x0639, 0]))
reply = wire_bytes(packet([0xF73A] + [0xFFFF] * 16))
bound = (request + reply) * 10 / 115200 + 0.0005
if delivery == "usb":
    bound = math.ceil(bound * 1000) / 1000
blocks = 32768 // 32 - 1
per = (big - small) / blocks
print(f"paced verify, delivery {delivery}: {per * 1000:.3f} ms a block against a bound of {bound * 1000:.3f} ms "
      f"({request}+{reply} bytes and 0.5 ms{', in whole 1 ms ticks' if delivery == 'usb' else ''}): "
      f"{100 * bound / per:.1f}% of the bound; cardsim {100 * cpu / big:.1f}% of one core meanwhile")
PY
done

# 5. The paced card's hand-over through the adapter, from its --trace over
# the same VERIFY: for every request (one chunk from the host: a probe byte
# or a frame ending in a carriage return) the reply's bytes are due one
# byte time apart from 0.5 ms plus one byte time after the request's last
# byte has crossed the wire; the adapter's ticks fall on whole milliseconds
# of the trace's clock. Each chunk written to the pty should hold the bytes
# due by its tick and no others, and leave at the tick (one handed over more
# than a tick late, when the system did not run the card in time, holds
# every byte due by then); and how long the host (the tool, the pty and the
# wake-ups between) took to answer.
"$root/build/cardsim" --link "$work/card" --pace --trace >/dev/null 2>paced.trace &
card_pid=$!
for _ in $(seq 100); do [ -e "$work/card" ] && break; sleep 0.05; done
timed_run paced-big "$work/card" VERIFY Device5.bin >/dev/null
stop_card
python3 - paced.trace <<'PY'
import math, sys
byte_time, tick, slack = 10 / 115200, 0.001, 2e-6  # the trace's times are whole microseconds
runs = []  # [direction, [[time, byte count, last byte], ...]], a chunk's lines of 16 bytes joined
for line in open(sys.argv[1]):
    fields = line.split("|")[0].split()
    if len(fields) < 3 or fields[1] not in ("host>card", "card>host"):
        continue
    chunk = [float(fields[0]), len(fields) - 2, fields[-1]]
    if runs and runs[-1][0] == fields[1] and runs[-1][1][-1][0] == chunk[0]:
        runs[-1][1][-1][1:] = [runs[-1][1][-1][1] + chunk[1], chunk[2]]
    elif runs and runs[-1][0] == fields[1]:
        runs[-1][1].append(chunk)
    else:
        runs.append([fields[1], [chunk]])
late, answer, replies, chunks, overdue, wrong = [], [], 0, 0, 0, 0
for (host, asked), (card, reply), following in zip(runs, runs[1:], runs[2:] + [None]):
    if host != "host>card" or len(asked) != 1 or asked[0][2] not in ("00", "0D"):
        continue
    if following is not None:
        answer.append(following[1][0][0] - reply[-1][0])
    ready = asked[0][0] + asked[0][1] * byte_time + 0.0005
    replies += 1
    sent, total = 0, sum(count for _, count, _ in reply)
    for at, count, _ in reply:
        first_tick = math.ceil((ready + (sent + 1) * byte_time - slack) / tick) * tick
        sent += count
        chunks += 1
        late.append(at - first_tick)
        if at - first_tick >= tick - slack:
            overdue += 1
            continue
        # On time: the bytes due by the tick it went at, and no later one.
        last_due, following_due = ready + sent * byte_time, ready + (sent + 1) * byte_time
        if last_due > first_tick + slack or (sent < total and following_due <= first_tick - slack):
            wrong += 1
def spread(values):
    values = sorted(v * 1e6 for v in values)
    return f"median {values[len(values) // 2]:.0f} us, 99th percentile {values[len(values) * 99 // 100]:.0f} us"
print(f"paced card through the adapter: {replies} replies in {chunks} chunks, handed over {spread(late)} after "
      f"the tick their first byte was due by; {overdue} more than a tick late; of the others {wrong} not exactly the "
      f"bytes due by their tick; the host's next bytes came {spread(answer)} after a reply's last chunk")
PY

rm -rf "$work"
