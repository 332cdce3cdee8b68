#pragma once

// Internal to text/: the fresh files that a whole-file write fills before it
// renames them over their target.

#include <string>

#include "text/file_handle_posix.h"

namespace board {

// Creates a new file, locked exclusively, in the directory of the native path
// target, and tells its name. A closed handle when none can be made.
FileHandle CreateTemporaryBeside(const std::string& target, std::string& name);

// Removes what writers that were killed before their rename left in the
// directory of target; each directory is swept once per process.
void RemoveLeftoverTemporariesOnce(const std::string& target);

}  // namespace board
