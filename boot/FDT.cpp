#include "boot/FDT.h"

#include "boot/boot_parameters.h"
#include "boot/communication_check.h"
#include "boot/image_writing.h"
#include "boot/kernel_downloads.h"
#include "boot/micro_kernel.h"
#include "port/exit_status.h"

namespace {
constexpr int kNoBootProgramResult = 55;
constexpr int kRunEnded = 1;
}  // namespace

int FDT(HANDLE port, DCB dcb, COMMTIMEOUTS, char*) {
    exitStatus = kExitFailed;
    unsigned char WriteBuf[5000];
    unsigned char ReadBuf[4000];

    CheckResult check = checkCommunication(port, ReadBuf);
    if (check == kNoBootProgram) return kNoBootProgramResult;
    if (check == kCheckFailed) return kRunEnded;

    if (sendMicroKernel(port, WriteBuf, ReadBuf) && setParameters(port, dcb, ReadBuf) &&
        sendMainKernel(port, WriteBuf, ReadBuf) && sendWriteKernel(port, WriteBuf, ReadBuf) &&
        writeImage(port, ReadBuf)) {
        exitStatus = kExitDone;
    }
    return kRunEnded;
}
