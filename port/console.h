// The operator's side of a run: the console utilities (upper-casing, the
// reason a port cannot be opened, the time lines, the key prompts), why an
// update file is refused, the process's exit status, the line an
// interrupted run ends with, and the files the run sent, for its record.
#pragma once

#include <cstddef>

#include "platform/win32.h"

// ---- Console utilities ---------------------------------------------------

// Writes the upper-case copy of `argv`, NUL included, into `data`.
void caseSensitive(const char* argv, char* data);

// Writes the operator's sentence for the last error of a failed port open
// (at most 256 characters): a port that does not exist, one that another
// program holds, and on posix one the user has no permission to open,
// named by its device path.
void errorCheck(char* error);

// Prints the time since the tick `begin`: the "Time" form when `all` is 0,
// the "Total Time" form otherwise.
void printTime(DWORD begin, int all);

// Prints "Press a key to continue ... " and waits for one key, unechoed (the
// failure end of the flash commands).
void pressKeyToContinue();

// Prints "\nPress any key to continue\n" and waits for one key, unechoed
// (the failure end of EDID and GAMMA).
void pressAnyKeyToContinue();

// ---- Refused update files ------------------------------------------------
//
// Why an update file is refused, in the words the command prints. The
// checks of the update files fill one in; the commands print it as it is,
// and `updater --check` shows it on the file's line.
struct Refusal {
    char text[320] = "";
};

// Writes the printf-style reason into `why` (cut to fit) and returns false,
// so that a check can end with `return refuseFile(why, ...)`.
bool refuseFile(Refusal& why, const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Prints the reason as the command shows it.
void printRefusal(const Refusal& why);

// ---- Exit status ---------------------------------------------------------
//
// What the run did, for scripts and production lines. The console texts
// stay as they are; only the status tells.
enum ExitStatus : int {
    kExitDone = 0,     // the command did what was asked
    kExitFailed = 1,   // it ran and failed
    kExitRefused = 2,  // the command line or a file was refused before anything was sent
};

// Set by whichever step decides the outcome; the run starts as done.
extern int exitStatus;

// ---- The interrupt line --------------------------------------------------
//
// What the operator is told when he interrupts the run (Ctrl-C, Ctrl-Break,
// a signal, the console closed): "Interrupted." while the card holds nothing
// half done, otherwise what may be partly written and how to recover, e.g.
//   "Interrupted: device 5 may be partly written: run VIPER Device5.bin again."
// A command records the risk when it starts changing the card and clears it
// once the card is whole again; the platform prints the line and ends the
// run (see watchInterrupts in platform/win32.h).

// Starts watching for interrupts, with nothing at risk.
void watchForInterrupt();

// The command that repeats this run, for the recovery advice: the command
// word and, when given, the file argument as typed ("VIPER Device5.bin").
void setRerunCommand(const char* command, const char* fileName);

// From now on an interrupt may leave `risk` behind, a printf-style phrase
// such as "device %d may be partly written"; the line adds ": run <command>
// again." Replaces the risk recorded before.
void noteInterruptRisk(const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Nothing is at risk any more: an interrupt prints "Interrupted.".
void clearInterruptRisk();

// A run that failed while the card was at risk ends with the same advice,
// "<risk>: run <command> again." (device 5 may be partly written: run VIPER
// Device5.bin again.), on a line of its own before the run's last line;
// empty while nothing is at risk.
const char* recoveryAdvice();

// ---- The files a run sends -----------------------------------------------
//
// For the run's record: each command notes a file when it starts sending
// it, by the name it opened it by (relative to the working directory, which
// a run never changes).
constexpr int kMostFilesSent = 8;  // ALL sends six, MICRO four

// Notes `name`; a name noted before, or one past kMostFilesSent, is not
// noted again.
void noteFileSent(const char* name);

// Forgets the files noted: a new run starts.
void forgetFilesSent();

// How many files were noted, and each in the order noted.
int filesSentCount();
const char* fileSent(int index);
