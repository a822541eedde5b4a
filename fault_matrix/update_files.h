// The update files of the matrix's runs and the old contents of the card's
// memories, drawn from a run's dice, and what the files become on the card.
#pragma once

#include <cstddef>
#include <utility>

#include "fault_matrix/dice.h"
#include "fault_matrix/memories.h"

namespace matrix {

// A device image of 1 (devices 5 and 7: 256) to 4000 random bytes, or 20000 when `large`.
Bytes deviceImage(Dice& dice, int device, bool large = false);

// A 128- or 256-byte EDID whose blocks each sum to 0 modulo 256.
Bytes edidImage(Dice& dice);

// A gamma table file of random values, and the table the card should keep
// (3072 big-endian values, line by line, red, green and blue).
std::pair<Bytes, Bytes> gammaTable(Dice& dice);

// Firmware data for appMain.mot: 1024 to 5000 random bytes.
Bytes firmwareData(Dice& dice);

// Where the boot-mode programmer puts `data`: the first 1024 bytes at 0,
// the rest from 0x800, the bytes between them unwritten (0xFF).
Bytes microFlashOf(const Bytes& data);

// The size of an XSVF sample: 256 to 30000 bytes.
std::size_t fpgaSize(Dice& dice);

// Old contents in most memories, so that a write nobody asked for shows.
Memories oldContents(Dice& dice);

}  // namespace matrix
