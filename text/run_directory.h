#pragma once

#include "text/text.h"

namespace board {

// The directory of the running executable without a trailing separator, fixed
// the first time it is asked for (start-up asks before anything else).
Text RunDirectory();

// The part of path before its last separator that is a character of its own
// (never the second byte of a two-byte character); empty when there is none.
Text DirectoryOf(const Text& path);

// Makes the run directory the process's current directory.
bool EnterRunDirectory();

}  // namespace board
