#include "text/path_encoding.h"

#include <errno.h>
#include <iconv.h>

#include <string_view>

// File names on Linux are UTF-8; a path Text is code page 936, which GB18030
// extends to all of Unicode. So names go through GB18030, except for two gaps:
//
// - The single byte 0x80 is the euro sign in code page 936 but no GB18030
//   character; it is written as U+20AC.
// - A name on disk need not be valid UTF-8. Each byte that is not (0x80 to
//   0xFF) is carried in the Text as the character U+F700 + byte, from a
//   private-use range that real names do not use, and turned back into the raw
//   byte on the way out. So every name the file system can hold comes back
//   unchanged. Bytes of a Text that are not GB18030 go out as they are.
//
// Without the GB18030 converter (no gconv modules) names pass unchanged,
// which still keeps ASCII names right.

namespace board {
namespace {

constexpr unsigned char kEscapeLead = 0xEF;  // UTF-8 of U+F780 to U+F7FF is
constexpr unsigned char kEscapeLow = 0x9E;   // EF 9E 80 to EF 9F BF
constexpr unsigned char kEscapeHigh = 0x9F;
constexpr std::string_view kEuroUtf8 = "\xE2\x82\xAC";

// One conversion direction, opened once per thread: iconv descriptors hold
// state and must not be shared between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (IsOpen()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool IsOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts input, handing each converted run to onRun and each byte the
  // converter rejects to onRejected, in input order.
  template <class OnRun, class OnRejected>
  void Run(std::string_view input, OnRun onRun, OnRejected onRejected) {
    std::string out;
    std::size_t pos = 0;
    std::size_t room = 4;  // output bytes per input byte; grows if too few
    while (pos < input.size()) {
      out.resize(room * (input.size() - pos) + 8);
      char* in = const_cast<char*>(input.data() + pos);  // iconv's old API
      std::size_t inLeft = input.size() - pos;
      char* outNext = out.data();
      std::size_t outLeft = out.size();
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      const std::size_t done = iconv(cd_, &in, &inLeft, &outNext, &outLeft);
      const int error = errno;
      onRun(std::string_view(out.data(),
                             static_cast<std::size_t>(outNext - out.data())));
      pos = static_cast<std::size_t>(in - input.data());
      if (done != static_cast<std::size_t>(-1)) break;
      if (error == E2BIG) {
        room *= 2;
        continue;
      }
      onRejected(static_cast<unsigned char>(input[pos]));  // EILSEQ, EINVAL
      ++pos;
    }
  }

 private:
  iconv_t cd_;
};

Converter& ToNative() {
  thread_local Converter converter("UTF-8", "GB18030");
  return converter;
}

Converter& FromNative() {
  thread_local Converter converter("GB18030", "UTF-8");
  return converter;
}

// Appends UTF-8 to native, turning the escape characters back into the raw
// bytes they stand for. Valid UTF-8 is self-synchronising, so EF is always a
// lead byte here.
void AppendUnescaped(std::string& native, std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    const auto second =
        static_cast<unsigned char>(i + 1 < utf8.size() ? utf8[i + 1] : 0);
    if (byte == kEscapeLead && i + 2 < utf8.size() &&
        (second == kEscapeLow || second == kEscapeHigh)) {
      const auto third = static_cast<unsigned char>(utf8[i + 2]);
      native.push_back(static_cast<char>(0x80 + ((second - kEscapeLow) << 6) +
                                         (third & 0x3F)));
      i += 2;
    } else {
      native.push_back(utf8[i]);
    }
  }
}

// The UTF-8 of U+F700 + byte, for a byte from 0x80 to 0xFF.
std::string EscapeUtf8(unsigned char byte) {
  return {static_cast<char>(kEscapeLead),
          static_cast<char>(byte & 0x40 ? kEscapeHigh : kEscapeLow),
          static_cast<char>(0x80 | (byte & 0x3F))};
}

}  // namespace

std::string PathToNative(const Text& path) {
  Converter& converter = ToNative();
  if (!converter.IsOpen()) return std::string(path.View());
  std::string native;
  native.reserve(static_cast<std::size_t>(path.Length()) * 3 / 2 + 1);
  converter.Run(
      path.View(),
      [&native](std::string_view run) { AppendUnescaped(native, run); },
      [&native](unsigned char rejected) {
        if (rejected == 0x80) {
          native.append(kEuroUtf8);
        } else {
          native.push_back(static_cast<char>(rejected));
        }
      });
  return native;
}

Text PathFromNative(const std::string& native) {
  Converter& converter = FromNative();
  // A Text ends at a zero byte, and no file name holds one.
  const std::string_view name =
      std::string_view(native).substr(0, native.find('\0'));
  if (!converter.IsOpen()) return Text(name);
  Text path;
  path.Reserve(static_cast<int>(name.size()));
  converter.Run(
      name, [&path](std::string_view run) { path.Append(run); },
      [&path, &converter](unsigned char rejected) {
        // The outer run has handed over its output and resets the
        // (stateless) converter before going on, so it may be reused here.
        converter.Run(
            EscapeUtf8(rejected),
            [&path](std::string_view run) { path.Append(run); },
            [](unsigned char) {});
      });
  return path;
}

}  // namespace board
