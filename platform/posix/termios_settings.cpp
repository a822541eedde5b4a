#include "platform/posix/termios_settings.h"

namespace posix {

namespace {

struct Rate {
    DWORD baud;
    speed_t speed;
};

constexpr Rate kRates[] = {
    {50, B50},         {75, B75},       {110, B110},     {134, B134},     {150, B150},       {200, B200},
    {300, B300},       {600, B600},     {1200, B1200},   {1800, B1800},   {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

DWORD baudForSpeed(speed_t speed) {
    for (const Rate& rate : kRates) {
        if (rate.speed == speed) return rate.baud;
    }
    return CBR_9600;
}

}  // namespace

bool speedForBaud(DWORD baud, speed_t& speed) {
    for (const Rate& rate : kRates) {
        if (rate.baud == baud) {
            speed = rate.speed;
            return true;
        }
    }
    return false;
}

void makeRaw(termios& settings) {
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                               IXOFF | IXANY | INPCK);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | HUPCL);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}

bool applySettings(const DCB& dcb, termios& settings) {
    speed_t speed;
    if (!speedForBaud(dcb.BaudRate, speed)) return false;

    tcflag_t size;
    switch (dcb.ByteSize) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return false;
    }

    tcflag_t parity;
    switch (dcb.Parity) {
    case NOPARITY: parity = 0; break;
    case ODDPARITY: parity = PARENB | PARODD; break;
    case EVENPARITY: parity = PARENB; break;
#ifdef CMSPAR
    case MARKPARITY: parity = PARENB | PARODD | CMSPAR; break;
    case SPACEPARITY: parity = PARENB | CMSPAR; break;
#endif
    default: return false;
    }

    tcflag_t stop;
    switch (dcb.StopBits) {
    case ONESTOPBIT: stop = 0; break;
    case TWOSTOPBITS: stop = CSTOPB; break;
    default: return false;  // one and a half stop bits: termios has no such setting
    }

    tcflag_t cleared = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS;
#ifdef CMSPAR
    cleared |= CMSPAR;
#endif
    settings.c_cflag &= ~cleared;
    settings.c_cflag |= size | parity | stop;
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) settings.c_cflag |= CRTSCTS;
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    return true;
}

DCB settingsRecord(const termios& settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = baudForSpeed(cfgetospeed(&settings));
    dcb.fBinary = 1;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = (settings.c_cflag & CRTSCTS) != 0 ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    switch (settings.c_cflag & CSIZE) {
    case CS5: dcb.ByteSize = 5; break;
    case CS6: dcb.ByteSize = 6; break;
    case CS7: dcb.ByteSize = 7; break;
    default: dcb.ByteSize = 8; break;
    }
    if ((settings.c_cflag & PARENB) == 0) {
        dcb.Parity = NOPARITY;
    } else {
        bool odd = (settings.c_cflag & PARODD) != 0;
        bool sticky = false;
#ifdef CMSPAR
        sticky = (settings.c_cflag & CMSPAR) != 0;
#endif
        if (sticky) {
            dcb.Parity = odd ? MARKPARITY : SPACEPARITY;
        } else {
            dcb.Parity = odd ? ODDPARITY : EVENPARITY;
        }
    }
    dcb.StopBits = (settings.c_cflag & CSTOPB) != 0 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.XonChar = static_cast<char>(settings.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(settings.c_cc[VSTOP]);
    return dcb;
}

}  // namespace posix
