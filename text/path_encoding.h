#pragma once

#include <string>

#include "text/text.h"

namespace board {

// A path Text (code page 936) as the operating system's file name, and back.
// The conversion round-trips every name the operating system can hold.
std::string PathToNative(const Text& path);
Text PathFromNative(const std::string& native);

}  // namespace board
