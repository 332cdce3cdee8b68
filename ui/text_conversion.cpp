#include "ui/text_conversion.h"

#include "message/query_value.h"
#include "text/byte_seq.h"

namespace board {
namespace {

constexpr int kCodePage936 = 936;

}  // namespace

QString TextToQString(const Text& text) {
  const ByteSeq units = TextToUtf16(text, kCodePage936);
  QString result;
  result.reserve(static_cast<qsizetype>(units.Size() / 2));
  const unsigned char* bytes = units.Data();
  for (std::size_t i = 0; i + 1 < units.Size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == 0) break;
    result.append(QChar(unit));
  }
  return result;
}

Text QStringToText(const QString& string) {
  ByteSeq units;
  units.Resize(static_cast<std::size_t>(string.size() + 1) * 2);
  unsigned char* bytes = units.MutableData();
  for (qsizetype i = 0; i < string.size(); ++i) {
    const char16_t unit = string.at(i).unicode();
    bytes[2 * i] = static_cast<unsigned char>(unit & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(unit >> 8);
  }
  // The zero unit that ends the sequence is already there from Resize.
  return Utf16ToText(units, kCodePage936);
}

}  // namespace board
