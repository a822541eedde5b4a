// The running firmware's text commands, "#KEYWORD arguments\r", and their
// answers; this table is the whole set:
//
//   DEVERSION               "#DEVERSION <variant digit> <firmware word>\r"
//   DEVTYPE                 "#DEVTYPE <model word>\r"
//   OSD ON | OSD OFF        the on-screen display                    "#ACK\r"
//   PATTERN n, n 0 to 7     a test pattern (0: the input picture)    "#ACK\r"
//   BRIGHTNESS n, CONTRAST n, SATURATION n, n 0 to 100               "#ACK\r"
//   SAVE                    keeps the settings over a power cycle    "#ACK\r"
//
// Any other command, or a known one with other arguments: "#NACK\r". The
// content commands (FPGA, EDID, GAMMA) start transfers: sim/content/.
#include "sim/firmware/text_commands.h"

#include "sim/card_choices.h"

namespace sim {

namespace {
std::string deviceVersion(std::string_view, const CardOptions& options) {
    return "#DEVERSION " + std::string(1, static_cast<char>('0' + options.variant)) + " " + options.firmware +
           "\r";
}

std::string deviceType(std::string_view, const CardOptions& options) { return "#DEVTYPE " + options.model + "\r"; }

std::string verdict(bool accepted) {
    return std::string(accepted ? choices::kAcknowledgedAnswer : choices::kUnknownTextCommandAnswer);
}

// A decimal number from 0 to `most`, nothing else.
bool numberUpTo(std::string_view text, unsigned most) {
    if (text.empty() || text.size() > 3) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= most;
}

std::string onScreenDisplay(std::string_view arguments, const CardOptions&) {
    return verdict(arguments == "ON" || arguments == "OFF");
}

std::string testPattern(std::string_view arguments, const CardOptions&) {
    return verdict(numberUpTo(arguments, 7));
}

std::string pictureLevel(std::string_view arguments, const CardOptions&) {
    return verdict(numberUpTo(arguments, 100));
}

std::string saveSettings(std::string_view arguments, const CardOptions&) { return verdict(arguments.empty()); }

struct TextCommand {
    std::string_view keyword;
    std::string (*answer)(std::string_view arguments, const CardOptions& options);
};

constexpr TextCommand kTextCommands[] = {
    {"DEVERSION", deviceVersion}, {"DEVTYPE", deviceType},      {"OSD", onScreenDisplay},
    {"PATTERN", testPattern},     {"BRIGHTNESS", pictureLevel}, {"CONTRAST", pictureLevel},
    {"SATURATION", pictureLevel}, {"SAVE", saveSettings},
};
}  // namespace

std::string answerTextCommand(std::string_view line, const CardOptions& options) {
    std::size_t blank = line.find(' ');
    std::string_view keyword = line.substr(0, blank);
    std::string_view arguments = blank == std::string_view::npos ? "" : line.substr(blank + 1);
    for (const TextCommand& command : kTextCommands) {
        if (command.keyword == keyword) return command.answer(arguments, options);
    }
    return std::string(choices::kUnknownTextCommandAnswer);
}

}  // namespace sim
