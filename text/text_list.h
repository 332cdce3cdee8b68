#pragma once

#include <vector>

#include "text/allocation.h"
#include "text/text.h"

namespace board {

// An ordered list of Text, addressed from 1 to Count(). It may be empty and
// may hold empty elements.
class TextList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // index runs from 1 to Count().
  const Text& operator[](int index) const { return items_.at(index - 1); }
  void Add(Text item) { items_.push_back(std::move(item)); }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<Text, ReportingAllocator<Text>> items_;
};

}  // namespace board
