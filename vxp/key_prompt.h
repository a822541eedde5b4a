// The key prompt that ends a failed flash command.
#pragma once

// Prints "Press a key to continue ... " and waits for one key, unechoed.
void pressKeyToContinue();
