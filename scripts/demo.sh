#!/usr/bin/env bash
# An update run end to end against the simulated card: build the tool and
# cardsim, start a card that keeps its memories in a state directory, write
# Device5.bin into its flash device 5 (VIPER), read it back (VERIFY), show
# the video processor's status (STATUS, answered with q), and check that the
# card's flash device now holds the image byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGETS="updater cardsim" scripts/setup.sh
root=$PWD
work=$(mktemp -d /tmp/updater-demo-XXXXXX)

"$root/build/cardsim" --make-samples "$work"
"$root/build/cardsim" --link "$work/card" --state "$work/card-state" >/dev/null &
cardsim_pid=$!
trap 'kill $cardsim_pid 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "$work/card" ] && break; sleep 0.05; done

cd "$work"
echo "== updater $work/card VIPER Device5.bin"
"$root/build/updater" "$work/card" VIPER Device5.bin
echo "== updater $work/card VERIFY Device5.bin"
"$root/build/updater" "$work/card" VERIFY Device5.bin
echo "== updater $work/card STATUS"
echo q | "$root/build/updater" "$work/card" STATUS

kill "$cardsim_pid"
wait "$cardsim_pid" || true
trap - EXIT
if cmp -s Device5.bin card-state/device5.bin; then
    echo "== The card's flash device 5 holds Device5.bin byte for byte ($work)"
else
    echo "== The card's flash device 5 differs from Device5.bin ($work)" >&2
    exit 1
fi
