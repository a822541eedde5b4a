// MICRO against the card model: the ways into the boot program, where the image
// lands, every failure through a fault of the card, and the files refused first.
#include <optional>

#include "boot/commands.h"
#include "sim/card_choices.h"
#include "sim/samples/firmware_image.h"
#include "tests/support/card_run.h"

namespace {

const std::string kBootPath = "\nFlash is not programmed (BOOT MODE) or using old firmware version"
                              "\nMICRO Mode OK...Now starting the FDT programm...\n";
const std::string kNoBootProgram =
    "\nTime Out...No communication with Boot Program...Maybe there's an old firmware..."
    "\nNow Calling the function to check the version of the firmware...";
const std::string kOldFirmwareMenu =
    "\nYou are using an old firmware...Now programming the FLASH ...\nBe sure to upload the most recent firmware ";
const std::string kReminder = "\nTime out...No old firmware...No communication..Reboot the card and try again..."
                              "\nBe sure that the jumpers for the RS-232 commmunications are at the right place";
const std::string kStart = "\n->CHECKING COMMUNICATION WITH SH2...OK\n->SENDING MICRO KERNEL...\n";
const std::string kKernelsLoaded =
    "\rJob at 100 %     \n\rOK\n->SET PARAMETERS...OK\n->SENDING MAIN KERNEL...OK\n->Set PARAMETERS...OK"
    "\n->WRITING .MOT FILE  TO FLASH MEMORY...\n";
const std::string kWritten = "\rJob at 100 %      \n\rOK\nEND...REBOOT THE DEVICE!\n";

std::vector<std::uint8_t> flashOf(const std::vector<std::uint8_t>& data) {
    return sim::flashImageOf(data, sim::choices::kMicroFlashSize);
}

std::vector<std::uint8_t> bytes(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * 37 + seed + (i >> 8));
    return data;
}

// The card's end-of-image record, as it closes appMain.mot.
const std::string kEndOfImage = "S305FFFF80007C\r\n";

std::string sRecord(char type, std::uint32_t address, std::size_t addressBytes, const std::string& data = "") {
    return sim::sRecord(type, address, addressBytes, reinterpret_cast<const std::uint8_t*>(data.data()),
                        data.size());
}

// `record` (its line end included, or none) with its checksum's last digit changed.
std::string withWrongSum(std::string record) {
    std::size_t last = record.find_last_not_of("\r\n");
    record[last] = record[last] == '0' ? '1' : '0';
    return record;
}

// `data` as a common toolchain writes it (S0, S3 records of 16 bytes, S5, S7), then
// the card's own end-of-image record.
std::string toolchainFile(const std::vector<std::uint8_t>& data) {
    std::string text = sRecord('0', 0, 2, "appMain");
    std::uint32_t records = 0;
    for (std::size_t at = 0; at < data.size(); at += 16, ++records) {
        auto address = static_cast<std::uint32_t>(at < 1024 ? at : at - 1024 + 0x800);
        text += sim::sRecord('3', address, 4, data.data() + at, std::min<std::size_t>(16, data.size() - at));
    }
    return text + sRecord('5', records, 2) + sRecord('7', 0, 4) + kEndOfImage;
}

// A MICRO run on a fresh card, as the first run of the process.
CardRun micro(sim::Card& card) {
    flag = 0;
    return runOnCard(card, {"COM1", "MICRO"});
}

class Micro : public ::testing::Test {
protected:
    WorkDir dir{256};
};

TEST_F(Micro, EveryWayIntoTheBootProgramWritesTheImage) {
    // clang-format off
    const struct {
        const char* what;
        std::function<void(sim::CardOptions&)> card;
        std::vector<std::string> texts;
        std::string heard;  // what the card must have received on the way in
        std::size_t reminders = 0;
    } entries[] = {
        {"boot mode", [](auto& o) { o.bootMode = true; },
         {kBootPath, kStart, kKernelsLoaded, kWritten, "\nTime : 0 minutes 1"}, std::string(2, '\xff')},
        {"running firmware", [](auto&) {},
         {"Software Version  -> V2.05\n", kStart, kKernelsLoaded, kWritten, "\nTotal Time : 0 minutes 1"},
         "#MICROMODE\r#MICRO\r"},
        {"old firmware answering its menu keys only", [](auto& o) { o.oldFirmware = o.oldFirmwareMenuOnly = true; },
         {kBootPath, "\n->CHECKING COMMUNICATION WITH SH2..." + kNoBootProgram + kOldFirmwareMenu, kStart,
          kKernelsLoaded, kWritten},
         "\r1$6"},
        // The first 0x00 answered after 45 s: the first check gives up at 10 s, the
        // menu keys follow, the second check reminds at 10, 20 and 30 s.
        {"a boot program that answers late",
         [](auto& o) { o.bootMode = true; o.bootFault = {sim::BootFault::Kind::kLate, sim::BootStep::kMatch};
                       o.lateByMs = 45000; },
         {kBootPath, kNoBootProgram, kOldFirmwareMenu, kReminder, kReminder, kReminder, "OK\n->SENDING MICRO KERNEL",
          kWritten},
         std::string("\0\xff\xff\xff\xff\0", 6), 3},  // the menu keys at 115200 bit/s, between the checks
    };
    // clang-format on
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.what);
        sim::Card card{cardOptions("SDITOHDMI", entry.card)};
        CardRun run = micro(card);
        EXPECT_EQ(run.status, 0);
        expectInOrder(run.output, entry.texts);
        EXPECT_EQ(run.output.find("Error"), std::string::npos);
        EXPECT_TRUE(contains(card.received(), entry.heard));
        EXPECT_TRUE(card.microFlash() == flashOf(sim::sampleFirmwareData()));
        EXPECT_EQ(count(run.output, kReminder), entry.reminders);
    }
}

