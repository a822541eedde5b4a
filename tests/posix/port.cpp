// The posix port on a pty, the test the far end: the contract in real waits, device
// names, a far end that goes away, writes gathered until the tool waits.
#include <gtest/gtest.h>

#include <chrono>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>
#ifdef __APPLE__
#include <util.h>
#else
#include <pty.h>
#endif

#include "platform/posix/device_path.h"
#include "tests/support/platform_contract.h"

namespace {

class PtyFarEnd : public FarEnd {
public:
    PtyFarEnd() {
        char name[256] = {};
        EXPECT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        name_ = std::string("\\\\.\\") + name;  // as the tool builds it from an absolute path
    }
    ~PtyFarEnd() override {
        settle();
        if (master_ >= 0) ::close(master_);
        ::close(slave_);
    }
    std::string portName() const override { return name_; }
    std::string missingPortName() const override { return "\\\\.\\/dev/no-such-port"; }
    void send(const std::string& bytes, int afterMs) override {
        if (afterMs > 0) {
            senders_.emplace_back([this, bytes, afterMs] {
                std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
                write(bytes);
            });
            return;
        }
        write(bytes);
        pollfd arrived{slave_, POLLIN, 0};  // the bytes have reached the device
        ::poll(&arrived, 1, 1000);
    }
    void settle() override {
        for (std::thread& sender : senders_) sender.join();
        senders_.clear();
    }
    std::string received() override {
        std::string bytes;
        char chunk[256];
        pollfd waiting{master_, POLLIN, 0};
        while (::poll(&waiting, 1, 200) == 1) {
            ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n <= 0) break;
            bytes.append(chunk, static_cast<std::size_t>(n));
        }
        return bytes;
    }
    double nowMs() override {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    double slackMs() const override { return 5000; }

    HANDLE open() const {
        return CreateFileA(name_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    void hangUp() {
        ::close(master_);
        master_ = -1;
    }

private:
    void write(const std::string& bytes) const {
        EXPECT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int master_ = -1, slave_ = -1;
    std::string name_;
    std::vector<std::thread> senders_;
};

TEST(PosixPlatform, PortContract) {
    PtyFarEnd far;
    checkPortContract(far);
}

TEST(PosixPlatform, ComNamesMapToSerialDevicesAndPathsStayAsGiven) {
    // clang-format off
    const std::pair<const char*, const char*> names[] = {
        {"COM1", "/dev/ttyS0"}, {"com12", "/dev/ttyS11"}, {"COM999", "/dev/ttyS998"}, {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"COM0", ""}, {"COM01", ""}, {"COM1000", ""}, {"COM1X", ""}, {"COM", ""}, {"LPT1", ""}};
    // clang-format on
    for (auto& [name, path] : names) EXPECT_EQ(posix::devicePath(name), path) << name;
}

TEST(PosixPlatform, AReadFailsAtOnceWhenTheFarEndGoesAway) {
    PtyFarEnd far;
    HANDLE port = far.open();
    COMMTIMEOUTS timeouts{0, 0, 30000, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(port, &timeouts));
    far.hangUp();
    char data[4];
    DWORD got = 9;
    double start = far.nowMs();
    EXPECT_FALSE(ReadFile(port, data, 4, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_LT(far.nowMs() - start, 10000.0) << "the read waited for its 30 s";
    CloseHandle(port);
}

// Bytes written one by one are on the line by the next wait; bytes refused after
// their write returned fail the next write.
TEST(PosixPlatform, GatheredWritesGoOutBeforeAWaitAndARefusalFailsTheNextWrite) {
    PtyFarEnd far;
    HANDLE port = far.open();
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, 1, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(port, &timeouts));
    const std::string bytes("\x55\xAA\r\x00\xFF", 5);
    for (char byte : bytes) {
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(port, &byte, 1, &written, nullptr));
        EXPECT_EQ(written, 1u);
    }
    _sleep(1);
    EXPECT_EQ(far.received(), bytes);

    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port, "a", 1, &written, nullptr));
    far.hangUp();
    _sleep(1);
    EXPECT_FALSE(WriteFile(port, "b", 1, &written, nullptr));
    EXPECT_EQ(written, 0u);
    EXPECT_NE(GetLastError(), 0u);
    CloseHandle(port);
}

}  // namespace
