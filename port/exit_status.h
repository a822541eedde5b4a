// The process's exit status: what the run did, for scripts and production
// lines. The console texts stay as they are; only the status tells.
#pragma once

enum ExitStatus : int {
    kExitDone = 0,     // the command did what was asked
    kExitFailed = 1,   // it ran and failed
    kExitRefused = 2,  // the command line or a file was refused before anything was sent
};

// Set by whichever step decides the outcome; the run starts as done.
extern int exitStatus;
