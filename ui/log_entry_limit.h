#pragma once

#include "text/text.h"

namespace board {

// The most the log shows of one appended text, in bytes. A query logs the
// whole stored message; laying out megabytes (or tens of thousands of lines)
// of it would hold the window's one thread, and every client with it, for
// seconds.
inline constexpr int kMaxShownEntryBytes = 4096;

// text when it is at most maxBytes long; otherwise its first maxBytes bytes
// (never cutting a double-byte character in two), "…", and the line end that
// ended text, if any.
Text LimitShownLength(const Text& text, int maxBytes = kMaxShownEntryBytes);

}  // namespace board
