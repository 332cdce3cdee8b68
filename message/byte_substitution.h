#pragma once

// Replacing a byte pattern inside a byte sequence; positions count from 1.

#include <optional>
#include <vector>

#include "text/byte_seq.h"

namespace board {

ByteSeq ReplaceBytes(const ByteSeq& source, const ByteSeq& pattern,
                     const ByteSeq& replacement,
                     std::optional<int> start = std::nullopt,
                     std::optional<int> count = std::nullopt);
int FindAllBytes(const ByteSeq& source, const ByteSeq& pattern,
                 std::vector<int>& positions,
                 std::optional<int> start = std::nullopt);
int FindBytes(const ByteSeq& source, const ByteSeq& pattern, int start);
ByteSeq SpliceBytes(const ByteSeq& sequence, int position, int length,
                    const ByteSeq& replacement);
ByteSeq BytesLeft(const ByteSeq& sequence, int n);
ByteSeq BytesRight(const ByteSeq& sequence, int n);

}  // namespace board
