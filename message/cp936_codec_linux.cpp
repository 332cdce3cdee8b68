#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "message/cp936_codec.h"
#include "message/utf16_units.h"
#include "text/allocation.h"

namespace board {
namespace {

// glibc's "CP936" is the code page as Windows has it (0x80 is the euro
// sign). No //TRANSLIT or //IGNORE: what those give depends on the locale,
// so refused characters are replaced here, one at a time.
constexpr char kCodePage[] = "CP936";
constexpr char kUtf16[] = "UTF-16LE";

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) ReportMissing(to, from);
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  iconv_t Handle() const { return handle_; }

 private:
  // The conversion is a platform function the program cannot do without:
  // "无法找到指定DLL库文件“%s”中的输出命令“%s”".
  [[noreturn]] static void ReportMissing(const char* to, const char* from) {
    char message[160];
    std::snprintf(
        message, sizeof message,
        "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8"
        "DLL\xBF\xE2\xCE\xC4\xBC\xFE\xA1\xB0%s\xA1\xB1\xD6\xD0\xB5\xC4"
        "\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE\xA1\xB0%s->%s\xA1\xB1",
        "iconv", from, to);
    RaiseFatalError(message, 0, 0);
  }

  iconv_t handle_;
};

// Descriptors are opened once per thread and reused: opening one costs far
// more than a conversion of a request's few bytes.
iconv_t Decoder() {
  thread_local const Converter converter(kUtf16, kCodePage);
  return converter.Handle();
}

iconv_t Encoder() {
  thread_local const Converter converter(kCodePage, kUtf16);
  return converter.Handle();
}

struct Replacement {
  std::size_t skipped;     // input bytes the refused sequence takes
  std::string_view bytes;  // what stands for it in the output
};

// Runs the whole input through the descriptor, growing out as needed; where
// the converter refuses, refused(rest of input) says what to do. Every
// Replacement skips at least one byte, so the loop always ends.
template <class Refused>
void Convert(iconv_t descriptor, std::string_view input, ByteSeq& out,
             std::size_t expectedSize, Refused refused) {
  iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  std::size_t written = out.Size();
  out.Resize(written + expectedSize + 8);
  char* in = const_cast<char*>(input.data());  // iconv only reads it
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* outAt = reinterpret_cast<char*>(out.MutableData()) + written;
    std::size_t outLeft = out.Size() - written;
    const std::size_t result =
        iconv(descriptor, &in, &inLeft, &outAt, &outLeft);
    written = out.Size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.Resize(out.Size() * 2);
      continue;
    }
    const Replacement replacement = refused(std::string_view(in, inLeft));
    if (out.Size() - written < replacement.bytes.size()) {
      out.Resize(out.Size() * 2 + replacement.bytes.size());
    }
    std::copy(replacement.bytes.begin(), replacement.bytes.end(),
              out.MutableData() + written);
    written += replacement.bytes.size();
    const std::size_t skipped = std::min(replacement.skipped, inLeft);
    in += skipped;
    inLeft -= skipped;
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  }
  out.Resize(written);
}

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsTrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

Replacement RefusedCp936(std::string_view rest) {
  static constexpr char kReplacementUnit[] = "\xFD\xFF";  // U+FFFD
  const bool pair = rest.size() >= 2 &&
                    IsLeadByte(static_cast<unsigned char>(rest[0])) &&
                    IsTrailByte(static_cast<unsigned char>(rest[1]));
  return {pair ? 2u : 1u, std::string_view(kReplacementUnit, 2)};
}

unsigned UnitIn(std::string_view rest, std::size_t index) {
  return static_cast<unsigned char>(rest[2 * index]) |
         (unsigned{static_cast<unsigned char>(rest[2 * index + 1])} << 8);
}

Replacement RefusedUtf16(std::string_view rest) {
  const bool pair = rest.size() >= 4 &&
                    utf16::IsHighSurrogate(UnitIn(rest, 0)) &&
                    utf16::IsLowSurrogate(UnitIn(rest, 1));
  return pair ? Replacement{4, "??"} : Replacement{2, "?"};
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char byte) { return (byte & 0x80) == 0; });
}

}  // namespace

void AppendCp936AsUtf16(std::string_view bytes, ByteSeq& units) {
  if (IsAscii(bytes)) {  // the common case needs no converter
    units.Reserve(units.Size() + 2 * bytes.size());
    for (const char byte : bytes) utf16::AppendUnit(units, byte);
    return;
  }
  // Every byte gives at most one unit.
  Convert(Decoder(), bytes, units, 2 * bytes.size(), RefusedCp936);
}

void AppendUtf16AsCp936(const ByteSeq& units, std::size_t count, ByteSeq& out) {
  bool ascii = true;
  for (std::size_t i = 0; i < count && ascii; ++i) {
    ascii = utf16::UnitAt(units, i) < 0x80;
  }
  if (ascii) {
    const std::size_t base = out.Size();
    out.Resize(base + count);
    for (std::size_t i = 0; i < count; ++i) {
      out.MutableData()[base + i] =
          static_cast<unsigned char>(utf16::UnitAt(units, i));
    }
    return;
  }
  // Every unit gives at most two bytes.
  const std::string_view input(reinterpret_cast<const char*>(units.Data()),
                               2 * count);
  Convert(Encoder(), input, out, 2 * count, RefusedUtf16);
}

}  // namespace board
