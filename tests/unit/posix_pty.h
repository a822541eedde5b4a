// A pseudo-terminal for the posix platform's tests: the test plays the far
// end on the master side, the tool's calls open the slave by its path.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <unistd.h>
#ifdef __APPLE__
#include <util.h>
#else
#include <pty.h>
#endif

#include "platform/win32.h"

class PtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        slavePath = name;
    }

    void TearDown() override {
        if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
        if (master >= 0) ::close(master);
        ::close(slave);
    }

    // The device name the tool builds from an absolute port argument.
    std::string portName() const { return "\\\\.\\" + slavePath; }

    HANDLE openPort() {
        return CreateFileA(portName().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    }

    void openAndSetTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
        port = openPort();
        ASSERT_NE(port, INVALID_HANDLE_VALUE);
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

    int master = -1;
    int slave = -1;
    std::string slavePath;
    HANDLE port = INVALID_HANDLE_VALUE;
    double elapsedMs = 0;
};
