// Commands whose handler this version of the tool does not have yet: they
// say so and fail, so that no run looks as if it had updated anything.
#pragma once

void reportUnavailable(const char* what);
