#!/usr/bin/env bash
# The tool's cost per exchange, and the paced card's, for each way the
# host's port may pass the card's bytes on (cardsim --delivery: usb, the
# default; uart; byte, the worst case): a VERIFY of the 256 KiB Device5.bin
# against a card that holds it, 8192 read requests. For each way, one after
# the other in one run, beside a bare 1 ms sleeper running at the same time
# (the least any 1 ms waiter costs on the machine): the tool's CPU seconds
# (getrusage) and wake-ups (voluntary context switches) per exchange and as
# a share of a core, and the card's CPU (/proc/PID/schedstat). Fails when a
# run does not end in status 0 with no mismatch.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGETS="updater cardsim ms_sleeper" scripts/setup.sh
root=$PWD
scripts/install-packages.sh python3

work=$(mktemp -d /tmp/updater-bench-delivery-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$root/build/cardsim" --make-samples "$work" >/dev/null

python3 - "$root/build" "$work" "${DELIVERIES:-usb uart byte}" <<'PY'
import os, subprocess, sys, threading, time
build, work, ways = sys.argv[1], sys.argv[2], sys.argv[3].split()
exchanges = 262144 // 32

def card_cpu(pid):  # seconds on a processor, to the nanosecond
    return int(open(f"/proc/{pid}/schedstat").read().split()[0]) / 1e9

def load():
    return " ".join(open("/proc/loadavg").read().split()[:3])

def wait_rusage(process):
    _, status, usage = os.wait4(process.pid, 0)
    return os.waitstatus_to_exitcode(status), usage

def sleeper_share(result):  # a bare 1 ms sleeper's CPU over its own wall time
    began = time.monotonic()
    _, used = wait_rusage(subprocess.Popen([f"{build}/bench/ms_sleeper", "20"]))
    result.append((used.ru_utime + used.ru_stime) / (time.monotonic() - began))

failed = False
print(f"load before: {load()}")
for way in ways:
    state, link = f"{work}/state-{way}", f"{work}/card-{way}"
    os.makedirs(state)
    with open(f"{work}/Device5.bin", "rb") as image, open(f"{state}/device5.bin", "wb") as held:
        held.write(image.read())
    card = subprocess.Popen([f"{build}/cardsim", "--delivery", way, "--model", "DVITOSDI", "--state", state,
                             "--link", link], stdout=subprocess.DEVNULL)
    while not os.path.exists(link):
        time.sleep(0.05)
    sleeper = []
    beside = threading.Thread(target=sleeper_share, args=(sleeper,))
    beside.start()
    card_before, began = card_cpu(card.pid), time.monotonic()
    with open(f"{work}/verify-{way}.out", "w") as out:
        tool = subprocess.Popen([f"{build}/updater", link, "VERIFY", "Device5.bin"], cwd=work, stdout=out,
                                stdin=subprocess.DEVNULL)
        status, used = wait_rusage(tool)
    wall = time.monotonic() - began
    card_used = card_cpu(card.pid) - card_before
    beside.join()
    card.terminate()
    card.wait()
    output = open(f"{work}/verify-{way}.out", errors="replace").read()
    if status != 0 or "Mismatch Total 0 " not in output:
        print(f"{way}: VERIFY ended in status {status} or with mismatches")
        failed = True
    cpu = used.ru_utime + used.ru_stime
    print(f"{way}: VERIFY {wall:.2f} s = {1000 * wall / exchanges:.3f} ms an exchange; "
          f"tool {cpu:.2f} CPU s = {100 * cpu / wall:.2f}% of one core ({100 * used.ru_stime / wall:.2f}% in the kernel), "
          f"{1e6 * cpu / exchanges:.0f} us and {used.ru_nvcsw / exchanges:.1f} wake-ups an exchange; "
          f"card {100 * card_used / wall:.2f}% of one core; a bare 1 ms sleeper {100 * sleeper[0]:.2f}%; "
          f"load {load()}")
sys.exit(1 if failed else 0)
PY
