// MICRO on a card that runs its firmware: switch to boot mode, then program.
#pragma once

void ProgramMicro();
