#include "sim/samples/text_samples.h"

#include <cmath>

namespace sim {

std::string gammaSample() {
    std::string text = "% Gamma table of the video converter card\r\n"
                       "% 1024 lines of red, green and blue, each from 0 to 1023: a 2.2 curve\r\n";
    for (int line = 0; line < 1024; ++line) {
        if (line == 512) text += "% second half\r\n";
        long value = std::lround(1023.0 * std::pow(line / 1023.0, 1.0 / 2.2));
        std::string v = std::to_string(value);
        text += v + "," + v + "," + v + "\r\n";
    }
    return text;
}

std::string remoteSample() {
    return "@Picture check: test pattern, levels, on-screen display\r\n"
           "#OSD ON\r\n"
           "#PATTERN 3\r\n"
           "&500\r\n"
           "#BRIGHTNESS 55\r\n"
           "#CONTRAST 48\r\n"
           "#SATURATION 50\r\n"
           "#PATTERN 0\r\n"
           "#OSD OFF\r\n"
           "#SAVE\r\n"
           "@Settings saved\r\n";
}

}  // namespace sim
