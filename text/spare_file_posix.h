#pragma once

// Internal to text/: replacing a file by swapping it with a spare beside it.

#include <initializer_list>
#include <string>

#include "text/byte_seq.h"
#include "text/file_handle_posix.h"

namespace board {

enum class SpareOutcome {
  kReplaced,     // the target now holds exactly the parts
  kFailed,       // nothing changed; trying another way would fail the same
  kUnavailable,  // no spare could be had; the target is untouched
};

// Writes the parts into the spare file of target and swaps the two names in
// one step, so that the spare keeps the old file's storage for the next write.
// old is the open, exclusively locked file that target named before, or a
// closed handle when there was none; it is emptied once it is the spare.
SpareOutcome ReplaceThroughSpare(const std::string& target,
                                 std::initializer_list<ByteSeq> parts,
                                 const FileHandle& old);

}  // namespace board
