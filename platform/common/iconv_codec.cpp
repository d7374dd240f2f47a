// The ANSI codec over glibc's iconv. glibc's "CP932" is Windows' own table
// (0x5C is "\", 0x815F is U+FF3C, NEC and IBM extensions included), which is
// what AutoCAD's windows and files hold on a Japanese system.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "platform/ansi_codec.h"

namespace platform {
namespace {

class IconvCodec final : public TextCodec {
 public:
  explicit IconvCodec(unsigned code_page) : code_page_(code_page) {
    const std::string name = "CP" + std::to_string(code_page);
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
      // An unmappable character (or a lone surrogate) becomes "?"; a surrogate
      // pair counts as one character.
      o.push_back('?');
      const std::size_t i = at / 2;
      const bool pair = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() &&
                        text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
      return pair ? 4u : 2u;
    });
    return out;
  }

  std::u16string FromAnsi(std::string_view bytes) override {
    std::string out;
    Convert(from_ansi_, std::string(bytes), out, [&](std::size_t, std::string& o) {
      o.push_back(static_cast<char>(0xFB));  // U+30FB, little-endian
      o.push_back(static_cast<char>(0x30));
      return 1u;
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
