// A paced card's replies in the chunks of a USB-serial adapter, a 16550 UART or a
// byte-by-byte port: VERIFY reads every block at the first request.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/processes.h"

TEST(EndToEnd, VerifyThroughEveryWayAPortPassesBytesOn) {
    for (const char* delivery : {"usb", "usb:3", "uart", "uart:4", "byte"}) {
        SCOPED_TRACE(delivery);
        WorkDir dir;
        writeImage(dir.path() + "/Device5.bin", 2048);
        std::filesystem::create_directory(dir.path() + "/state");
        std::filesystem::copy_file(dir.path() + "/Device5.bin", dir.path() + "/state/device5.bin");
        Cardsim card(dir.path(), {"--delivery", delivery, "--state", dir.path() + "/state"});

        ProcessResult verify = runProgram(UPDATER_BIN, dir.path(), {card.link(), "VERIFY", "Device5.bin"});
        EXPECT_EQ(verify.status, 0) << verify.output;
        EXPECT_NE(verify.output.find("Job at 100% ----- Mismatch Total 0 "), std::string::npos) << verify.output;
        EXPECT_EQ(verify.output.find("Status Request"), std::string::npos) << verify.output;
        EXPECT_EQ(card.stop(), 0);
    }
}
