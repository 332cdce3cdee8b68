#include "text/text.h"

namespace board {
namespace {

std::string_view UpToFirstZero(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

Text::Text(const char* zeroTerminated) {
  if (zeroTerminated != nullptr) bytes_.assign(zeroTerminated);
}

Text::Text(std::string_view bytes) {
  const std::string_view kept = UpToFirstZero(bytes);
  bytes_.assign(kept.data(), kept.size());
}

void Text::Append(std::string_view bytes) {
  const std::string_view kept = UpToFirstZero(bytes);
  bytes_.append(kept.data(), kept.size());
}

void Text::Reserve(int bytes) {
  if (bytes > 0) bytes_.reserve(static_cast<std::size_t>(bytes));
}

}  // namespace board
