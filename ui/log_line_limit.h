#pragma once

#include "text/text.h"

namespace board {

// The longest line the log shows, in bytes. A query logs the whole stored
// message; laying out a line of many megabytes would hold the window's one
// thread (and every client with it) for seconds.
inline constexpr int kMaxShownLineBytes = 4096;

// text with every line longer than maxBytes cut after maxBytes bytes (never
// inside a double-byte character) and marked with "…". Line ends are kept.
Text LimitLineLengths(const Text& text, int maxBytes = kMaxShownLineBytes);

}  // namespace board
