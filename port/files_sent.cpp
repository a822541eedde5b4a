#include "port/files_sent.h"

#include <cstdio>
#include <cstring>

namespace {
char names[kMostFilesSent][256];
int count = 0;
}  // namespace

void noteFileSent(const char* name) {
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(names[i], name) == 0) return;
    }
    if (count == kMostFilesSent) return;
    std::snprintf(names[count++], sizeof names[0], "%s", name);
}

void forgetFilesSent() { count = 0; }

int filesSentCount() { return count; }

const char* fileSent(int index) { return names[index]; }
