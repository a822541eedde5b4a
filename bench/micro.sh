#!/usr/bin/env bash
# MICRO with a 256 KiB image (262144 data bytes), measured side by side:
#  1. the modeled time against cardsim --pace over a pty (wall seconds),
#     each byte handed to the tool as it arrives (--delivery byte), as the
#     bound counts;
#  2. the same run on the simulated clock in process (no pty, no serve loop);
#  3. the protocol's lower bound for the same image and kernels: the
#     mandated pauses plus every byte's wire time both ways at its bit rate;
#  4. the CPU the tool uses meanwhile (user + system over wall, one core).
# Prints one line per figure; bench/README.md explains them, bench/log.md keeps past runs.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGETS="updater cardsim micro_sim_clock" scripts/setup.sh
root=$PWD
scripts/install-packages.sh time python3

work=$(mktemp -d /tmp/updater-bench-micro-XXXXXX)
cd "$work"
"$root/build/cardsim" --make-samples "$work"
# A 256 KiB image: S3 records of 16 bytes, the first 1024 bytes from 0, the
# rest from 0x800, then the end-of-image record.
python3 - <<'PY'
import os
data = os.urandom(262144)
def record(address, body):
    b = bytes([len(body) + 5]) + address.to_bytes(4, "big") + body
    return "S3" + (b + bytes([~sum(b) & 0xFF])).hex().upper() + "\r\n"
with open("appMain.mot", "w", newline="") as out:
    for at in range(0, len(data), 16):
        out.write(record(at if at < 1024 else at - 1024 + 0x800, data[at:at + 16]))
    out.write(record(0xFFFF8000, b""))
with open("image.bin", "wb") as out:
    out.write(data)
PY

# 1 and 4: against cardsim --pace --delivery byte.
"$root/build/cardsim" --boot --pace --delivery byte --state "$work/state" --link "$work/card" >/dev/null &
card_pid=$!
for _ in $(seq 100); do [ -e "$work/card" ] && break; sleep 0.05; done
/usr/bin/time -f "%U %S %e" -o micro.time "$root/build/updater" "$work/card" MICRO >micro.out
kill "$card_pid"; wait "$card_pid" || true
grep -q "END...REBOOT THE DEVICE!" micro.out || { echo "micro: the run failed" >&2; exit 1; }

# 2: on the simulated clock.
sim=$("$root/build/bench/micro_sim_clock" 2>&1 >/dev/null | tail -n 1)

# 3 and the report.
read -r user sys wall < <(tail -n 1 micro.time)
python3 - "$wall" "$user" "$sys" "$sim" <<'PY'
import os, sys
wall, user, sys_s = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3])
sim_s, sim_status = sys.argv[4].split()
slow, fast = 10 / 9600, 10 / 115200            # one byte's wire time
size = lambda name: os.path.getsize(name)
micro, main, write = size("uGen7144.cde"), size("Genm7144.cde"), size("Genw7144.cde")
frames = 8 + -(-(262144 - 1024) // 128)
pauses_ms = (2 * 100 + 10                      # probe, switch to 9600
             + 1000                            # before the drain
             + 1000 + 4 * 1000 + 1000          # clock mode, new bit rate
             + 50 + 1000                       # confirmation, finish data set
             + 4 * 10 + 100 + 2000 + 1000 + 1000   # main kernel, status, PrepareUser
             + 4 * 10 + 10                     # write kernel
             + 8 * 5 * 5 + 1000)               # vector-area headers, status
wire = (2 * fast                               # probe
        + slow * (2 + 2)                       # 0x00/0x00, 0x55/0xAA
        + slow * 2 * (2 + micro) + slow        # micro kernel echoed, 0xAA
        + slow * (1 + 5 + 7 + 1 + 4 + 1 + 10 + 1)  # inquiry, device, clock, rate
        + fast * (2 + 2)                       # confirmation, finish
        + fast * (4 + main + 1 + 1 + 1 + 5 + 1 + 1)   # main kernel, status, PrepareUser
        + fast * (4 + write + 1 + 1)           # write kernel
        + fast * frames * (134 + 1) + fast * (1 + 5))  # frames, status
bound = pauses_ms / 1000 + wire
print(f"micro: {wall:.2f} s against cardsim --pace --delivery byte; bound {bound:.2f} s "
      f"(pauses {pauses_ms / 1000:.2f} s + wire {wire:.2f} s); ratio {100 * wall / bound:.1f}%")
print(f"micro on the simulated clock: {float(sim_s):.2f} s (status {sim_status}); ratio {100 * float(sim_s) / bound:.1f}%")
print(f"micro: {user + sys_s:.2f} CPU s over {wall:.1f} wall s = {100 * (user + sys_s) / wall:.2f}% of one core")
PY
python3 - <<'PY'
data = open("image.bin", "rb").read()
flash = bytearray(b"\xff" * 512 * 1024)
flash[0:1024] = data[:1024]
flash[0x800:0x800 + len(data) - 1024] = data[1024:]
if open("state/micro.bin", "rb").read() != bytes(flash):
    raise SystemExit("micro: the card's micro.bin differs from the image")
PY
rm -rf "$work"
