#include "dxf_tags.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "dxf/grammar.h"
#include "platform/utf8.h"

namespace cadsim::dxf {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

}  // namespace

std::vector<Tag> Tokenize(std::string_view bytes) {
  std::vector<Tag> tags;
  tags.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) / 2 + 1);
  dxf_grammar::GroupReader reader(bytes);
  dxf_grammar::Group group;
  try {
    // Comments (QCAD and LibreCAD begin their files with one) are no part of
    // the drawing: the reader passes over them, as AutoCAD does wherever they
    // stand.
    while (reader.Next(group)) {
      const auto line = static_cast<std::size_t>(group.line);
      // Record types and section names are words; some writers pad them.
      tags.push_back(Tag{group.code, group.code == 0 ? Trim(group.value) : group.value, line});
    }
  } catch (const dxf_grammar::GroupError& e) {
    const auto line = static_cast<std::size_t>(e.line);
    switch (e.kind) {
      case dxf_grammar::GroupErrorKind::kNotACode:
        throw DxfError(line, "group code expected, found \"" + std::string(Trim(e.code_line)) + "\"");
      case dxf_grammar::GroupErrorKind::kNoValue:
        break;
    }
    throw DxfError(line, "group code " + std::to_string(e.code) + " has no value");
  }
  return tags;
}

bool IsRealCode(int code) {
  return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
         (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059);
}

bool IsIntegerCode(int code) {
  return (code >= 60 && code <= 99) || (code >= 160 && code <= 179) || (code >= 270 && code <= 299) ||
         (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || (code >= 420 && code <= 429) ||
         (code >= 440 && code <= 459) || (code >= 1060 && code <= 1071);
}

double Real(const Tag& tag) {
  const std::string text(Trim(tag.raw));
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') throw DxfError(tag.line + 1, "number expected, found \"" + text + "\"");
  // strtod takes "nan" and "inf"; no drawing holds such a point, and one
  // read would be written back as if it were a value.
  if (!std::isfinite(v)) throw DxfError(tag.line + 1, "finite number expected, found \"" + text + "\"");
  return v;
}

int Int(const Tag& tag) {
  const std::string_view text = Trim(tag.raw);
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size())
    throw DxfError(tag.line + 1, "integer expected, found \"" + std::string(text) + "\"");
  return v;
}

std::uint64_t Hex(const Tag& tag) {
  const std::string_view text = Trim(tag.raw);
  std::uint64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
  if (ec != std::errc() || end != text.data() + text.size())
    throw DxfError(tag.line + 1, "handle expected, found \"" + std::string(text) + "\"");
  return v;
}

std::u16string Text(const Tag& tag, platform::TextCodec& codec, bool utf8) {
  std::u16string s = utf8 ? platform::FromUtf8(tag.raw) : codec.FromAnsi(tag.raw);
  // DXF writers spell characters outside the code page as \U+XXXX.
  std::size_t at = 0;
  while ((at = s.find(u"\\U+", at)) != std::u16string::npos) {
    if (at + 7 > s.size()) break;
    int v = 0;
    bool ok = true;
    for (std::size_t k = at + 3; k < at + 7; ++k) {
      const int d = HexDigit(s[k]);
      ok = ok && d >= 0;
      v = v * 16 + d;
    }
    if (ok) {
      s.replace(at, 7, 1, static_cast<char16_t>(v));
      ++at;
    } else {
      at += 3;
    }
  }
  return s;
}

}  // namespace cadsim::dxf
