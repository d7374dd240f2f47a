// The ANSI codec over glibc's iconv. glibc's "CP932" is Windows' own table
// (0x5C is "\", 0x815F is U+FF3C, NEC and IBM extensions included), which is
// what AutoCAD's windows and files hold on a Japanese system. glibc knows
// Windows' code page 65001 only as "UTF-8".
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "platform/ansi_codec.h"

namespace platform {
namespace {

// Five single bytes that glibc's CP932 leaves undefined but Windows' table of
// code page 932 maps, both ways: 0x80 to U+0080, and 0xA0, 0xFD, 0xFE, 0xFF to
// the private-use characters U+F8F0 to U+F8F3.
constexpr struct {
  unsigned char byte;
  char16_t character;
} kWindowsOnly932[] = {{0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};

constexpr unsigned kUtf8 = 65001;

bool IsLeadByte932(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

class IconvCodec final : public TextCodec {
 public:
  explicit IconvCodec(unsigned code_page) : code_page_(code_page) {
    const std::string name = code_page == kUtf8 ? "UTF-8" : "CP" + std::to_string(code_page);
    to_ansi_ = iconv_open(name.c_str(), "UTF-16LE");
    from_ansi_ = iconv_open("UTF-16LE", name.c_str());
    if (to_ansi_ == reinterpret_cast<iconv_t>(-1) || from_ansi_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error("iconv cannot convert code page " + std::to_string(code_page));
  }
  ~IconvCodec() override {
    iconv_close(to_ansi_);
    iconv_close(from_ansi_);
  }
  IconvCodec(const IconvCodec&) = delete;
  IconvCodec& operator=(const IconvCodec&) = delete;

  std::string ToAnsi(std::u16string_view text) override {
    std::string in;
    in.reserve(text.size() * 2);
    for (char16_t c : text) {
      in.push_back(static_cast<char>(c & 0xFF));
      in.push_back(static_cast<char>(c >> 8));
    }
    std::string out;
    Convert(to_ansi_, in, out, [&](std::size_t at, std::string& o) {
      const std::size_t i = at / 2;
      if (code_page_ == 932)
        for (const auto& w : kWindowsOnly932)
          if (text[i] == w.character) {
            o.push_back(static_cast<char>(w.byte));
            return 2u;
          }
      // An unmappable character (or a lone surrogate) becomes "?"; a surrogate
      // pair counts as one character.
      o.push_back('?');
      const bool pair = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() &&
                        text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
      return pair ? 4u : 2u;
    });
    return out;
  }

  std::u16string FromAnsi(std::string_view bytes) override {
    std::string out;
    Convert(from_ansi_, std::string(bytes), out, [&](std::size_t at, std::string& o) {
      const auto b = static_cast<unsigned char>(bytes[at]);
      if (code_page_ == 932)
        for (const auto& w : kWindowsOnly932)
          if (b == w.byte) {
            o.push_back(static_cast<char>(w.character & 0xFF));
            o.push_back(static_cast<char>(w.character >> 8));
            return 1u;
          }
      // Windows decodes a byte that is no part of valid UTF-8 as U+FFFD.
      const char16_t bad = code_page_ == kUtf8 ? u'\uFFFD' : u'\u30FB';
      o.push_back(static_cast<char>(bad & 0xFF));  // little-endian
      o.push_back(static_cast<char>(bad >> 8));
      // As in Windows, a lead byte takes the next byte with it, even one that
      // is no valid second byte.
      return code_page_ == 932 && IsLeadByte932(b) && at + 1 < bytes.size() ? 2u : 1u;
    });
    std::u16string text(out.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
      text[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                      (static_cast<unsigned char>(out[2 * i + 1]) << 8));
    return text;
  }

  unsigned CodePage() const override { return code_page_; }

 private:
  template <typename OnBad>
  static void Convert(iconv_t cd, const std::string& in, std::string& out, OnBad on_bad) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::size_t pos = 0;
    char buffer[4096];
    while (pos < in.size()) {
      char* src = const_cast<char*>(in.data()) + pos;
      std::size_t src_left = in.size() - pos;
      char* dst = buffer;
      std::size_t dst_left = sizeof buffer;
      const std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
      const int err = errno;
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      pos = in.size() - src_left;
      if (r != static_cast<std::size_t>(-1)) break;
      if (err == E2BIG) continue;
      // EILSEQ, or EINVAL for an incomplete sequence at the end.
      const std::size_t skip = on_bad(pos, out);
      pos += skip;
      if (pos > in.size()) pos = in.size();
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }

  unsigned code_page_;
  iconv_t to_ansi_;
  iconv_t from_ansi_;
};

}  // namespace

std::unique_ptr<TextCodec> MakeAnsiCodec(unsigned code_page) {
  return std::make_unique<IconvCodec>(code_page);
}

}  // namespace platform
