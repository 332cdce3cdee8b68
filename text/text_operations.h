#pragma once

// Measuring, cutting, searching, case folding, replacing, splitting,
// comparing, joining and reading a number on Text values. Positions count
// bytes from 1; searches step over double-byte characters (a byte of 0x80 or
// above leads a two-byte character). Every function returns a fresh value and
// never changes its inputs; an omitted optional input is std::nullopt.

#include <initializer_list>
#include <optional>

#include "text/text.h"
#include "text/text_list.h"

namespace board {

int TextLength(const Text& t);
Text TextLeft(const Text& t, int n);
Text TextMid(const Text& t, int start, int n);
Text CharFromCode(int code);
int FindText(const Text& t, const Text& sought, std::optional<int> start,
             bool ignoreCase);
Text ToUpperAscii(const Text& t);
Text ToLowerAscii(const Text& t);
int TextToInt(const Text& t);
Text ReplaceText(const Text& t, const Text& sought,
                 std::optional<Text> replacement, std::optional<int> start,
                 std::optional<int> count, bool caseSensitive);
TextList SplitText(const Text& t, std::optional<Text> delimiter = std::nullopt,
                   std::optional<int> maxPieces = std::nullopt);
Text BlankText(int n);
int CompareText(const Text& a, const Text& b);
Text ConcatTexts(std::initializer_list<Text> texts);
int ListCount(const TextList& list);

}  // namespace board
