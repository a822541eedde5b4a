// The commands over the firmware's text channel.
#pragma once

void ProgramFPGA(const char* fileName);
void ProgramEDID(const char* fileName);
void ProgramGamma(const char* fileName);
void ProgramALL(int device1Present, int device5Present, int fpgaPresent, int edidPresent);
void Remote(const char* fileName);
