// Serial ports of the posix platform on a pseudo-terminal (the test plays the
// far end on the master side): device names, the refusals the tool tells the
// operator about, settings that reach termios, and reads and writes with the
// Win32 time-out meaning in real (short) waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <termios.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#ifdef __APPLE__
#include <util.h>
#else
#include <pty.h>
#endif

#include "platform/posix/device_path.h"
#include "platform/posix/termios_settings.h"
#include "platform/win32.h"

namespace {

class PosixPort : public ::testing::Test {
protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        portName = std::string("\\\\.\\") + name;  // as the tool builds it from an absolute path
    }
    void TearDown() override {
        if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
        if (master >= 0) ::close(master);
        ::close(slave);
    }
    HANDLE openPort() const {
        return CreateFileA(portName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    void setTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
        if (port == INVALID_HANDLE_VALUE) port = openPort();
        COMMTIMEOUTS timeouts{interval, multiplier, constant, 0, 0};
        ASSERT_TRUE(SetCommTimeouts(port, &timeouts));
    }
    void sendFromCard(const std::string& bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads on the tool's side; `elapsedMs` is the real time the read took.
    std::string read(DWORD count, BOOL expected = TRUE) {
        char data[256] = {};
        DWORD got = 999;
        auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(ReadFile(port, data, count, &got, nullptr), expected);
        elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        return std::string(data, got);
    }

    int master = -1, slave = -1;
    std::string portName;
    HANDLE port = INVALID_HANDLE_VALUE;
    double elapsedMs = 0;
};

TEST(PosixDevicePath, ComNamesMapToSerialDevicesAndPathsStayAsGiven) {
    const std::pair<const char*, const char*> names[] = {
        {"COM1", "/dev/ttyS0"}, {"com12", "/dev/ttyS11"}, {"COM999", "/dev/ttyS998"}, {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"COM0", ""}, {"COM01", ""}, {"COM1000", ""}, {"COM1X", ""}, {"COM", ""}, {"LPT1", ""}};
    for (auto& [name, path] : names) EXPECT_EQ(posix::devicePath(name), path) << name;
}

TEST_F(PosixPort, MissingDevicesAndNonTerminalsAreError2) {
    for (const char* name : {"\\\\.\\/dev/no-such-port", "\\\\.\\LPT1", "\\\\.\\/dev/null"}) {
        EXPECT_EQ(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << name;
    }
}

TEST_F(PosixPort, DeviceHeldElsewhereIsError5UntilReleased) {
    ASSERT_EQ(::flock(slave, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(openPort(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_EQ(::flock(slave, LOCK_UN), 0);
    port = openPort();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    EXPECT_EQ(openPort(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_NE(::flock(slave, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE(CloseHandle(port));
    port = openPort();
    EXPECT_NE(port, INVALID_HANDLE_VALUE);
}

// The line fields a settings record carries.
auto lineFields(const DCB& dcb) {
    return std::make_tuple(dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits, static_cast<DWORD>(dcb.fRtsControl));
}

TEST_F(PosixPort, SettingsReachTermiosOtherFieldsAreKeptAndTheUnsupportedAreError87) {
    setTimeouts(0, 0, 0);
    termios applied{};
    ASSERT_EQ(::tcgetattr(slave, &applied), 0);
    EXPECT_EQ(applied.c_lflag & (ICANON | ECHO | ISIG), 0u);
    DCB dcb{};
    ASSERT_TRUE(GetCommState(port, &dcb));
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    dcb.XonLim = 77;
    for (DWORD baud : {CBR_9600, CBR_115200}) {
        dcb.BaudRate = baud;
        dcb.StopBits = baud == CBR_9600 ? TWOSTOPBITS : ONESTOPBIT;
        ASSERT_TRUE(SetCommState(port, &dcb));
        ASSERT_EQ(::tcgetattr(slave, &applied), 0);
        EXPECT_EQ(cfgetospeed(&applied), static_cast<speed_t>(baud == CBR_9600 ? B9600 : B115200));
        EXPECT_EQ(applied.c_cflag & CSTOPB, baud == CBR_9600 ? static_cast<tcflag_t>(CSTOPB) : 0u);
    }
    DCB odd{};
    ASSERT_TRUE(GetCommState(port, &odd));
    EXPECT_EQ(odd.XonLim, 77);
    odd.BaudRate = 12345;
    EXPECT_FALSE(SetCommState(port, &odd));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    dcb.StopBits = ONE5STOPBITS;
    EXPECT_FALSE(SetCommState(port, &dcb));
    COMMTIMEOUTS never{MAXDWORD, MAXDWORD, MAXDWORD, 0, 0};
    EXPECT_FALSE(SetCommTimeouts(port, &never));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// A pseudo-terminal keeps 8 data bits and no parity whatever it is told:
// those go through the termios record alone.
TEST(PosixTermiosSettings, LineFieldsTakeTheirTermiosFormAndBack) {
    termios settings{};
    posix::makeRaw(settings);
    DCB dcb = posix::settingsRecord(settings);
    for (bool seven : {true, false}) {
        dcb.BaudRate = seven ? CBR_9600 : CBR_115200;
        dcb.ByteSize = seven ? 7 : 8;
        dcb.Parity = seven ? ODDPARITY : NOPARITY;
        dcb.StopBits = seven ? TWOSTOPBITS : ONESTOPBIT;
        dcb.fRtsControl = seven ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
        ASSERT_TRUE(posix::applySettings(dcb, settings));
        EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS),
                  seven ? static_cast<tcflag_t>(CS7 | PARENB | PARODD | CSTOPB | CRTSCTS) : static_cast<tcflag_t>(CS8));
        EXPECT_EQ(cfgetispeed(&settings), static_cast<speed_t>(seven ? B9600 : B115200));
        EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(seven ? B9600 : B115200));
        if (seven) {  // termios has no "RTS off": that one comes back on
            EXPECT_EQ(lineFields(posix::settingsRecord(settings)), lineFields(dcb));
        }
    }
}

const std::string kControl("\r\n\x03\x04\x11\x13\x7f\xff\x00", 9);

struct TimedRead {
    const char* what;
    DWORD interval, multiplier, constant;
    std::string sent;
    int sentAfterMs;  // 0: waiting before the read
    DWORD count;
    std::string got;
    double atLeastMs, belowMs;
};

TEST_F(PosixPort, ReadsKeepTheirTimeoutMeaning) {
    const TimedRead cases[] = {
        {"polling, silent: its millisecond", MAXDWORD, MAXDWORD, 1, "", 0, 10, "", 1, 500},
        {"polling, bytes waiting: at once", MAXDWORD, MAXDWORD, 50, "abc", 0, 10, "abc", 0, 25},
        {"polling: the first byte", MAXDWORD, MAXDWORD, 5000, "Z", 20, 10, "Z", 10, 2500},
        {"full count short: the total", 0, 0, 30, "xy", 0, 5, "xy", 30, 2500},
        {"full count", 0, 0, 30, "12345678", 0, 5, "12345", 0, 25},
        {"full count, the rest", 0, 0, 30, "", 0, 3, "678", 0, 25},
        {"interval after a gap", 5, 0, 5000, "ab", 0, 10, "ab", 0, 2500},
        {"bytes untranslated", 0, 0, 200, kControl, 0, 9, kControl, 0, 25},
    };
    for (const TimedRead& c : cases) {
        setTimeouts(c.interval, c.multiplier, c.constant);
        std::thread card([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(c.sentAfterMs));
            sendFromCard(c.sent);
        });
        if (c.sentAfterMs == 0) card.join();
        pollfd waiting{slave, POLLIN, 0};  // the bytes have reached the device
        EXPECT_TRUE(c.sentAfterMs != 0 || c.got.empty() || ::poll(&waiting, 1, 1000) == 1) << c.what;
        EXPECT_EQ(read(c.count), c.got) << c.what;
        if (card.joinable()) card.join();
        EXPECT_GE(elapsedMs, c.atLeastMs) << c.what;
        EXPECT_LT(elapsedMs, c.belowMs) << c.what;
    }
}

TEST_F(PosixPort, WrittenBytesPassUntranslated) {
    setTimeouts(0, 0, 200);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port, kControl.data(), 9, &written, nullptr));
    EXPECT_EQ(written, 9u);
    char out[16] = {};
    std::size_t got = 0;
    for (int attempt = 0; attempt < 100 && got < 9; ++attempt) {
        ssize_t n = ::read(master, out + got, sizeof out - got);
        if (n > 0) got += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(std::string(out, got), kControl);
}

TEST_F(PosixPort, ReadFailsWhenTheFarEndGoesAway) {
    setTimeouts(0, 0, 2000);
    ::close(master);
    master = -1;
    EXPECT_EQ(read(4, FALSE), "");
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_LT(elapsedMs, 1000.0);
}

TEST_F(PosixPort, PrintedTextShowsBeforeAReadWaits) {
    setTimeouts(MAXDWORD, MAXDWORD, 1);
    std::FILE* shown = std::tmpfile();
    ASSERT_NE(shown, nullptr);
    std::fflush(stdout);
    int saved = ::dup(STDOUT_FILENO);
    ::dup2(::fileno(shown), STDOUT_FILENO);
    std::fputs("\rJob at 50.00 %", stdout);
    read(1);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    char text[32] = {};
    ssize_t length = ::pread(::fileno(shown), text, sizeof text, 0);
    EXPECT_EQ(std::string(text, static_cast<std::size_t>(std::max<ssize_t>(length, 0))), "\rJob at 50.00 %");
    std::fclose(shown);
}

TEST(PosixPortCalls, CallsOnHandlesNotOpenFailWithError6) {
    char data[4];
    DWORD got = 0;
    int notAHandle = 0;
    EXPECT_FALSE(ReadFile(&notAHandle, data, 4, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(&notAHandle));
}

}  // namespace
