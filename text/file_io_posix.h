#pragma once

// Internal to text/: the system-call loops the whole-file operations share.

#include <initializer_list>
#include <string>

#include "text/byte_seq.h"

namespace board {

// Writes every part in order from the current offset; false on any error or
// when the file takes no more bytes.
bool WriteAllParts(int fd, std::initializer_list<ByteSeq> parts);

// Fills into from the current offset; stops early at the end of the file and
// shortens into to what was read. False on a read error.
bool ReadAll(int fd, ByteSeq& into);

// True when the open file fd is the regular file that name now names, with no
// other name: a file that nothing else can reach through another link.
bool IsSoleNameOf(int fd, const std::string& name);

// Directory part of a native path, separator included ("" for a bare name).
std::string DirectoryPrefix(const std::string& path);

}  // namespace board
