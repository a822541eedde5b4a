#!/usr/bin/env bash
# Writes the fuzz targets' seed inputs into the directories beside this
# script, one directory per target: a few well-formed exchanges, refusals
# and noise, in each target's input layout (see the target's source). The
# inputs named by a SHA-1 beside them come from campaigns
# (tests/fuzz/README.md).
# Packets are written out in their wire form; the words they carry are in
# the comments.
set -euo pipefail
cd "$(dirname "$0")"

# bytes ESCAPED: the bytes of a printf %b string.
bytes() { printf '%b' "$1"; }

# chunk PAUSE ESCAPED: one chunk [pause][count][bytes] of a reply target.
chunk() {
    local data
    data=$(mktemp)
    bytes "$2" >"$data"
    printf "\\x$(printf %02x "$1")\\x$(printf %02x "$(wc -c <"$data")")"
    cat "$data"
    rm -f "$data"
}

# seed TARGET NAME: the seed file, written from standard input.
seed() {
    mkdir -p "$1"
    cat >"$1/$2"
}

status_request='=G\x5c\x30\x2a\x2a\xf8\x23\r'            # 0x0632 0x0000 0xf9ce
status_ack='=G\x5d\x31\x2f\x2b\xf2\x21\r'                # 0x0733 0x0105 0xf7c8
status_nack='=G\x2c\x3a\x5c\x30\x2b\x2a\xf5\x13\r'       # 0x1002 0x0632 0x0001 0xe9cb
bad_checksum='=G\x5d\x31\x2f\x2a\x5e\x3c\r'              # 0x0733 0x0005 0x1234
short_reply='=G\x5d\x41\x2f\x2a\x2a\x2a\r'               # 0x1733 0x0005 0x0000: one word missing
device_name_request='=G\x5d\x30\x2a\x2a\xf7\x23\r'       # 0x0633 0x0000 0xf9cd
read_mode_device5='=G\x2c\x7f\x2a\x2c\x2f\x2a\x2a\x2b\x2a\x2a\x6a\x2a\x2a\x2a\xe3\xd1\r'
                                                         # 0x5502 0x0200 5 0x0100 0 0x0040 0 0xa7b9
read_block='=G\x63\x30\x2a\x2a\xf1\x23\r'                # 0x0639 0x0000 0xf9c7
# 0x950d 0 0x0800 0x1111 0x2222 ... 0x8888 0xfc8f: the driver's one block at 0x800
driver_block='=G\x37\xbf\x2a\x2a\x2a\x32\x3b\x3b\x4c\x4c\x5d\x5d\x6e\x6e\x7f\x7f\x90\x90\xa1\xa1\xb2\xb2\xb9\x26\r'
call_driver='=G\x2c\x62\xaa\x2a\x2a\x2a\x2a\x5d\x2a\x2a\xa8\xbe\r'  # 0x3802 0x0080 0 0x3300 0 0x947e
write_mode_device5='=G\x2c\x7f\x2a\x2b\x2f\x2a\x2a\x2b\x2a\x2a\x6a\x2a\x2a\x2a\xe3\xd2\r'
                                                         # 0x5502 0x0100 5 0x0100 0 0x0040 0 0xa8b9
# 0xf501 0xa5a5 0xa5a4 ... 0xa5aa 0xb087: one 32-byte image block
image_block='=G\x2b\x1f\xcf\xcf\xce\xcf\xd1\xcf\xd0\xcf\xcb\xcf\xca\xcf\xcd\xcf\xcc\xcf\xd7\xcf\xd6\xcf\xd9\xcf\xd8\xcf\xd3\xcf\xd2\xcf\xd5\xcf\xd4\xcf\xb1\xda\r'

# Text replies: [0 reader, 1 question, 2 identification][start tick code][chunks].
t=fuzz_text_reply
{ bytes '\x00\x00'; chunk 5 '#DEVTYPE SDITOHDMI\r'; } | seed $t frame
{ bytes '\x00\x00'; chunk 5 '#DEVTYPE SDI'; chunk 159 'TOHDMI\r'; } | seed $t frame_split_near_deadline
{ bytes '\x00\x00'; chunk 1 '\x05garbage#DEV#TYPE\x00 HDMI#TOSDI\r trailing'; } | seed $t noise
{ bytes '\x00\x00'; chunk 1 "#$(printf 'A%.0s' {1..45})"; chunk 1 "$(printf 'B%.0s' {1..40})\r"; } | seed $t too_long
{ bytes '\x01\x00'; chunk 2 '#DEVERSION 2 V1.23\r'; } | seed $t version_answer
{ bytes '\x02\x00'; chunk 3 '#DEVERSION 1 V1.23-beta-7 extra\r'; chunk 10 '#DEVTYPE SL-SDITOHDMI\r'; } | seed $t identified
{ bytes '\x02\x08'; chunk 3 '#DEVERSION 2 V2\r'; chunk 10 '#DEVTYPE sditohdmi\r'; } | seed $t unknown_model_near_wrap

