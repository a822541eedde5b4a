// The record of a run: when the environment variable UPDATER_LOG names a
// file, each run of a command appends one JSON line to it as it ends, done,
// failed, refused or interrupted alike. An append that fails is told in one
// warning on standard error and changes nothing else.
//
//   {"started": "2024-05-02T09:14:03Z", "ended": "2024-05-02T09:15:41Z",
//    "port": "COM1", "command": "VIPER", "file": "Device5.bin",
//    "files": [{"name": "FDriver.bin", "size": 8192, "sha256": "..."}, ...],
//    "card": {"model": "DVI TO SDI", "firmware": "V1.23", "variant": 2},
//    "status": 1, "last_line": "Device not setted !"}
//
// "file" and "card" are null when the run had none (a card in boot mode is
// not identified); "last_line", the last line the console showed before the
// closing "Exit updater", only when the status is not 0. "files" are the
// update files the command started to send, each hashed as it stands when
// the run ends: one way for every command (the FPGA file is served as the
// card asks for it, appMain.mot read record by record), and the form in
// which a release's files are checked; "sha256" is null, with "error", for
// a file that cannot be read then.
#pragma once

// At the run's start: its time and arguments. Also records an interrupted end.
void startRunRecord(int argc, char* argv[]);

// The card as identified: its model code (1 to 6), with the firmware
// version and variant read with it.
void recordCard(int model);

// Takes the last line the console showed, before the closing line.
void noteLastLine();

// Appends the run's line with its exit status, when UPDATER_LOG is set.
void finishRunRecord(int status);
