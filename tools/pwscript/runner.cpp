#include "runner.h"

#include "app/releases.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "platform/platform.h"
#include "platform/utf8.h"

namespace pwscript {
namespace {

#ifndef _WIN32
std::string Utf8(std::u16string_view text) { return platform::ToUtf8(text); }
#endif

// One row at a time, as Plendra's start-up does.
bool Connect(korvel::PwAcad& acad) { return plendra::SearchReleases(acad) < plendra::kReleaseCount; }

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
    result = acad.Control()->RunScript(script, &vars);
  else
    result = acad.get_ErrNumber();

  for (std::size_t i = 0; i < vars.size(); ++i) out << "%USER" << i << "%=" << OutputText(vars[i]) << "\n";
  if (result == -1) return 0;
  err << result << " " << OutputText(acad.get_ErrSource()) << "\n"
      << OutputText(acad.get_ErrDescription()) << "\n";
  return result;
}

}  // namespace pwscript
