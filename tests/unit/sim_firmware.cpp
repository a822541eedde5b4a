// The card's running firmware, old firmware and boot program as the line
// sees them: probe, identification, micro commands, menu keys.
#include <gtest/gtest.h>

#include "sim/card_line.h"
#include "tests/unit/sim_test_line.h"

using simtest::kMs;
using simtest::TestHost;

namespace {

sim::CardOptions options() {
    sim::CardOptions o;
    o.model = "HDMITOSDI";
    o.firmware = "V3.17b";
    o.variant = 2;
    return o;
}

TEST(SimFirmware, ProbeIsAnsweredWithElevenBytesOrMoreWithoutHash) {
    sim::CardLine line(options());
    TestHost host(line);
    std::string answer = host.exchange(std::string(1, '\0'));
    EXPECT_GE(answer.size(), 11u);
    EXPECT_EQ(answer.find('#'), std::string::npos);
}

TEST(SimFirmware, IdentificationReplies) {
    sim::CardLine line(options());
    TestHost host(line);
    std::string version = host.exchange("#DEVERSION\r");
    EXPECT_EQ(version, "#DEVERSION 2 V3.17b\r");
    EXPECT_EQ(version[11], '2');
    EXPECT_EQ(version.substr(13, 6), "V3.17b");
    EXPECT_EQ(host.exchange("#DEVTYPE\r"), "#DEVTYPE HDMITOSDI\r");
}

TEST(SimFirmware, AnyModelWordIsReportedAsGiven) {
    for (const char* model : {"DVITOSDI", "SDITODVI", "SL-SDITODVI", "HDMITOSDI", "SDITOHDMI",
                              "SL-SDITOHDMI", "NOSUCHCARD"}) {
        sim::CardOptions o = options();
        o.model = model;
        sim::CardLine line(o);
        TestHost host(line);
        EXPECT_EQ(host.exchange("#DEVTYPE\r"), std::string("#DEVTYPE ") + model + "\r");
    }
}

TEST(SimFirmware, UnknownOrOverlongTextCommandsAreRefused) {
    sim::CardLine line(options());
    TestHost host(line);
    EXPECT_EQ(host.exchange("#WHAT\r"), "#N\r");
    EXPECT_EQ(host.exchange("#" + std::string(200, 'X') + "\r"), "#N\r");
    // Noise before a command does not disturb it.
    EXPECT_EQ(host.exchange("xy\x7f#DEVTYPE\r"), "#DEVTYPE HDMITOSDI\r");
}

TEST(SimFirmware, MicroCommands) {
    sim::CardLine line(options());
    TestHost host(line);
    for (const char* command : {"=MP\r", "=MR\r", "=MA\r", "=ME\r"}) {
        EXPECT_EQ(host.exchange(command), "=M*") << command;
    }
    EXPECT_EQ(host.exchange("=MQ\r"), "=M~");
    // No carriage return: no answer.
    EXPECT_EQ(host.exchange("=MPx"), "");
}

TEST(SimFirmware, OldFirmwareAnswersItsMenuKeysAndBootsOnSix) {
    sim::CardOptions o = options();
    o.oldFirmware = true;
    sim::CardLine line(o);
    TestHost host(line);
    std::string probe = host.exchange(std::string(1, '\0'));
    EXPECT_GE(probe.size(), 11u);
    EXPECT_EQ(probe.find('#'), std::string::npos);
    EXPECT_EQ(host.exchange("#DEVTYPE\r", 2000 * kMs).find('#'), std::string::npos);

    host.send("\r");
    host.wait(500 * kMs);
    host.send("1");
    host.wait(500 * kMs);
    host.send("$");
    std::string menu = host.collect(500 * kMs);
    EXPECT_GT(menu.size(), 4u);
    EXPECT_EQ(menu.find('#'), std::string::npos);

    EXPECT_EQ(host.exchange("6", 1000 * kMs), "");
    EXPECT_EQ(host.exchange(std::string(1, '\0')), "");
    line.setHostBaud(9600);
    EXPECT_EQ(host.exchange(std::string(3, '\0')), "");
}

TEST(SimFirmware, BootModeIsSilentAtEveryRate) {
    sim::CardOptions o = options();
    o.bootMode = true;
    sim::CardLine line(o);
    TestHost host(line);
    EXPECT_EQ(host.exchange(std::string(2, '\0') + "#DEVTYPE\r=MP\r"), "");
    line.setHostBaud(9600);
    EXPECT_EQ(host.exchange(std::string(2, '\0') + "U"), "");
    EXPECT_EQ(line.received().substr(0, 2), "\xff\xff");
    EXPECT_EQ(line.received().substr(line.received().size() - 3), std::string("\0\0U", 3));
}

}  // namespace
