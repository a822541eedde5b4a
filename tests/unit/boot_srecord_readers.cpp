// The S-record readers on files that can break them: block boundaries,
// skipped record types, empty and end-of-image records, records after the
// end, over-long records and counts, and the hex-pair conversion.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "boot/hex_pair.h"
#include "boot/srecord_readers.h"
#include "tests/support/console_capture.h"

namespace {

// A file stream over `text`.
struct TextFile {
    explicit TextFile(const std::string& text) : file(std::tmpfile()) {
        std::fputs(text.c_str(), file);
        std::rewind(file);
    }
    ~TextFile() { std::fclose(file); }
    FILE* file;
};

// An S3 record of `count` data bytes valued `first`, `first` + 1 ...
std::string s3(std::uint32_t address, int count, int first = 0) {
    std::string text = "S3";
    char pair[3];
    auto add = [&](int byte) {
        std::snprintf(pair, sizeof pair, "%02X", byte & 0xFF);
        text += pair;
    };
    add(count + 5);
    for (int shift = 24; shift >= 0; shift -= 8) add(static_cast<int>(address >> shift));
    for (int i = 0; i < count; ++i) add(first + i);
    add(0);  // the readers never look at the checksum
    return text + "\n";
}

TEST(HexPair, DigitsAndCapitalsOnlyAndNothingPastTheEnd) {
    const struct { const char* text; unsigned char value; } cases[] = {
        {"1F", 0x1F}, {"A0", 0xA0}, {"3a", 0x03}, {"g1", 0x00}, {"7", 0x07}, {"", 0x00}, {"FFF", 0xFF},
    };
    for (const auto& c : cases) {
        char value = 0x55;
        strHexTolong(&value, c.text);
        EXPECT_EQ(static_cast<unsigned char>(value), c.value) << c.text;
    }
}

TEST(SRecordReaders, BlocksOf128BytesThenTheRestUpToTheEndOfImage) {
    std::string text = "S00600004844521B\n";
    for (int i = 0; i < 8; ++i) text += s3(16u * i, 16, i * 16);     // block 1: eight records
    text += "S1130000285F245F2212226A000424290008237C2A S5030003F9\n";  // skipped, data unused
    for (int i = 0; i < 4; ++i) text += s3(0x80 + 32u * i, 32, 128 + i * 32);  // block 2: four records
    text += s3(0x800, 0) + s3(0x800, 16, 7) + "S70500000000FA\n" + s3(0x810, 3, 200);
    text += s3(0xFFFF8000, 4, 99) + s3(0x900, 16, 1);  // the end, then a record never read
    TextFile in(text);

    unsigned char Data[129];
    std::vector<unsigned char> expected(256);
    for (int i = 0; i < 256; ++i) expected[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
    for (int block = 0; block < 2; ++block) {
        int calls = 0;
        while (checkReadLine != 1 && calls < 20) {
            readline16(in.file, Data);
            ++calls;
        }
        ASSERT_EQ(checkReadLine, 1) << block;
        checkReadLine = 0;
        EXPECT_EQ(std::vector<unsigned char>(Data, Data + 128),
                  std::vector<unsigned char>(expected.begin() + 128 * block, expected.begin() + 128 * (block + 1)));
        EXPECT_EQ(calls, block == 0 ? 9 : 6);  // S0 first; S1 and S5 before block 2
    }

    std::vector<unsigned char> DataBlock(kImageArea, 0xEE);
    DWORD BlockLength = 0;
    for (int calls = 0; checkReadLine != 1 && calls < 10; ++calls) readblock(in.file, DataBlock.data(), &BlockLength);
    EXPECT_EQ(checkReadLine, 1);
    ASSERT_EQ(BlockLength, 19u) << "count 5 and the end-of-image record add nothing";
    EXPECT_EQ(DataBlock[0], 7);
    EXPECT_EQ(DataBlock[16], 200);
    EXPECT_EQ(DataBlock[19], 0xEE);
    char next[40] = {};
    EXPECT_EQ(std::fscanf(in.file, "%39s", next), 1);
    EXPECT_EQ(std::string(next), s3(0x900, 16, 1).substr(0, 39)) << "records after the end are left unread";
}

TEST(SRecordReaders, WhatDoesNotFitIsDroppedWithoutOverrunningABuffer) {
    const struct {
        const char* what;
        std::string record;
    } cases[] = {
        {"stray text", "hello\n"},
        {"end of the file", ""},
        {"over-long record", "S3" + std::string(300, '1') + "\n"},
        {"count beyond the pairs present", "S3FF00000000AABBCC\n"},
        {"data running past the block", s3(0, 120) + s3(0, 16)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TextFile in(c.record);
        unsigned char Data[129] = {};
        ConsoleCapture console;
        for (int i = 0; i < 2; ++i) readline16(in.file, Data);
        EXPECT_NE(console.text().find("Error...File .mot corrupted"), std::string::npos);
        EXPECT_EQ(checkReadLine, 0);
    }

    // Data beyond the image buffer are dropped, a record at a time.
    std::string text;
    for (int i = 0; i < 2700; ++i) text += s3(0x800 + 100u * i, 100);
    TextFile in(text);
    std::vector<unsigned char> DataBlock(kImageArea);
    DWORD BlockLength = 0;
    ConsoleCapture console;
    for (int i = 0; i < 2700; ++i) readblock(in.file, DataBlock.data(), &BlockLength);
    EXPECT_EQ(BlockLength, 262100u);
    EXPECT_NE(console.text().find("Error...File .mot corrupted"), std::string::npos);
}

}  // namespace