# Packet replies: [0 reader, 1 status request][start tick code][chunks].
t=fuzz_isp_reply
{ bytes '\x01\x00'; chunk 2 "$status_ack"; } | seed $t acknowledged
{ bytes '\x01\x00'; chunk 2 "$status_nack"; } | seed $t refused
{ bytes '\x01\x04'; chunk 2 "$bad_checksum"; chunk 200 "$short_reply"; } | seed $t bad_then_short
{ bytes '\x01\x00'; chunk 2 "$status_request"; } | seed $t echo
{ bytes '\x00\x00'; chunk 2 "ab=x==G\x5d\x31"; chunk 4 "=G\x5d\x31\x2f\x2b\xf2\x21\r"; } | seed $t noise_and_restart
{ bytes '\x00\x00'; chunk 2 "=G$(printf 'a%.0s' {1..200})"; chunk 2 "$(printf 'a%.0s' {1..100})"; } | seed $t unending

# Micro answers: [0 reader, 1 command][start tick code][chunks].
t=fuzz_micro_reply
{ bytes '\x01\x00'; chunk 3 '=M*'; } | seed $t accepted
{ bytes '\x01\x00'; chunk 3 '=M~'; } | seed $t rejected
{ bytes '\x01\x00'; chunk 0 '=M~'; chunk 10 '=M*'; } | seed $t stale_then_accepted
{ bytes '\x00\x00'; chunk 2 'xy=X=='; chunk 40 'M*\r'; } | seed $t false_starts
{ bytes '\x00\x00'; chunk 2 '=MA'; } | seed $t invalid_answer

# Packet bodies: any bytes.
t=fuzz_isp_coding
bytes '\x5c\x30\x2a\x2a\xf8\x23' | seed $t status_request_body
bytes '\x2c\x3a\x5c\x30\x2b\x2a\xf5\x13=\x4d=\x7d' | seed $t escapes
bytes 'abc=' | seed $t dangling_escape

# Host bytes to a card: [options][seed] then steps [control][count][bytes];
# control 0x21 is half a second, 0x24 two seconds, 0x28 four seconds, 0x40
# the next bit rate.
t=fuzz_card_input
{ bytes '\x00\x01'; chunk 1 '#DEVERSION\r'; chunk 0x21 '#DEVTYPE\r'; chunk 0x21 '\x00#NOSUCH\r'; } | seed $t text_commands
{ bytes '\x00\x01'; chunk 1 "$status_request$device_name_request"; chunk 0x21 "$read_mode_device5"; chunk 0x21 "$read_block"; } | seed $t resident_packets
{ bytes '\x00\x01'; chunk 1 '=MP\r'; chunk 0x21 '=MR\r'; chunk 0x28 "$status_request"; chunk 0x21 '=MA\r=ME\r=MZ\r'; } | seed $t micro_commands
{ bytes '\x00\x01'; chunk 1 '=MP\r'; chunk 0x21 '=MR\r'; chunk 0x28 "$driver_block"; chunk 0x21 "$call_driver";
  chunk 0x21 "$write_mode_device5"; chunk 0x24 "$image_block$status_request"; chunk 0x21 '=MA\r=ME\r'; } |
    seed $t driver_and_image
{ bytes '\x02\x01'; chunk 1 '\r1$'; chunk 0x21 '6'; chunk 0x61 '\x00\x55'; } | seed $t old_firmware_to_boot
{ bytes '\x0c\x07'; chunk 1 "#DEVERSION\r$status_request"; chunk 0x21 "$status_request"; chunk 0x21 '=MP\r'; } | seed $t faults_unpaced
{ bytes '\x00\x01'; chunk 1 '#FPGA 1\r'; chunk 0x21 '\x16'; chunk 0x21 'a'; chunk 0x21 '\x00';
  chunk 0x21 '\x08'; chunk 0x21 '\x00\x00\x00\x10'; chunk 0x21 '\x03'; chunk 0x21 'xy'; chunk 0x21 '\x00'; } |
    seed $t fpga_player
{ bytes '\x00\x01'; chunk 1 '#GAMMA 3 0\r'; chunk 0x21 '\x03\xff'; chunk 0x21 '\x00\x01\x02'; chunk 0x2f '\r#SAVE\r'; } |
    seed $t gamma_left
# A card with an EDID memory (options bit 7): "#EDID 1", half a second
# later 128 bytes each sent 200 us after the last (its acknowledgement has
# arrived by then), the sum.
{ bytes '\x80\x01'; chunk 1 '#EDID 1\r'; chunk 0x21 '\x00'; for i in $(seq 1 127); do chunk 4 "\\x$(printf %02x "$i")"; done
  chunk 4 '\xc0'; } | seed $t edid_written