// A frame damaged on the line is refused: the whole image is written, or the run fails.
TEST_F(Micro, AFrameDamagedOnTheLineIsRefusedNeverWritten) {
    int refusedFrames = 0;
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        sim::Card card{cardOptions("SDITOHDMI", [&](auto& o) {
            o.bootMode = true;
            o.corrupt = 4e-5;
            o.seed = seed;
        })};
        CardRun run = micro(card);
        if (run.status == 0) {
            EXPECT_TRUE(card.microFlash() == flashOf(sim::sampleFirmwareData()));
        }
        refusedFrames += static_cast<int>(count(run.output, "\nACK NOT received  :( "));
    }
    EXPECT_GT(refusedFrames, 0) << "no frame was damaged: the seeds no longer reach the frames";
}

// Each frame of 128 data bytes is acknowledged by the card, and no more are sent.
TEST_F(Micro, ImagePlacementFollowsTheOrderOfTheData) {
    const struct {
        const char* what;
        std::vector<std::uint8_t> data;
        std::size_t perRecord;
        std::size_t frames;
    } cases[] = {
        {"32-byte records, three frames after the vector area, the last one partial", bytes(1024 + 300, 1), 32,
         8 + 3},
        {"an end-of-image record right after the vector area", bytes(1024, 2), 16, 8},
        {"the largest image: 262144 bytes after the vector area, frames up to 0x40780", bytes(1024 + 262144, 6),
         64, 8 + 2048},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("appMain.mot", sim::sRecordFile(c.data, c.perRecord));
        sim::Card card{cardOptions("SDITOHDMI", [](auto& o) { o.bootMode = true; })};
        CardRun run = micro(card);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(card.microFlash() == flashOf(c.data));
        const std::string& heard = card.received();
        std::size_t imageStart = heard.find("\x40", heard.find("\x3F\x07\x04\x80"));
        std::size_t frames = 0;  // frame headers: 0x50 and an address below 0x50000
        for (char high : {'\0', '\1', '\2', '\3', '\4'}) {
            frames += count(heard.substr(imageStart), std::string("\x50\x00", 2) + high);
        }
        EXPECT_EQ(frames, c.frames);
    }
}

