// The microcontroller's boot program as the serial line sees it, with the
// three kernels it is given: bit-rate matching at 9600 bit/s, the micro
// kernel echoed byte by byte and the flash erased, the micro kernel's
// parameter commands and its switch to 115200 bit/s, the main kernel, the
// write kernel, and the programming frames written into the flash. Every
// request is checked byte for byte; what is not exactly what the protocol
// gives is refused (sim/card_choices.h).
#pragma once

#include <cstdint>
#include <string>

#include "sim/boot/boot_answers.h"
#include "sim/boot/command_frames.h"
#include "sim/boot/kernel_load.h"
#include "sim/card_options.h"
#include "sim/line/busy_window.h"
#include "sim/line/reply_sink.h"
#include "sim/memory/card_memory.h"

namespace sim {

struct BootExchange;  // one command a kernel awaits, and its answers

class BootProgram {
public:
    BootProgram(const CardOptions& options, CardMemory& memory, ReplySink& out);

    std::uint32_t baud() const { return baud_; }

    // The microcontroller restarts into the boot program at `at`.
    void startAt(Nanos at);

    void receive(std::uint8_t byte, Nanos at);

private:
    enum class Stage {
        kMatching,      // 0x00 and 0x55
        kKernelLength,  // the micro kernel's two length bytes
        kKernelBytes,   // the micro kernel
        kCommands,      // the micro or main kernel's commands, in order
        kMainKernel,    // the main kernel being loaded
        kWriteKernel,   // the write kernel being loaded
        kProgramming,   // the write kernel's frames and status
        kHalted,        // after a failed erase, until the card restarts
    };
    void matching(std::uint8_t byte, Nanos at);
    void microKernel(std::uint8_t byte, Nanos at);
    void command(const std::string& frame, Nanos at);
    void kernelLoaded(KernelLoad::Result result, BootStep step, Nanos at);
    void programming(const std::string& frame, Nanos at);
    void refuse(Nanos at);

    CardMemory& memory_;
    BootAnswers answers_;
    BusyWindow busy_;
    Stage stage_ = Stage::kMatching;
    std::uint32_t baud_;
    bool rateMatched_ = false;
    int lengthBytes_ = 0;
    std::uint32_t kernelLength_ = 0;
    std::uint32_t kernelReceived_ = 0;
    const BootExchange* exchanges_ = nullptr;  // the commands still awaited, in order
    const BootExchange* exchangesEnd_ = nullptr;
    CommandFrames frames_;
    KernelLoad mainKernel_;
    KernelLoad writeKernel_;
    bool vectorArea_ = true;  // the write kernel has not been asked its status yet
};

}  // namespace sim