# A card in boot mode with the host at 9600 bit/s (options bits 0 and 6): rate
# matching, a one-byte micro kernel, its commands up to the switch to 115200
# bit/s (three rate steps on the host's side), the main and write kernels of
# one byte with their sums, two programming frames and the status inquiry.
frame() {  # a programming frame at ADDRESS (two hex digits of the third byte)
    local data='' i sum=$((0x50 + 16#$1))
    for i in $(seq 0 127); do data+="\\x$(printf %02x $((i + 1)))"; sum=$((sum + i + 1)); done
    printf '%s' "\\x50\\x00\\x00\\x$1\\x00$data\\x$(printf %02x $(((256 - sum % 256) % 256)))"
}
{ bytes '\x41\x01'; chunk 1 '\x00'; chunk 5 '\x55'; chunk 5 '\x00\x01'; chunk 5 '\x42'
  chunk 0x21 '\x27'; chunk 5 '\x10\x04\x30\x34\x31\x30\x27'; chunk 5 '\x11\x01\x03\xeb'
  chunk 5 '\x3f\x07\x04\x80\x04\x52\x02\x04\x02\xd8'; chunk 0x5f ''; chunk 0x40 ''; chunk 0x40 ''
  chunk 5 '\x06'; chunk 5 '\x40'; chunk 5 '\x00\x00\x00\x01\x42\x49'; chunk 5 '\x4f'; chunk 5 '\x43'
  chunk 5 '\x00\x00\x00\x01\x42\x24'; chunk 5 "$(frame 00)"; chunk 0x21 "$(frame 80)"; chunk 0x21 '\x4f'; } |
    seed $t boot_kernels_and_frames

# Gamma files: the file's bytes.
t=fuzz_gamma_table
{ echo '% a table'; for _ in $(seq 1024); do echo '1,2,3'; done; } | seed $t accepted
printf '%% comment\r\n12 ,34,56\r\nR,G,B\r\n1024,0,0\r\n' | seed $t refused
printf '99999999999999999999,-1,+5\n\n' | seed $t out_of_range

# FPGA transfers: [start tick code][chunks from the card]; pause code 0x9a
# is 1664 ms, past the tool's pauses.
t=fuzz_fpga_requests
{ bytes '\x00'; chunk 0x9a '$$\x00\x10'; chunk 60 '*'; chunk 60 '$E*'; chunk 60 '~S'; } | seed $t served
{ bytes '\x00'; chunk 0x9a '$'; chunk 0x90 '$\x00\x01'; chunk 60 '~F'; } | seed $t stalled

# Remote scripts: [start tick code][script length][script][chunks from the card].
t=fuzz_remote_script
script='#OSD ON\n&5\n@shown\n$\n#SAVE\r\n'
{ bytes '\x00'; bytes "\\x$(printf %02x "$(bytes "$script" | wc -c)")"; bytes "$script";
  chunk 12 '\r\n>'; chunk 30 '#ACK\r'; chunk 0x90 '##NACK\r'; } | seed $t answered

# Firmware files: the file's bytes. s3 ADDRESS DATA: one S3 record with its
# count and checksum.
s3() {
    local body sum=0 i
    body=$(printf '%02X%s%s' $((${#2} / 2 + 5)) "$1" "$2")
    for ((i = 0; i < ${#body}; i += 2)); do sum=$((sum + 16#${body:i:2})); done
    printf 'S3%s%02X\n' "$body" $((255 - (sum & 255)))
}
image() {  # the records of COUNT times 16 data bytes from address 0
    local i
    for ((i = 0; i < $1; i++)); do s3 "$(printf %08X $((16 * i)))" "$(printf '%02X' $(seq $((i & 0xF0)) $((i & 0xF0 | 15))))"; done
}
t=fuzz_srecord
{ echo S00A00006170704D61696E2F; image 66; s3 FFFF8000 ""; s3 00000420 0102; } | seed $t accepted
{ image 64; s3 00000400 0a0b; s3 FFFF8000 ""; } | seed $t small_letters
{ image 7; s3 00000070 "$(printf '%02X' $(seq 0 19))"; image 60; s3 FFFF8000 ""; } | seed $t crossing_a_block
{ image 66; echo S70500000000FA; } | seed $t no_end_of_image
# header and count records with wrong sums, an end-of-file byte and notes after the end
{ echo S00A00006170704D61696E20; image 64; echo S5030040BB; s3 FFFF8000 ""; printf '\x1Anotes\n'; } |
    seed $t passed_over

# XSVF files: [faults][the file]; the file sets 32-bit shifts and a 10 us
# run-test time, shifts an instruction and data, waits, and completes.
t=fuzz_xsvf_player
xsvf='\x16note\x00\x08\x00\x00\x00\x20\x04\x00\x00\x00\x0a\x02\x06\x09\x03\x01\x02\x03\x04'
xsvf+='\x09\x00\x00\x00\x01\x00\x00\x00\x01\x15\x00\x0c\x12\x34\x17\x01\x02\x00\x00\x00\x64\x00'
{ bytes '\x00'; bytes "$xsvf"; } | seed $t played
{ bytes '\x21'; bytes "$xsvf"; } | seed $t error_reports_and_a_stall
{ bytes '\x8c'; bytes "$xsvf"; } | seed $t unpaced_failing
{ bytes '\x00'; bytes '\x08\xff\xff\xff\xff\x03\x00'; } | seed $t beyond_capacity
