#include "boot/FDT.h"

#include "boot/boot_parameters.h"
#include "boot/communication_check.h"
#include "boot/image_writing.h"
#include "boot/kernel_downloads.h"
#include "boot/micro_kernel.h"
#include "port/exit_status.h"
#include "port/interrupt_note.h"

namespace {
constexpr int kNoBootProgramResult = 55;
constexpr int kRunEnded = 1;
}  // namespace

int FDT(HANDLE port, DCB dcb, COMMTIMEOUTS, char*) {
    exitStatus = kExitFailed;
    // From here on the microcontroller runs only its boot program until it is
    // programmed and rebooted; once the micro kernel has gone, its flash is
    // erased and written.
    noteInterruptRisk("the card stays in boot mode");
    unsigned char WriteBuf[5000];
    unsigned char ReadBuf[4000];

    CheckResult check = checkCommunication(port, ReadBuf);
    if (check == kNoBootProgram) return kNoBootProgramResult;
    if (check == kCheckFailed) return kRunEnded;

    if (!sendMicroKernel(port, WriteBuf, ReadBuf)) return kRunEnded;
    noteInterruptRisk("the microcontroller's flash may be partly written and the card stays in boot mode");
    if (setParameters(port, dcb, ReadBuf) && sendMainKernel(port, WriteBuf, ReadBuf) &&
        sendWriteKernel(port, WriteBuf, ReadBuf) && writeImage(port, ReadBuf)) {
        exitStatus = kExitDone;
        clearInterruptRisk();
    }
    return kRunEnded;
}
