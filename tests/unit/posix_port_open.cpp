// Opening and configuring ports on the posix platform: device names, the
// refusals the tool tells the operator about, and settings that reach termios.
#include <sys/file.h>
#include <termios.h>

#include "platform/posix/device_path.h"
#include "platform/posix/termios_settings.h"
#include "tests/unit/posix_pty.h"

namespace {

using PosixPortOpen = PtyTest;

TEST(PosixDevicePath, ComNamesMapToSerialDevicesAndPathsStayAsGiven) {
    EXPECT_EQ(posix::devicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(posix::devicePath("com12"), "/dev/ttyS11");
    EXPECT_EQ(posix::devicePath("COM256"), "/dev/ttyS255");
    EXPECT_EQ(posix::devicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(posix::devicePath("COM0"), "");
    EXPECT_EQ(posix::devicePath("COM01"), "");
    EXPECT_EQ(posix::devicePath("COM257"), "");
    EXPECT_EQ(posix::devicePath("COM1X"), "");
    EXPECT_EQ(posix::devicePath("COM"), "");
    EXPECT_EQ(posix::devicePath("LPT1"), "");
}

TEST_F(PosixPortOpen, MissingDeviceIsError2) {
    EXPECT_EQ(CreateFileA("\\\\.\\/dev/no-such-port", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(CreateFileA("\\\\.\\LPT1", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(PosixPortOpen, NonTerminalIsNoPort) {
    EXPECT_EQ(CreateFileA("\\\\.\\/dev/null", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                          nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(PosixPortOpen, DeviceHeldElsewhereIsError5UntilReleased) {
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

TEST_F(PosixPortOpen, SettingsReachTermiosAndOtherFieldsAreKept) {
    port = openPort();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    termios before{};
    ASSERT_EQ(::tcgetattr(slave, &before), 0);
    EXPECT_EQ(before.c_lflag & (ICANON | ECHO | ISIG), 0u);

    DCB dcb{};
    ASSERT_TRUE(GetCommState(port, &dcb));
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);

    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 7;
    dcb.Parity = EVENPARITY;
    dcb.StopBits = TWOSTOPBITS;
    dcb.XonLim = 77;
    ASSERT_TRUE(SetCommState(port, &dcb));
    termios applied{};
    ASSERT_EQ(::tcgetattr(slave, &applied), 0);
    EXPECT_EQ(cfgetospeed(&applied), static_cast<speed_t>(B9600));
    // A pseudo-terminal keeps 8 data bits and no parity whatever it is told;
    // LineFieldsTakeTheirTermiosFormAndBack checks those two.
    EXPECT_EQ(applied.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));

    DCB again{};
    ASSERT_TRUE(GetCommState(port, &again));
    EXPECT_EQ(again.XonLim, 77);

    again.BaudRate = CBR_115200;
    again.ByteSize = 8;
    again.Parity = NOPARITY;
    again.StopBits = ONESTOPBIT;
    ASSERT_TRUE(SetCommState(port, &again));
    ASSERT_EQ(::tcgetattr(slave, &applied), 0);
    EXPECT_EQ(cfgetospeed(&applied), static_cast<speed_t>(B115200));
    EXPECT_EQ(applied.c_cflag & CSTOPB, 0u);
}

TEST(PosixTermiosSettings, LineFieldsTakeTheirTermiosFormAndBack) {
    termios settings{};
    posix::makeRaw(settings);
    DCB dcb = posix::settingsRecord(settings);
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 7;
    dcb.Parity = ODDPARITY;
    dcb.StopBits = TWOSTOPBITS;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    ASSERT_TRUE(posix::applySettings(dcb, settings));
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(settings.c_cflag & (PARENB | PARODD | CSTOPB | CRTSCTS),
              static_cast<tcflag_t>(PARENB | PARODD | CSTOPB | CRTSCTS));
    EXPECT_EQ(cfgetispeed(&settings), static_cast<speed_t>(B9600));

    DCB back = posix::settingsRecord(settings);
    EXPECT_EQ(back.BaudRate, 9600u);
    EXPECT_EQ(back.ByteSize, 7);
    EXPECT_EQ(back.Parity, ODDPARITY);
    EXPECT_EQ(back.StopBits, TWOSTOPBITS);
    EXPECT_EQ(back.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));

    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    ASSERT_TRUE(posix::applySettings(dcb, settings));
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B115200));
}

TEST_F(PosixPortOpen, UnsupportedSettingsAreRefusedWithError87) {
    port = openPort();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    DCB dcb{};
    ASSERT_TRUE(GetCommState(port, &dcb));
    DCB odd = dcb;
    odd.BaudRate = 12345;
    EXPECT_FALSE(SetCommState(port, &odd));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    odd = dcb;
    odd.StopBits = ONE5STOPBITS;
    EXPECT_FALSE(SetCommState(port, &odd));
    COMMTIMEOUTS never{MAXDWORD, MAXDWORD, MAXDWORD, 0, 0};
    EXPECT_FALSE(SetCommTimeouts(port, &never));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
