#include "sim/cardsim/cardsim_options.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "sim/card_choices.h"
#include "sim/samples/xsvf_sample.h"

namespace cardsim {

namespace {
bool parseRate(const std::string& text, double& rate) {
    char* end = nullptr;
    errno = 0;
    rate = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && errno == 0 && rate >= 0.0 && rate <= 1.0;
}

bool parseCount(const std::string& text, std::uint64_t& count) {
    char* end = nullptr;
    errno = 0;
    count = std::strtoull(text.c_str(), &end, 0);
    return !text.empty() && text[0] != '-' && *end == '\0' && errno == 0;
}

// "usb", "usb:MS", "uart", "uart:N" or "byte".
bool parseDelivery(const std::string& text, sim::HostDelivery& delivery) {
    std::size_t colon = text.find(':');
    std::string kind = text.substr(0, colon);
    std::uint64_t value = 0;
    bool valued = colon != std::string::npos;
    if (valued && !parseCount(text.substr(colon + 1), value)) return false;
    if (kind == "usb") {
        delivery.kind = sim::HostDelivery::Kind::kAdapter;
        if (valued) delivery.latency = value * sim::choices::kMillisecond;
        return !valued || (value >= 1 && value <= 255);
    }
    if (kind == "uart") {
        delivery.kind = sim::HostDelivery::Kind::kUart;
        if (valued) delivery.threshold = value;
        return !valued || (value >= 1 && value <= sim::kLargestThreshold);
    }
    delivery.kind = sim::HostDelivery::Kind::kEachByte;
    return kind == "byte" && !valued;
}

bool isWord(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c <= ' ' || c > '~' || c == '#') return false;
    }
    return true;
}
}  // namespace

