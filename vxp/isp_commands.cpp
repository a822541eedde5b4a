#include "vxp/isp_commands.h"

#include "link/isp_link.h"

int sendSetIspMode(std::uint16_t mode, int device, DWORD start, DWORD length, unsigned long wait) {
    std::uint16_t msg[8] = {0x5502,
                            mode,
                            static_cast<std::uint16_t>(device),
                            static_cast<std::uint16_t>(start & 0xFFFF),
                            static_cast<std::uint16_t>(start >> 16),
                            static_cast<std::uint16_t>(length & 0xFFFF),
                            static_cast<std::uint16_t>(length >> 16),
                            0};
    std::uint16_t reply[18] = {};
    return sendISPCmd(msg, reply, wait);
}

int sendStatusRequest(std::uint16_t* request, std::uint16_t* reply) {
    request[0] = 0x0632;
    request[1] = 0x0000;
    return sendISPCmd(request, reply, 0);
}

bool deviceSelected(int device) {
    std::uint16_t request[3];
    std::uint16_t reply[18] = {};
    if (!sendStatusRequest(request, reply)) {
        printf("Unable to send cmd.\n");
        return false;
    }
    if ((reply[1] & 0xFF) != device) {
        printf("Device not setted !\n");
        return false;
    }
    return true;
}
