#!/usr/bin/env bash
# The content transfers against their lower bounds, side by side in one run:
#  1. in-process, the tool against the paced card model on the simulated
#     clock (no pty, no serve loop): FPGA (700000-byte XSVF), EDID (256
#     bytes), GAMMA;
#  2. the real tool against `cardsim --pace --delivery byte` over a pty
#     (each byte handed to the tool as it arrives, as the bounds count),
#     the same three, timed from cardsim's trace (the command's arrival to
#     the verdict's departure);
#  3. the tool's CPU while the paced FPGA transfer runs.
# Prints one line per figure; bench/README.md explains them, bench/log.md keeps past runs.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGETS="updater cardsim content_model" scripts/setup.sh
root=$PWD
scripts/install-packages.sh time python3

work=$(mktemp -d /tmp/updater-bench-content-XXXXXX)
cd "$work"
"$root/build/cardsim" --make-samples "$work" --xsvf-size 700000

echo "== in-process, simulated clock"
"$root/build/bench/content_model" model "$work"

echo "== real tool, cardsim --pace --delivery byte over a pty"
"$root/build/bench/content_model" bounds "$work" >bounds
"$root/build/cardsim" --link "$work/card" --model DVITOSDI --pace --delivery byte --trace >/dev/null 2>trace &
card_pid=$!
for _ in $(seq 100); do [ -e "$work/card" ] && break; sleep 0.05; done
/usr/bin/time -f "%U %S %e" -o fpga.time "$root/build/updater" "$work/card" FPGA fpga.xsvf >/dev/null
"$root/build/updater" "$work/card" EDID EDID.bin >/dev/null
"$root/build/updater" "$work/card" GAMMA gamma.csv >/dev/null
kill "$card_pid"
wait "$card_pid" || true

python3 - trace bounds fpga.time <<'PY'
import sys

trace, bounds, cpu = sys.argv[1:4]
bound = dict(line.split() for line in open(bounds))
# Every byte of the trace in order: (seconds, direction, byte).
events = []
for line in open(trace):
    fields = line.split("|")[0].split()
    if len(fields) < 3 or fields[1] not in ("host>card", "card>host"):
        continue
    events += [(float(fields[0]), fields[1], int(h, 16)) for h in fields[2:]]

# The events from the command's last byte to the verdict "~S", or None.
def transfer(command):
    wanted = list(command.encode())
    for i in range(len(events) - len(wanted) + 1):
        window = events[i:i + len(wanted)]
        if [e[2] for e in window] == wanted and all(e[1] == "host>card" for e in window):
            previous = None
            for j in range(i + len(wanted), len(events)):
                t, direction, byte = events[j]
                if direction != "card>host":
                    continue
                if previous == 0x7E and byte == ord("S"):
                    return events[i + len(wanted) - 1:j + 1]
                previous = byte
    return None

# Median turnarounds of an exchange: from the host's byte to the card's
# answer as cardsim wrote it to the pty (the model's own part is a byte
# received, 2 us, a byte sent: 0.176 ms), and from there to the host's next byte.
def turnarounds(span):
    card, host = [], []
    last_host = last_card = None
    for t, direction, _ in span:
        if direction == "host>card":
            if last_card is not None:
                host.append(t - last_card)
                last_card = None
            last_host = t
        elif last_host is not None:
            card.append(t - last_host)
            last_host = None
            last_card = t
    median = lambda xs: sorted(xs)[len(xs) // 2] * 1000 if xs else 0
    return median(card), median(host)

for name, command in (("fpga", "#FPGA 1\r"), ("edid", "#EDID 2\r"), ("gamma", "#GAMMA 3 0\r")):
    span, limit = transfer(command), float(bound[name])
    if span is None:
        print(f"{name}: no verdict found in the trace")
        continue
    took = span[-1][0] - span[0][0]
    print(f"{name}: paced pty {took:.4f} s, bound {limit:.4f} s, {100 * (took - limit) / limit:.2f}% above")
    if name != "fpga":
        card, host = turnarounds(span)
        print(f"{name} per exchange (median): card side {card:.3f} ms (model 0.176 ms), tool side {host:.3f} ms")

user, system, wall = (float(x) for x in open(cpu).read().split()[-3:])
print(f"fpga CPU: {user + system:.2f} CPU s over {wall:.1f} wall s = {100 * (user + system) / wall:.2f}% of one core")
PY
rm -rf "$work"