const char* usageText() {
    return "Usage: cardsim [OPTION]...\n"
           "Simulates a video converter card on a pseudo-terminal. Prints the terminal's\n"
           "path on start; stops on SIGINT or SIGTERM, saving its state.\n"
           "\n"
           "  --link PATH         make PATH a symbolic link to the terminal, and hold\n"
           "                      PATH.lock while running (both removed at exit); a PATH\n"
           "                      of a card still running is refused, and so is a\n"
           "                      PATH.lock that is a symbolic link\n"
           "  --model WORD        model word of the model reply (default SDITOHDMI): DVITOSDI,\n"
           "                      SDITODVI, SL-SDITODVI, HDMITOSDI, SDITOHDMI, SL-SDITOHDMI\n"
           "                      or any other word\n"
           "  --firmware WORD     firmware version word (default V2.05)\n"
           "  --variant DIGIT     variant digit of the version reply (default 1; 2 = PLUS)\n"
           "  --boot              start in boot mode: only the boot program runs\n"
           "  --old-firmware      run an old firmware that knows only its menu keys\n"
           "  --menu-keys-only    the old firmware answers its menu keys only, not the\n"
           "                      probe (implies --old-firmware)\n"
           "  --state DIR         keep the card's memories in DIR (created): the flash\n"
           "                      devices as device1.bin, device5.bin, device7.bin, the\n"
           "                      microcontroller's flash as micro.bin, the EDID as\n"
           "                      edid.bin, the gamma table as gamma.bin, the last FPGA\n"
           "                      file played as fpga.xsvf: loaded at start, written\n"
           "                      after every completed operation and at exit; every text\n"
           "                      command and its answer is added to remote.log\n"
           "  --silent            the card never sends anything\n"
           "  --noise RATE        before each byte the card sends, a random byte with\n"
           "                      probability RATE (0 to 1)\n"
           "  --drop RATE         each byte, either way, is lost with probability RATE\n"
           "  --corrupt RATE      each byte, either way, is altered with probability RATE\n"
           "  --nack RATE         each ISP packet the card would accept is refused with\n"
           "                      probability RATE\n"
           "  --spare-host-bytes  --drop and --corrupt harm only the bytes the card sends\n"
           "  --nack-code HEX     --nack refuses only packets of this code (501: image\n"
           "                      blocks, 639: read requests)\n"
           "  --late RATE         each reply leaves the card late with probability RATE\n"
           "  --late-by MS        how late a late reply is (default 4000 ms)\n"
           "  --vanish-after N    the card goes away after receiving N bytes: it sends\n"
           "                      nothing more\n"
           "  --restart-after N   the card loses power once N bytes have crossed the line,\n"
           "                      both ways, and starts again as at power-on, its\n"
           "                      memories kept\n"
           "  --unplug-after N    the card is unplugged once N bytes have crossed the line,\n"
           "                      both ways, as a USB adapter pulled out: the terminal\n"
           "                      closes and the --link is removed\n"
           "  --gone-for MS       with --unplug-after, the card is plugged in again MS ms\n"
           "                      later: on a new terminal, its path printed and the\n"
           "                      --link pointed at it (default: never)\n"
           "  --boot-fault KIND@STEP  a fault of the boot program or its kernels at the\n"
           "                      first answer of STEP; KIND: silent (nothing answered from\n"
           "                      there on), late (by --late-by), wrong (another answer; at\n"
           "                      erase a failed erase), bad-sum, no-ack, chatter (a line\n"
           "                      that does not fall silent); STEP: match, start,\n"
           "                      length-high, length-low, kernel, erase, inquiry, device,\n"
           "                      clock, rate, confirm, finish, main-kernel, status,\n"
           "                      prepare, write-kernel, frame, image-status\n"
           "  --seed N            seed of the faults (default 1): same seed, same faults\n"
           "  --fpga-error-every N  the FPGA player sends an error report \"$E\" before\n"
           "                      every Nth request\n"
           "  --fpga-stall-at N   the first FPGA block request from the Nth request on\n"
           "                      stops after its first '$' (for --fpga-stall-ms, default\n"
           "                      2000 ms)\n"
           "  --fpga-stall-ms MS  how long that stall lasts\n"
           "  --fpga-fail-at N    the FPGA player ends with \"~F\" in place of its Nth request\n"
           "  --content-write-fails  the EDID and gamma memories refuse every write: the\n"
           "                      card's verdict is \"~E\"\n"
           "  --pace              keep the line's time (the default): each byte takes 10\n"
           "                      bit times at the bit rate, the card answers after its\n"
           "                      processing time, and a byte that comes while the card\n"
           "                      is busy (a pause the tool did not give it) is lost and\n"
           "                      counted as a timing violation\n"
           "  --delivery HOW      how the host's port passes the card's bytes on to the\n"
           "                      tool once they have crossed the line (paced): usb (the\n"
           "                      default), a USB-serial adapter, passes what it has\n"
           "                      received every 1 ms, its latency timer (usb:MS: every\n"
           "                      MS ms, 1 to 255); uart, a 16550 UART, when its FIFO\n"
           "                      holds 14 bytes or after 4 character times without a\n"
           "                      new one (uart:N: at N bytes, 1 to 16); byte, each byte\n"
           "                      as it arrives (the most wake-ups for the tool)\n"
           "  --fast              deliver bytes as fast as the terminal allows: no line\n"
           "                      time, no processing time, never busy (for runs whose\n"
           "                      subject is not time)\n"
           "  --trace             print every byte both ways, time-stamped, and every\n"
           "                      timing violation, on stderr\n"
           "  --make-samples DIR  write the sample update files into DIR (created), name\n"
           "                      them and exit: FDriver.bin, SFDriver.bin, Device1.bin,\n"
           "                      Device5.bin, Device7.bin, the boot kernels uGen7144.cde,\n"
           "                      Genm7144.cde, Genw7144.cde, appMain.mot, fpga.xsvf,\n"
           "                      EDID.bin (256 bytes), edid128.bin, gamma.csv, remote.txt\n"
           "  --xsvf-size N       the size of that fpga.xsvf in bytes (default 200000,\n"
           "                      256 to 16777216)\n"
           "  --help              print this text and exit\n"
           "  --version           print cardsim's version and exit\n";
}

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    sim::CardOptions& card = options.card;
    card.receivedLimit = 0;
    for (int i = 0; i < argc; ++i) {
        std::string_view name = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto rate = [&](double& out) {
            std::string text;
            if (!value(text)) return false;
            if (parseRate(text, out)) return true;
            error = std::string(name) + ": not a rate from 0 to 1: " + text;
            return false;
        };
        auto count = [&](std::uint64_t& out) {
            std::string text;
            if (!value(text)) return false;
            if (parseCount(text, out)) return true;
            error = std::string(name) + ": not a number: " + text;
            return false;
        };
        auto word = [&](std::string& out) {
            if (!value(out)) return false;
            if (isWord(out)) return true;
            error = std::string(name) + ": not a word: " + out;
            return false;
        };
        std::string text;
        bool ok = true;
        if (name == "--help") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else if (name == "--link") {
            ok = value(options.link);
        } else if (name == "--model") {
            ok = word(card.model);
        } else if (name == "--firmware") {
            ok = word(card.firmware);
        } else if (name == "--variant") {
            ok = value(text);
            if (ok && (text.size() != 1 || text[0] < '0' || text[0] > '9')) {
                error = "--variant: not a digit: " + text;
                ok = false;
            }
            if (ok) card.variant = text[0] - '0';
        } else if (name == "--boot") {
            card.bootMode = true;
        } else if (name == "--old-firmware") {
            card.oldFirmware = true;
        } else if (name == "--menu-keys-only") {
            card.oldFirmware = true;
            card.oldFirmwareMenuOnly = true;
        } else if (name == "--boot-fault") {
            ok = value(text);
            if (ok && !sim::parseBootFault(text, card.bootFault)) {
                error = "--boot-fault: not KIND@STEP: " + text;
                ok = false;
            }
        } else if (name == "--state") {
            ok = value(card.stateDir);
        } else if (name == "--silent") {
            card.silent = true;
        } else if (name == "--noise") {
            ok = rate(card.noise);
        } else if (name == "--drop") {
            ok = rate(card.drop);
        } else if (name == "--corrupt") {
            ok = rate(card.corrupt);
        } else if (name == "--nack") {
            ok = rate(card.nack);
        } else if (name == "--spare-host-bytes") {
            card.faultsSpareHostBytes = true;
        } else if (name == "--nack-code") {
            ok = value(text);
            char* end = nullptr;
            unsigned long code = ok ? std::strtoul(text.c_str(), &end, 16) : 0;
            if (ok && (text.empty() || *end != '\0' || code == 0 || code > 0x0FFF)) {
                error = "--nack-code: not an ISP code (1 to FFF): " + text;
                ok = false;
            }
            card.nackCode = static_cast<std::uint16_t>(code);
        } else if (name == "--late") {
            ok = rate(card.late);
        } else if (name == "--late-by") {
            ok = count(card.lateByMs);
        } else if (name == "--vanish-after") {
            ok = count(card.vanishAfter);
        } else if (name == "--restart-after") {
            ok = count(card.restartAfter);
        } else if (name == "--unplug-after") {
            ok = count(card.unplugAfter);
        } else if (name == "--gone-for") {
            ok = count(card.goneForMs);
        } else if (name == "--seed") {
            ok = count(card.seed);
        } else if (name == "--fpga-error-every") {
            ok = count(card.fpgaErrorEvery);
        } else if (name == "--fpga-stall-at") {
            ok = count(card.fpgaStallAt);
        } else if (name == "--fpga-stall-ms") {
            ok = count(card.fpgaStallMs);
        } else if (name == "--fpga-fail-at") {
            ok = count(card.fpgaFailAt);
        } else if (name == "--content-write-fails") {
            card.contentWriteFails = true;
        } else if (name == "--xsvf-size") {
            ok = count(options.xsvfSize);
            if (ok &&
                (options.xsvfSize < sim::kXsvfMinimumSize || options.xsvfSize > sim::choices::kFpgaFileCapacity)) {
                error = "--xsvf-size: from 256 to 16777216 bytes: " + std::string(argv[i]);
                ok = false;
            }
        } else if (name == "--pace") {
            card.paced = true;
        } else if (name == "--delivery") {
            ok = value(text);
            if (ok && !parseDelivery(text, options.delivery)) {
                error = "--delivery: not usb, usb:MS, uart, uart:N or byte: " + text;
                ok = false;
            }
        } else if (name == "--fast") {
            card.paced = false;
        } else if (name == "--trace") {
            options.trace = true;
        } else if (name == "--make-samples") {
            ok = value(options.makeSamples);
        } else {
            error = "unknown option: " + std::string(name);
            ok = false;
        }
        if (!ok) return false;
    }
    if (card.goneForMs != 0 && card.unplugAfter == 0) {
        error = "--gone-for needs --unplug-after: a card not unplugged cannot come back";
        return false;
    }
    if (card.bootMode && card.oldFirmware) {
        error = "--boot and --old-firmware exclude each other";
        return false;
    }
    return true;
}

}  // namespace cardsim
