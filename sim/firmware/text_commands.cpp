#include "sim/firmware/text_commands.h"

#include "sim/card_choices.h"

namespace sim {

namespace {
std::string deviceVersion(std::string_view, const CardOptions& options) {
    return "#DEVERSION " + std::string(1, static_cast<char>('0' + options.variant)) + " " +
           options.firmware + "\r";
}

std::string deviceType(std::string_view, const CardOptions& options) {
    return "#DEVTYPE " + options.model + "\r";
}

struct TextCommand {
    std::string_view keyword;
    std::string (*answer)(std::string_view arguments, const CardOptions& options);
};

constexpr TextCommand kTextCommands[] = {
    {"DEVERSION", deviceVersion},
    {"DEVTYPE", deviceType},
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
