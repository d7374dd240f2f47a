// The ANSI codec over kernel32's own conversion functions, so that the text
// the library sends and compares is converted exactly as the -A calls convert
// it inside user32.
#include "platform/ansi_codec.h"

#include <windows.h>

#include <string>

#include "win32_platform.h"

namespace platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text is handed to kernel32 as is");

class Win32Codec final : public TextCodec {
 public:
  explicit Win32Codec(unsigned code_page) : code_page_(code_page) {}

  std::string ToAnsi(std::u16string_view text) override {
    if (text.empty()) return {};
    const std::u16string prepared = WholeCharacters(text);
    const auto* wide = reinterpret_cast<const wchar_t*>(prepared.data());
    const int length = static_cast<int>(prepared.size());
    int n = WideCharToMultiByte(code_page_, Flags(), wide, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    n = WideCharToMultiByte(code_page_, Flags(), wide, length, out.data(), n, nullptr, nullptr);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
  }

  std::u16string FromAnsi(std::string_view bytes) override {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    // No MB_ERR_INVALID_CHARS: an invalid byte becomes the code page's default
    // character instead of failing the whole text.
    int n = MultiByteToWideChar(code_page_, 0, bytes.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    n = MultiByteToWideChar(code_page_, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()), n);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
  }

  unsigned CodePage() const override { return code_page_; }

 private:
  // Without WC_NO_BEST_FIT_CHARS Windows turns some characters into look-alikes
  // (an accented letter into its plain one); the library compares titles and
  // prompts, so an unmappable character must become the default "?" instead.
  // The UTF code pages accept no such flag.
  DWORD Flags() const { return code_page_ == CP_UTF8 || code_page_ == CP_UTF7 ? 0 : WC_NO_BEST_FIT_CHARS; }

  // Kernel32 replaces each half of an unmappable surrogate pair by its own "?";
  // the text is one character, so it becomes one "?" here, as in the Linux
  // build. Pairs the code page can hold are left alone.
  std::u16string WholeCharacters(std::u16string_view text) const {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] < 0xDC00 &&
                        text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
      if (pair && code_page_ != CP_UTF8 && code_page_ != CP_UTF7) {
        char bytes[8];
        BOOL used_default = FALSE;
        WideCharToMultiByte(code_page_, Flags(), reinterpret_cast<const wchar_t*>(text.data() + i), 2, bytes,
                            sizeof bytes, nullptr, &used_default);
        if (used_default) {
          out.push_back(u'?');
          ++i;
          continue;
        }
      }
      out.push_back(text[i]);
    }
    return out;
  }

  unsigned code_page_;
};

}  // namespace

std::unique_ptr<TextCodec> MakeAnsiCodec(unsigned code_page) {
  return std::make_unique<Win32Codec>(code_page);
}

namespace win32 {
unsigned AnsiCodePage() { return GetACP(); }
}  // namespace win32

}  // namespace platform
