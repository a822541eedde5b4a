// ALL's check of every file it will send, before anything goes to the
// card: the drivers and images as VIPER judges them, the EDID image's size
// and the FPGA file's readability.
#pragma once

// Prints why each refused file is refused; true when every file of the
// steps to run is acceptable.
bool updateFilesAcceptable(bool device1, bool device5, bool fpga, bool edid);
