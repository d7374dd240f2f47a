#include "runner.h"

#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "link/releases.h"
#include "platform/platform.h"

namespace pwscript {
namespace {

#ifndef _WIN32
std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}
#endif

// One row at a time, as the application's start-up does.
bool Connect(korvel::PwAcad& acad) {
  for (const korvel::AcadRelease& row : korvel::Releases()) {
    acad.put_MainCompareTitle(row.MainCompareTitle);
    acad.put_TextCompareTitle(row.TextCompareTitle);
    acad.put_CommandCompareTitle(row.CommandCompareTitle);
    acad.put_HistoryCompareTitle(row.HistoryCompareTitle);
    acad.put_CommandPrompt(row.CommandPrompt);
    if (acad.Search() == -1) return true;
  }
  return false;
}

}  // namespace

std::string OutputText(std::u16string_view text) {
#ifdef _WIN32
  return platform::Current().Codec().ToAnsi(text);
#else
  return Utf8(text);
#endif
}

int RunAgainstAcad(const std::u16string& script, const std::vector<std::u16string>& values, std::ostream& out,
                   std::ostream& err) {
  korvel::PwAcad acad;
  std::vector<std::u16string> vars(10);
  for (std::size_t i = 0; i < values.size() && i < vars.size(); ++i) vars[i] = values[i];

  std::int32_t result = -1;
  if (Connect(acad))
    result = acad.get_Control()->RunScript(script, &vars);
  else
    result = acad.get_ErrNumber();

  for (std::size_t i = 0; i < vars.size(); ++i) out << "%USER" << i << "%=" << OutputText(vars[i]) << "\n";
  if (result == -1) return 0;
  err << result << " " << OutputText(acad.get_ErrSource()) << "\n"
      << OutputText(acad.get_ErrDescription()) << "\n";
  return result;
}

}  // namespace pwscript
