#include "sim/content/content_commands.h"

#include "sim/card_choices.h"
#include "sim/content/acknowledged_write.h"
#include "sim/content/fpga_player.h"

namespace sim {

namespace {
bool hasEdidMemory(const CardOptions& options) {
    return options.model == "DVITOSDI" || options.model == "HDMITOSDI";
}

std::unique_ptr<ContentSession> edidWrite(std::size_t blocks, const CardOptions& options, ContentMemory& memory,
                                          ReplySink& out, Nanos at) {
    auto keep = [&options, &memory](const std::vector<std::uint8_t>& image) {
        if (options.contentWriteFails) return false;
        memory.storeEdid(image);
        return true;
    };
    return std::make_unique<AcknowledgedWrite>(blocks * choices::kEdidBlockSize, 1, keep,
                                               AcknowledgedWrite::Preparation{choices::kEdidEnableTime,
                                                                              choices::kEnablingEdid},
                                               out, options.paced, at);
}

std::unique_ptr<ContentSession> gammaWrite(const CardOptions& options, ContentMemory& memory, ReplySink& out,
                                           Nanos at) {
    auto keep = [&options, &memory](const std::vector<std::uint8_t>& bytes) {
        std::vector<std::uint16_t> table;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            auto value = static_cast<std::uint16_t>(bytes[i] << 8 | bytes[i + 1]);
            if (value > choices::kGammaMaxValue) return false;
            table.push_back(value);
        }
        if (options.contentWriteFails) return false;
        memory.storeGamma(std::move(table));
        return true;
    };
    return std::make_unique<AcknowledgedWrite>(choices::kGammaValues, 2, keep,
                                               AcknowledgedWrite::Preparation{choices::kGammaClearTime,
                                                                              choices::kClearingGamma},
                                               out, options.paced, at);
}
}  // namespace

std::unique_ptr<ContentSession> startContentSession(std::string_view line, const CardOptions& options,
                                                    ContentMemory& memory, ReplySink& out, Nanos at) {
    if (line == "FPGA 1") return std::make_unique<FpgaPlayer>(options, memory, out, at);
    if (line == "GAMMA 3 0") return gammaWrite(options, memory, out, at);
    if (hasEdidMemory(options) && line == "EDID 1") return edidWrite(1, options, memory, out, at);
    if (hasEdidMemory(options) && line == "EDID 2") return edidWrite(2, options, memory, out, at);
    return nullptr;
}

}  // namespace sim
