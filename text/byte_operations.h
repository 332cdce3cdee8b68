#pragma once

// Byte sequences and their conversions to and from Text and numbers.

#include <initializer_list>

#include "text/byte_seq.h"
#include "text/text.h"

namespace board {

int BytesLength(const ByteSeq& b);
ByteSeq TextToBytes(const Text& t);
Text BytesToText(const ByteSeq& b);
Text IntToText(int n);
ByteSeq BlankBytes(int n);
// A copy of the n bytes at address; n of 0 or less gives the empty ByteSeq.
ByteSeq BytesFromMemory(const unsigned char* address, int n);
ByteSeq ConcatBytes(std::initializer_list<ByteSeq> parts);
bool CompareBytes(const ByteSeq& a, const ByteSeq& b);
int TruncateToInt(double x);

}  // namespace board
