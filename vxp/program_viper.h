// VIPER: driver download, then the image, then the end of the run.
#pragma once

void ProgramViper(int device, const char* fileName);
