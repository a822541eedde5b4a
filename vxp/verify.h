// VERIFY: reads a flash device back and counts the words that differ.
#pragma once

int verify(const char* filename, int device);
