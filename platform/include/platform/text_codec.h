// Conversion between the core's UTF-16 text and the system's ANSI code page
// (932 on the Japanese Windows the product targets).
#pragma once

#include <string>
#include <string_view>

namespace platform {

struct TextCodec {
  virtual ~TextCodec() = default;
  // Characters the code page cannot represent become "?", as WideCharToMultiByte does.
  virtual std::string ToAnsi(std::u16string_view text) = 0;
  // Bytes that are not valid in the code page become U+30FB, as MultiByteToWideChar
  // does for code page 932.
  virtual std::u16string FromAnsi(std::string_view bytes) = 0;
  // The code page number, for messages and tests.
  virtual unsigned CodePage() const = 0;
};

}  // namespace platform
