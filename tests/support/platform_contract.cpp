#include "tests/support/platform_contract.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr DWORD kAll = MAXDWORD;
const std::string kControl("\r\n\x03\x04\x11\x13\x7f\xff\x00", 9);

HANDLE open(const std::string& name) {
    return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

void expectFailure(bool failed, DWORD error, const char* what) {
    EXPECT_TRUE(failed) << what;
    EXPECT_EQ(GetLastError(), error) << what;
}

}  // namespace

void checkPortContract(FarEnd& far) {
    expectFailure(open(far.missingPortName()) == INVALID_HANDLE_VALUE, ERROR_FILE_NOT_FOUND, "missing port");
    far.send("before", 0);  // what arrived before the open is not part of the run
    HANDLE port = open(far.portName());
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    expectFailure(open(far.portName()) == INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED, "port already open");
    COMMTIMEOUTS polling{kAll, kAll, 1, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(port, &polling));
    char data[16];
    DWORD got = 99;
    EXPECT_TRUE(ReadFile(port, data, sizeof data, &got, nullptr));
    EXPECT_EQ(got, 0u);

    EXPECT_TRUE(CloseHandle(port));
    expectFailure(!CloseHandle(port), ERROR_INVALID_HANDLE, "closed twice");
    port = open(far.portName());
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << "open again once closed";
    far.received();  // drops a terminal's echo of what came before the open
    DCB dcb{};
    ASSERT_TRUE(GetCommState(port, &dcb));
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    dcb.BaudRate = CBR_115200;
    dcb.XonLim = 77;  // a field the port does not use is kept as given
    ASSERT_TRUE(SetCommState(port, &dcb));
    DCB applied{};
    ASSERT_TRUE(GetCommState(port, &applied));
    EXPECT_EQ(applied.BaudRate, 115200u);
    EXPECT_EQ(applied.XonLim, 77);
    dcb.ByteSize = 9;
    expectFailure(!SetCommState(port, &dcb), ERROR_INVALID_PARAMETER, "9 data bits");
    COMMTIMEOUTS never{kAll, kAll, kAll, 0, 0};
    expectFailure(!SetCommTimeouts(port, &never), ERROR_INVALID_PARAMETER, "a read that never ends");

    struct Read {
        DWORD count;
        std::string got;
        double endsAtMs;  // after the case began
    };
    const struct {
        const char* what;
        COMMTIMEOUTS timeouts;
        std::vector<std::pair<int, std::string>> sends;  // after ms, bytes
        std::vector<Read> reads;
    } cases[] = {
        {"polling, silent: its constant", {kAll, kAll, 1, 0, 0}, {}, {{10, "", 1}}},
        {"polling, bytes waiting: at once", {kAll, kAll, 50, 0, 0}, {{0, "abc"}}, {{2, "ab", 0}, {2, "c", 0}}},
        {"polling: the first byte", {kAll, kAll, 5000, 0, 0}, {{20, "Z"}}, {{10, "Z", 20}}},
        {"immediate: what has arrived", {kAll, 0, 0, 0, 0}, {{1, "A"}}, {{4, "", 0}}},
        {"full count", {0, 0, 30, 0, 0}, {{0, "12345678"}}, {{5, "12345", 0}, {3, "678", 0}}},
        {"full count short: the total", {0, 0, 30, 0, 0}, {{0, "xy"}}, {{5, "xy", 30}}},
        {"no interval, a total constant: the total", {kAll, 0, 30, 0, 0}, {{0, "xy"}}, {{5, "xy", 30}}},
        {"per byte and constant", {0, 10, 5, 0, 0}, {}, {{2, "", 25}}},
        {"interval after a gap", {10, 0, 100, 0, 0}, {{0, "AB"}, {40, "C"}}, {{3, "AB", 10}}},
        {"no time-outs: a minute at most", {0, 0, 0, 0, 0}, {}, {{4, "", 60000}}},
        {"bytes untranslated", {0, 0, 200, 0, 0}, {{0, kControl}}, {{9, kControl, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (far.slackMs() > 0 && c.reads.back().endsAtMs > 1000) continue;
        COMMTIMEOUTS timeouts = c.timeouts;
        ASSERT_TRUE(SetCommTimeouts(port, &timeouts));
        double start = far.nowMs();
        for (const auto& [afterMs, bytes] : c.sends) far.send(bytes, afterMs);
        for (const Read& read : c.reads) {
            char area[64] = {};
            got = 99;
            EXPECT_TRUE(ReadFile(port, area, read.count, &got, nullptr));
            EXPECT_EQ(std::string(area, got), read.got);
            double took = far.nowMs() - start;
            EXPECT_GE(took, read.endsAtMs);
            EXPECT_LE(took, read.endsAtMs + far.slackMs());
        }
        far.settle();
        COMMTIMEOUTS drain{kAll, 0, 0, 0, 0};
        ASSERT_TRUE(SetCommTimeouts(port, &drain));
        while (ReadFile(port, data, sizeof data, &got, nullptr) && got > 0) {
        }
    }

    // Written bytes are on the line, untranslated, by the time the tool
    // next waits for anything, here a read that finds nothing.
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port, kControl.data(), 9, &written, nullptr));
    EXPECT_EQ(written, 9u);
    EXPECT_TRUE(ReadFile(port, data, 1, &got, nullptr));
    EXPECT_EQ(far.received(), kControl);
    CloseHandle(port);
}
