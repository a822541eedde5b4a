#!/usr/bin/env bash
# The story of one update, told against the simulated card: build the tool
# and cardsim (reusing an existing build), start a card that keeps its
# memories in a state directory, update everything the update files cover
# (ALL: the EDID, flash devices 5 and 1, the FPGA), read both devices back
# (VERIFY), show the video processor's status (STATUS), rewrite the
# microcontroller's firmware (MICRO), and check that the card's memories
# hold the files byte for byte. Each step is one function; run_steps names
# them in order.
#
# Everything happens in a temporary directory, removed at the end unless
# KEEP=1 is set (or a step failed): the update files, the card's memories
# (card-state/) and what the tool printed in each step (logs/).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
updater=$root/build/updater
cardsim=$root/build/cardsim

run_steps() {
    start_card
    step_all
    step_verify Device5.bin 5
    step_verify Device1.bin 1
    step_status
    step_micro
    stop_card
    check_card_holds EDID.bin edid.bin "EDID memory"
    check_card_holds Device5.bin device5.bin "flash device 5"
    check_card_holds Device1.bin device1.bin "flash device 1"
    check_card_holds fpga.xsvf fpga.xsvf "FPGA configuration"
    check_micro_flash
}

echo "An update of a simulated video converter card"
TARGETS="updater cardsim" scripts/setup.sh

work=$(mktemp -d /tmp/updater-demo-XXXXXX)
mkdir "$work/logs"
cardsim_pid=
step_number=0
succeeded=0

finish() {
    if [ -n "$cardsim_pid" ]; then
        kill "$cardsim_pid" 2>/dev/null || true
        wait "$cardsim_pid" 2>/dev/null || true
    fi
    if [ "${KEEP:-0}" = 1 ] || [ "$succeeded" != 1 ]; then
        echo "The demo's directory is kept: $work"
    else
        rm -rf "$work"
        echo "The demo's directory is removed (KEEP=1 keeps it)"
    fi
}
trap finish EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# Starts cardsim with its sample update files, its memories in card-state/.
start_card() {
    "$cardsim" --make-samples "$work" >"$work/logs/samples.log"
    # A DVI TO SDI card: one of the two models with an EDID memory. The
    # demonstration is of the update, not of the line's time: --fast.
    "$cardsim" --fast --model DVITOSDI --link "$work/card" --state "$work/card-state" \
        >"$work/logs/cardsim.log" &
    cardsim_pid=$!
    for _ in $(seq 100); do [ -e "$work/card" ] && break; sleep 0.05; done
    [ -e "$work/card" ] || fail "cardsim did not start (see $work/logs/cardsim.log)"
    echo "Card: cardsim serves a simulated card on $(readlink "$work/card"); CARD below is its link,"
    echo "      $work/card"
    echo "Files: $(xargs -n1 basename <"$work/logs/samples.log" | xargs), from cardsim --make-samples"
}

# run_tool NAME INPUT ARGS...: one run of updater on the card, in the demo's
# directory, with INPUT as its keys. Its output goes to logs/N-NAME.log
# ($tool_log); prints the command, its exit status and time.
run_tool() {
    local name=$1 input=$2 start=$SECONDS status=0
    shift 2
    step_number=$((step_number + 1))
    tool_log=$work/logs/$step_number-$name.log
    (cd "$work" && printf '%s' "$input" | "$updater" "$work/card" "$@") >"$tool_log" 2>&1 || status=$?
    echo "$step_number. updater CARD $*: exit $status after $((SECONDS - start)) s"
    [ "$status" = 0 ] || { tail -n 20 "$tool_log"; fail "updater $* (its output: $tool_log)"; }
}

# The first line of the tool's output that matches PATTERN, without
# carriage returns; tool_said_last the last one.
tool_said() {
    tr '\r' '\n' <"$tool_log" | grep -m1 -E "$1" | sed 's/[[:space:]]*$//'
}
tool_said_last() {
    tr '\r' '\n' <"$tool_log" | grep -E "$1" | tail -n 1 | sed 's/[[:space:]]*$//'
}

step_all() {
    run_tool all "" ALL
    echo "   the card: $(tool_said '^\*\s+[A-Z]' | sed 's/^\*\s*//'), software $(tool_said 'Software Version' | sed 's/.*-> //')"
    echo "   wrote the EDID, loaded the ISP drivers, wrote devices 5 and 1, configured the FPGA:"
    echo "   $(tool_said_last 'Total Time')"
}

# step_verify FILE DEVICE
step_verify() {
    run_tool "verify$2" "" VERIFY "$1"
    echo "   read device $2 back: $(tool_said 'Job at 100%' | sed 's/Job at 100% -* //')"
}

step_micro() {
    run_tool micro "" MICRO
    echo "   switched the card into boot mode, loaded the three kernels, wrote appMain.mot:"
    echo "   $(tool_said 'END\.\.\.REBOOT'), $(tool_said 'Total Time')"
}

step_status() {
    run_tool status q STATUS
    for field in 'Device Name' 'Device Type' 'Config Status'; do
        echo "   $(tool_said "^$field" | tr -s ' ')"
    done
}

# Stops cardsim, which saves its memories into card-state/.
stop_card() {
    kill "$cardsim_pid"
    wait "$cardsim_pid" || true
    cardsim_pid=
}

# check_card_holds FILE STATE_FILE WHAT: the state file equals the update
# file byte for byte.
check_card_holds() {
    if cmp -s "$work/$1" "$work/card-state/$2"; then
        echo "Check: the card's $3 holds $1 byte for byte"
    else
        fail "the card's $3 differs from $1"
    fi
}

# The microcontroller's flash holds appMain.mot's data where the boot-mode
# writing puts it: the first 1024 bytes from address 0, the rest from
# 0x800, every other byte erased (0xFF).
check_micro_flash() {
    perl -e '
        my $data = "";
        while (<STDIN>) {
            next unless /^S3([0-9A-F]{2})([0-9A-F]{8})([0-9A-F]*)[0-9A-F]{2}\s*$/;
            next if substr($2, 0, 4) eq "FFFF";
            $data .= pack("H*", $3);
        }
        my $flash = substr($data, 0, 1024) . ("\xFF" x 1024) . substr($data, 1024);
        open(my $in, "<:raw", $ARGV[0]) or exit 1;
        local $/; my $micro = <$in>;
        exit 1 if substr($micro, 0, length $flash) ne $flash;
        exit 1 if substr($micro, length $flash) =~ /[^\xFF]/;
    ' "$work/card-state/micro.bin" <"$work/appMain.mot" ||
        fail "the card's microcontroller flash differs from appMain.mot"
    echo "Check: the card's microcontroller flash holds appMain.mot byte for byte"
}

run_steps
succeeded=1
