#include <iconv.h>

#include <algorithm>
#include <bitset>
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

// The end of a ByteSeq being written: room is added by doubling and the
// unused rest cut off once at the end, so repeated conversions into the same
// result stay linear.
class Output {
 public:
  explicit Output(ByteSeq& bytes) : bytes_(bytes), written_(bytes.Size()) {}
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void MakeRoom(std::size_t room) {
    if (bytes_.Size() - written_ < room) {
      bytes_.Resize(std::max(2 * bytes_.Size(), written_ + room));
    }
  }
  char* At() {
    return reinterpret_cast<char*>(bytes_.MutableData()) + written_;
  }
  std::size_t Room() const { return bytes_.Size() - written_; }
  void Advance(std::size_t count) { written_ += count; }
  void Append(std::string_view part) {
    MakeRoom(part.size());
    std::copy(part.begin(), part.end(), At());
    written_ += part.size();
  }
  void Finish() { bytes_.Resize(written_); }

 private:
  ByteSeq& bytes_;
  std::size_t written_;
};

// Converts input until its end or the first sequence the converter refuses;
// returns the input bytes used.
std::size_t ConvertUntilRefused(iconv_t descriptor, std::string_view input,
                                Output& out, std::size_t expectedSize) {
  iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  out.MakeRoom(expectedSize + 8);
  char* in = const_cast<char*>(input.data());  // iconv only reads it
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* outAt = out.At();
    std::size_t outLeft = out.Room();
    const std::size_t result =
        iconv(descriptor, &in, &inLeft, &outAt, &outLeft);
    out.Advance(out.Room() - outLeft);
    if (result != static_cast<std::size_t>(-1) || errno != E2BIG) break;
    out.MakeRoom(2 * out.Room() + 8);
  }
  return input.size() - inLeft;
}

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsTrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// How many bytes of the refused sequence at the start of rest make one
// character: a lead byte with a trail byte after it is one pair.
std::size_t RefusedLength(std::string_view rest) {
  return rest.size() >= 2 && IsLeadByte(static_cast<unsigned char>(rest[0])) &&
                 IsTrailByte(static_cast<unsigned char>(rest[1]))
             ? 2
             : 1;
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char byte) { return (byte & 0x80) == 0; });
}

// The converter's verdict on a unit never changes, and asking for it again is
// costly: after a refusal glibc redoes the conversion of what it was given,
// so each thread remembers the units it was refused, and hands the converter
// runs of bounded length.
constexpr std::size_t kRunUnits = 512;

std::bitset<0x10000>& RefusedUnits() {
  thread_local std::bitset<0x10000> refused;
  return refused;
}

// Code page 936 has no character beyond U+FFFF, so surrogates are never
// handed to the converter.
bool IsKnownRefused(unsigned unit) {
  return utf16::IsHighSurrogate(unit) || utf16::IsLowSurrogate(unit) ||
         RefusedUnits().test(unit);
}

// "??" for a surrogate pair, "?" for any other refused unit; returns the units
// taken.
std::size_t AppendRefused(const ByteSeq& units, std::size_t at,
                          std::size_t count, Output& out) {
  const bool pair = utf16::IsHighSurrogate(utf16::UnitAt(units, at)) &&
                    at + 1 < count &&
                    utf16::IsLowSurrogate(utf16::UnitAt(units, at + 1));
  out.Append(pair ? std::string_view("??") : std::string_view("?"));
  return pair ? 2 : 1;
}

// Converts units first to last, none known to be refused, until the end or
// the first unit refused; returns the index it stopped at.
std::size_t AppendRunAsCp936(const ByteSeq& units, std::size_t first,
                             std::size_t last, Output& out) {
  bool ascii = true;
  for (std::size_t i = first; i < last && ascii; ++i) {
    ascii = utf16::UnitAt(units, i) < 0x80;
  }
  if (ascii) {  // the common case needs no converter
    out.MakeRoom(last - first);
    for (std::size_t i = first; i < last; ++i) {
      out.At()[i - first] = static_cast<char>(utf16::UnitAt(units, i));
    }
    out.Advance(last - first);
    return last;
  }
  const std::string_view input(
      reinterpret_cast<const char*>(units.Data()) + 2 * first,
      2 * (last - first));
  return first + ConvertUntilRefused(Encoder(), input, out, 0) / 2;
}

}  // namespace

void AppendCp936AsUtf16(std::string_view bytes, ByteSeq& units) {
  if (IsAscii(bytes)) {  // the common case needs no converter
    const std::size_t base = units.Size();
    units.Resize(base + 2 * bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      units.MutableData()[base + 2 * i] = static_cast<unsigned char>(bytes[i]);
    }
    return;
  }
  // A refusal here is found in the first step of glibc's conversion and
  // costs little, so the whole text goes in at once.
  Output out(units);
  // Every byte gives at most one unit.
  out.MakeRoom(2 * bytes.size() + 2);
  while (!bytes.empty()) {
    bytes.remove_prefix(ConvertUntilRefused(Decoder(), bytes, out, 0));
    if (bytes.empty()) break;
    out.Append("\xFD\xFF");  // U+FFFD
    bytes.remove_prefix(RefusedLength(bytes));
  }
  out.Finish();
}

void AppendUtf16AsCp936(const ByteSeq& units, std::size_t count,
                        ByteSeq& bytes) {
  Output out(bytes);
  // Every unit gives at most two bytes.
  out.MakeRoom(2 * count);
  std::size_t i = 0;
  while (i < count) {
    if (IsKnownRefused(utf16::UnitAt(units, i))) {
      i += AppendRefused(units, i, count, out);
      continue;
    }
    std::size_t end = i + 1;
    while (end < count && end - i < kRunUnits &&
           !IsKnownRefused(utf16::UnitAt(units, end))) {
      ++end;
    }
    i = AppendRunAsCp936(units, i, end, out);
    // Where the converter stopped early, it refused that unit; the next turn
    // writes "?" for it.
    if (i < end) RefusedUnits().set(utf16::UnitAt(units, i));
  }
  out.Finish();
}

}  // namespace board
