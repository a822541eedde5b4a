// The packet body's byte coding, read two ways that share no code: the
// tool's (yEncode, yDecode) and the card model's (wireForm, decodeBody).
// Input: any bytes.
// Decoding any body: the tool never writes more bytes than the body holds
// and reads the same words as the card. Encoding the input's words: both
// give the same bytes, and the tool decodes them back to the input.
#include <algorithm>
#include <memory>
#include <string_view>

#include "link/isp_link.h"
#include "sim/vxp/isp_packet.h"
#include "tests/fuzz/scripted_line.h"

namespace {

using fuzz::require;

// Longest body the tool decodes: a 255-byte packet less "=G" and its end.
constexpr std::size_t kMaxBody = 252;
// Most words the tool encodes at once, so that the encoding fits its
// 256-byte area: each byte escaped, "=G", the end and a NUL.
constexpr std::size_t kMaxWords = 63;

sim::isp::Words wordsOf(const unsigned char* bytes, std::size_t count) {
    sim::isp::Words words;
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        words.push_back(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return words;
}

void decodeBody(const std::uint8_t* data, std::size_t size) {
    std::size_t length = size < kMaxBody ? size : kMaxBody;
    std::unique_ptr<unsigned char[]> decoded(new unsigned char[length]);
    int count = yDecode(decoded.get(), data, static_cast<int>(length));
    require(count >= 0 && static_cast<std::size_t>(count) <= length, "decoding never grows a body");
    std::string_view body(reinterpret_cast<const char*>(data), length);
    require(wordsOf(decoded.get(), static_cast<std::size_t>(count)) == sim::isp::decodeBody(body).words,
            "the tool and the card read the same words");
}

void encodeWords(const std::uint8_t* data, std::size_t size) {
    std::size_t words = size / 2 < kMaxWords ? size / 2 : kMaxWords;
    int length = static_cast<int>(2 * words);
    std::unique_ptr<unsigned char[]> encoded(new unsigned char[4 * words + 4]);
    int n = yEncode(encoded.get(), data, length);
    std::string tool(reinterpret_cast<const char*>(encoded.get()), static_cast<std::size_t>(n));
    require(tool == sim::isp::wireForm(wordsOf(data, static_cast<std::size_t>(length))),
            "the tool and the card encode the same bytes");

    std::unique_ptr<unsigned char[]> decoded(new unsigned char[static_cast<std::size_t>(n)]);
    int count = yDecode(decoded.get(), encoded.get() + 2, n - 3);
    require(count == length && std::equal(data, data + length, decoded.get()),
            "decoding gives back what was encoded");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    decodeBody(data, size);
    encodeWords(data, size);
    return 0;
}
