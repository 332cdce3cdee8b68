#pragma once

#include "text/text.h"

namespace board {

// The directory of the running executable without a trailing separator, fixed
// the first time it is asked for (start-up asks before anything else).
Text RunDirectory();

// Makes the run directory the process's current directory.
bool EnterRunDirectory();

}  // namespace board