TEST_F(Micro, EveryFailureOfTheProgrammerThroughAFaultOfTheCard) {
    using Kind = sim::BootFault::Kind;
    using Step = sim::BootStep;
    const struct {
        Kind kind;
        Step step;
        std::string text;
        int status = 1;
        std::uint64_t lateByMs = 8000;
        std::size_t times = 1;
    } faults[] = {
        {Kind::kSilent, Step::kMatch, kNoBootProgram},
        {Kind::kNoAck, Step::kStart, "\nTime Out...Retry...", 1, 8000, 5},
        {Kind::kSilent, Step::kLengthHigh, "\nTime Out1"},
        {Kind::kSilent, Step::kLengthLow, "\nTime Out 2"},
        {Kind::kSilent, Step::kKernel, "\nTime Out 3"},
        {Kind::kWrong, Step::kKernel, "Error during  validation  byte"},
        {Kind::kSilent, Step::kErase, "\nTime Out 4"},
        {Kind::kWrong, Step::kErase, "\n\rOKError during erasing of the flash"},
        {Kind::kSilent, Step::kInquiry, "\nTime Out 5"},
        {Kind::kWrong, Step::kInquiry, "\nError 2"},
        {Kind::kChatter, Step::kInquiry, "\nTime Out 6"},
        {Kind::kNoAck, Step::kDevice, "\nACK NOT received  DEVICE!!"},
        {Kind::kWrong, Step::kClock, "\nACK NOT received  SElect CLOCK MODE!!"},
        {Kind::kLate, Step::kRate, "\nACK NOT received  Changing Baud RAte!!"},
        {Kind::kNoAck, Step::kConfirm, "\nACK NOT  received  Baud Rate !!!!"},
        {Kind::kSilent, Step::kFinish, "\nACK NOT  received   Finish Data Set !!!!"},
        {Kind::kWrong, Step::kMainKernel, "\nACK NOT received MAIN KERNEL ..15"},
        {Kind::kLate, Step::kMainKernel, "\nACK NOT received MAIN KERNEL ..66", 1, 3100},
        {Kind::kSilent, Step::kStatus, "\nTime Out 7"},
        {Kind::kBadSum, Step::kStatus, "Error checking sum 9d ....9c"},
        {Kind::kWrong, Step::kStatus, "\nError 3"},
        {Kind::kNoAck, Step::kPrepare, "\nACK NOT RECEIVE PrepareUser"},
        {Kind::kNoAck, Step::kWriteKernel, "\nACK NOT received  FDTWrite \n->WRITING", 0},
        {Kind::kNoAck, Step::kFrame, "\nACK NOT received  :( "},
        {Kind::kLate, Step::kFrame, "\nACK NOT received  :( ", 1, 7000},
        {Kind::kLate, Step::kFrame, kWritten, 0, 6880},
        {Kind::kSilent, Step::kImageStatus, "\nTime Out 8"},
        {Kind::kBadSum, Step::kImageStatus, "Error checking sum BINARY9c ....9b", 0},
        {Kind::kWrong, Step::kImageStatus, "\nError 4"},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.text);
        sim::Card card{cardOptions("SDITOHDMI", [&](auto& o) {
            o.bootFault = {fault.kind, fault.step};
            o.lateByMs = fault.lateByMs;
        })};
        CardRun run = micro(card);
        EXPECT_EQ(run.status, fault.status) << run.output;
        EXPECT_EQ(count(run.output, fault.text), fault.times) << run.output;
        EXPECT_EQ(card.microFlash() == flashOf(sim::sampleFirmwareData()), fault.status == 0);
        if (fault.status == 0) {
            EXPECT_TRUE(contains(run.output, kWritten));
        } else {  // the failure is the programmer's last word; the handler's time follows
            std::size_t end = run.output.rfind(fault.text) + fault.text.size();
            EXPECT_EQ(run.output.compare(end, 14, "\nTotal Time : "), 0) << run.output;
        }
    }
}

// Records the readers skip, whatever their sum, and anything after the end are passed over.
TEST_F(Micro, FilesWithWhatTheReadersPassOverAreWritten) {
    const std::vector<std::uint8_t> data = bytes(1024 + 300, 7);
    const std::string file = sim::sRecordFile(data);  // S0, S3 records, the end-of-image record
    const std::string records = file.substr(0, file.rfind(kEndOfImage));
    const auto dataRecords = static_cast<std::uint32_t>((data.size() + 15) / 16);
    auto replacedAll = [&](const std::string& from, const std::string& to) {
        std::string text = file;
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
        return text;
    };
    const std::string header = file.substr(0, file.find('\n') + 1);
    // clang-format off
    const struct {
        const char* what;
        std::string file;
    } files[] = {
        {"a header record with a wrong checksum", withWrongSum(header) + file.substr(header.size())},
        {"S1 and S2 records", header + "S1130000285F245F2212226A000424290008237C2A\r\n"
         "S215000000000102030405060708090A0B0C0D0E0F1062\r\n" + file.substr(header.size())},
        {"a count record with a wrong checksum", records + withWrongSum(sRecord('5', dataRecords, 2)) + kEndOfImage},
        {"termination records with wrong checksums",
         records + withWrongSum(sRecord('7', 0, 4)) + withWrongSum(sRecord('9', 0, 2)) + kEndOfImage},
        {"text after the end-of-image record",
         file + "built 7 Dec; s3 records follow in small letters:\r\ns30900001000deadbeefae\r\nS4 S3\x01\xFF\r\n" +
             std::string(300, 'S') + "\r\nS30900001000DEADBEEF00\r\n"},
        {"blank lines around and between the records", "\r\n\r\n" + replacedAll("\r\n", "\r\n \t\r\n\r\n")},
        {"line ends of a line feed alone", replacedAll("\r\n", "\n")},
        {"the shape a common toolchain writes: S0, S3 records, S5, S7, then the end-of-image record",
         toolchainFile(data)},
    };
    // clang-format on
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        dir.write("appMain.mot", f.file);
        sim::Card card{cardOptions("SDITOHDMI", [](auto& o) { o.bootMode = true; })};
        CardRun run = micro(card);
        EXPECT_EQ(run.status, 0);
        expectInOrder(run.output, {kKernelsLoaded, kWritten});
        EXPECT_EQ(run.output.find("Error"), std::string::npos) << run.output;
        EXPECT_TRUE(card.microFlash() == flashOf(data));
    }
}

