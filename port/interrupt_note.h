// What the operator is told when he interrupts the run (Ctrl-C, Ctrl-Break,
// a signal, the console closed): "Interrupted." while the card holds nothing
// half done, otherwise what may be partly written and how to recover, e.g.
//   "Interrupted: device 5 may be partly written: run VIPER Device5.bin again."
// A command records the risk when it starts changing the card and clears it
// once the card is whole again; the platform prints the line and ends the
// run (see watchInterrupts in platform/win32.h).
#pragma once

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
