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

// The waits of the tool (sleep, port read, key, PAUSE) as the real API has
// them, with two additions implemented in platform/windows: standard output
// is flushed first, so that what was printed shows while the tool waits,
// and an interrupt (see watchInterrupts below) ends the run at the wait.
void win32Sleep(unsigned long milliseconds);
BOOL win32ReadFile(HANDLE file, LPVOID data, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
int win32Getch();
int win32System(const char* command);
#define _sleep(milliseconds) win32Sleep(milliseconds)
#define ReadFile win32ReadFile
#define _getch win32Getch
#define system(command) win32System(command)

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
#define ERROR_INSUFFICIENT_BUFFER 122u

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

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL GetCommState(HANDLE file, LPDCB dcb);
BOOL SetCommState(HANDLE file, LPDCB dcb);
BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
BOOL ReadFile(HANDLE file, LPVOID data, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID data, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
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

// Win32's mapping of a device name to the device behind it: "COM1" gives
// "/dev/ttyS0" on posix, an absolute path itself. Returns the characters
// stored, both NULs of the list included, or 0 (last error set).
DWORD QueryDosDeviceA(LPCSTR deviceName, char* targetPath, DWORD size);

// No such Win32 code is set for a port on Windows; posix sets it when the
// user lacks the permission to open a device.
#define ERROR_PRIVILEGE_NOT_HELD 1314u

#endif

// Interrupts: Ctrl-C, Ctrl-Break, a closed console; on posix SIGINT, SIGTERM
// and SIGHUP. From watchInterrupts() on, an interrupt ends the run at the
// tool's next wait (sleep, port read or write, key), or after two seconds
// if it never waits again: standard output is flushed, the current line
// ended, the interrupt line printed on a line of its own, the console's
// mode put back, and the process ends with status 130 (on posix by the
// signal itself: 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP). A second
// interrupt ends it at once.
void watchInterrupts();

// The interrupt line, "Interrupted." until set; the platform keeps a copy of
// at most 511 characters.
void setInterruptLine(const char* line);

// Called once when an interrupt ends the run at one of the tool's waits,
// after the interrupt line is printed, with the exit status the run ends
// with (for the run's record). Not called where the run is ended at once (a
// second interrupt, no wait within the two seconds): only what is safe in a
// signal handler runs there.
void atInterruptEnd(void (*record)(int status));

// The console runtime's formatted printing. The tool prints through the
// platform, which shows the text as printf does and keeps the last line it
// showed, for the run's record (a key prompt or PAUSE's text, printed
// otherwise, is shown and not kept).
int win32Printf(const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;
#define printf(...) win32Printf(__VA_ARGS__)

// The last line printed that holds more than white space, without the white
// space around it: what follows the last line end or carriage return, or the
// line before (at most 255 characters; empty before anything was printed).
const char* lastConsoleLine();