TEST_F(Micro, BadFilesAreRefusedBeforeAnythingIsSent) {
    const std::string good = sim::sRecordFile(bytes(1024 + 64, 5));
    auto goodLine = [&](int n) {  // line n (from 1) of the good file, without its end
        std::size_t at = 0;
        for (int i = 1; i < n; ++i) at = good.find('\n', at) + 1;
        return good.substr(at, good.find('\r', at) - at);
    };
    auto replaced = [&](int n, const std::string& record) {
        std::string text = good;
        return text.replace(text.find(goodLine(n)), goodLine(n).size(), record);
    };
    std::string lower = goodLine(3);
    lower[10] = 'a';
    const std::string bad = "Bad appMain.mot file. Exit.\n";
    // clang-format off
    const struct {
        std::string file;
        std::string refusal;
        std::string kernel = "";                   // a kernel file changed:
        std::optional<std::string> content = {};  // its new content, or none
    } refusals[] = {
        {replaced(3, withWrongSum(goodLine(3))), bad + "Line 3: the record's checksum is wrong.\n"},
        {replaced(70, withWrongSum(goodLine(70))), bad + "Line 70: the record's checksum is wrong.\n"},
        {replaced(3, lower), bad + "Line 3: character 11 is not an upper-case hexadecimal digit.\n"},
        {replaced(2, goodLine(2) + "0"), bad + "Line 2: the record has an odd number of characters.\n"},
        {replaced(2, "S316" + goodLine(2).substr(4)), bad + "Line 2: the count 16 does not match the record's length.\n"},
        {replaced(4, "S3" + std::string(218, '0')), bad + "Line 4: the record is longer than 219 characters.\n"},
        {"hello\r\n" + good, bad + "Line 1: not an S-record (S and a type digit).\n"},
        {sim::sRecordFile(bytes(2048, 1), 48),
         bad + "Line 4: the record's data cross the 128-byte block that ends at data byte 128.\n"},
        {sim::sRecordFile(bytes(1000, 1)),
         bad + "Line 65: the end-of-image record comes after 1000 data bytes; at least 1024 are needed.\n"},
        {sim::sRecordFile(bytes(1024 + 262144 + 16, 1), 64),
         bad + "Line 4114: more than 262144 data bytes after the first 1024.\n"},
        {good.substr(0, good.rfind("S305")),
         bad + "Line 69: no end-of-image record (an S3 record at address FFFFxxxx).\n"},
        {good, "Bad kernel file Genw7144.cde. Exit.\nThe file cannot be read.\n", "Genw7144.cde"},
        {good, "Bad kernel file uGen7144.cde. Exit.\nThe file is longer than 4000 bytes.\n", "uGen7144.cde",
         std::string(4001, 'k')},
        {good, "Bad kernel file Genm7144.cde. Exit.\nThe file is empty.\n", "Genm7144.cde", ""},
    };
    // clang-format on
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.refusal);
        ASSERT_EQ(sim::writeSampleFiles(dir.path(), 256), "");
        dir.write("appMain.mot", refusal.file);
        if (refusal.content) dir.write(refusal.kernel, *refusal.content);
        if (!refusal.kernel.empty() && !refusal.content) std::filesystem::remove(refusal.kernel);
        sim::Card card{cardOptions("SDITOHDMI", [](auto& o) { o.bootMode = true; })};
        CardRun run = micro(card);
        EXPECT_EQ(run.output, refusal.refusal + kExit);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(simport::written(), "");
    }
}

// A length byte's echo comes two byte times later: the high byte's echo is not taken
// for the low byte's when equal, nor is an awaited 0x66 a "nothing read" marker.
TEST_F(Micro, KernelsWhoseLengthBytesAreEqualOrLookLikeNothingRead) {
    for (std::size_t length : {0x0101u, 0x0F0Fu, 0x0166u}) {
        SCOPED_TRACE(length);
        std::vector<std::uint8_t> kernel = bytes(length, 9);
        dir.write("uGen7144.cde", std::string(kernel.begin(), kernel.end()));
        sim::Card card{cardOptions("SDITOHDMI", [](auto& o) { o.bootMode = true; })};
        CardRun run = micro(card);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(contains(run.output, kWritten));
        EXPECT_TRUE(card.microFlash() == flashOf(sim::sampleFirmwareData()));
        const std::string sent = std::string{static_cast<char>(length >> 8), static_cast<char>(length)} +
                                 std::string(kernel.begin(), kernel.end());
        EXPECT_EQ(card.received().substr(card.received().find('\x55') + 1, sent.size()), sent);
    }
}

}  // namespace
