// The check of the firmware file before anything is sent to the card, so
// that a programming run never starts on a file its readers would misread:
// every record up to the end-of-image record well formed, the S3 records
// (the only ones whose bytes are taken) with a right checksum, the first
// 1024 data bytes in whole 128-byte blocks, the rest within the image
// buffer, and an end-of-image record. What follows that record is never
// read, so it may hold anything.
#pragma once

// True when the file `name` can be written as it is. Otherwise prints
// "Bad appMain.mot file. Exit.\n" and one line with the line of the file and
// the reason, and returns false.
bool appMainFileValid(const char* name);
