// The Win32 subset the tool calls, by its Win32 names.
//
// On Windows this is the real API. Elsewhere the same names, types and
// constants are declared here and implemented by one of two platforms chosen
// at link time: posix (termios and poll on a real serial device) or sim (an
// in-process simulated card on a simulated clock, for the tests).
#pragma once

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <conio.h>

// The runtime's millisecond sleep, which its headers mark deprecated; the
// tool keeps it, so the mark is silenced here and only here.
inline void win32Sleep(unsigned long milliseconds) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::_sleep(milliseconds);
#pragma GCC diagnostic pop
}
#define _sleep(milliseconds) win32Sleep(milliseconds)

#else

#include <cstdint>

typedef std::uint32_t DWORD;
typedef std::uint16_t WORD;
typedef std::uint8_t BYTE;
typedef int BOOL;
typedef void* HANDLE;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;
struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

#define TRUE 1
#define FALSE 0
#define MAXDWORD 0xFFFFFFFFu
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define FILE_ATTRIBUTE_READONLY 0x01u
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_NORMAL 0x80u

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define OPEN_EXISTING 3u
#define HIGH_PRIORITY_CLASS 0x80u

#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_GEN_FAILURE 31u
#define ERROR_INVALID_PARAMETER 87u

#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4
#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2
#define DTR_CONTROL_DISABLE 0
#define DTR_CONTROL_ENABLE 1
#define RTS_CONTROL_DISABLE 0
#define RTS_CONTROL_ENABLE 1
#define RTS_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_TOGGLE 3
#define CBR_9600 9600
#define CBR_115200 115200

// Port settings record, laid out as Win32's (28 bytes).
struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
};
typedef DCB* LPDCB;

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};
typedef COMMTIMEOUTS* LPCOMMTIMEOUTS;

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL GetCommState(HANDLE file, LPDCB dcb);
BOOL SetCommState(HANDLE file, LPDCB dcb);
BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
BOOL ReadFile(HANDLE file, LPVOID data, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID data, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped);
BOOL CloseHandle(HANDLE object);
DWORD GetLastError();
DWORD GetTickCount();
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
DWORD GetFileAttributesA(LPCSTR fileName);
HANDLE GetCurrentProcess();
BOOL SetPriorityClass(HANDLE process, DWORD priorityClass);

// The console runtime's millisecond sleep and unechoed key read.
void _sleep(unsigned long milliseconds);
int _getch();

// The console runtime's command interpreter. The tool runs only "PAUSE"
// through it; the platform gives that its Windows meaning (prompt, one key).
int win32System(const char* command);
#define system(command) win32System(command)

#endif
