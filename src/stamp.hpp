// The stamping run: from the target's name to the exit code.
#pragma once

#include "platform/platform.hpp"

// Writes the code-page mark into the table named by argument 1, or by one
// line of standard input when there is none. Gives the exit code; after an
// I/O failure it has printed the report.
int RunStamp(Platform& os);
