// The update files a run sends to the card, for the run's record: each
// command notes a file when it starts sending it, by the name it opened it
// by (relative to the working directory, which a run never changes).
#pragma once

constexpr int kMostFilesSent = 8;  // ALL sends six, MICRO four

// Notes `name`; a name noted before, or one past kMostFilesSent, is not
// noted again.
void noteFileSent(const char* name);

// Forgets the files noted: a new run starts.
void forgetFilesSent();

// How many files were noted, and each in the order noted.
int filesSentCount();
const char* fileSent(int index);
