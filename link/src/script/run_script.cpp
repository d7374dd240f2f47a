// RunScript: reading a script file line by line and running its statements,
// with every run-time failure reported with its line number.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <system_error>

#include "guarded.h"
#include "link/pw_control.h"
#include "script_runner.h"
#include "script_text.h"

namespace korvel {
namespace {

constexpr std::int32_t kErrPathFileAccess = 75;
constexpr std::size_t kMaxUserVariables = 10;

// The whole file as bytes of the system's code page. A file that cannot be
// read reports 53 when it is not there and 75 otherwise.
std::string ReadScriptFile(std::u16string_view path_name) {
  const std::filesystem::path path(path_name);
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  if (!in || std::filesystem::is_directory(path, ec)) {
    const std::int32_t number = std::filesystem::exists(path, ec) ? kErrPathFileAccess : kErrFileNotFound;
    Raise(number, kSourceLibrary, kMsgScriptOpenFailed);
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines end at CR, CR LF or LF. A last line without a line end is a line; an
// end of file right after a line end is not. In code page 932 neither byte
// occurs inside a double-byte character, so splitting the bytes is safe.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
}

// The failure's own number and source, with the line in front of its text.
[[noreturn]] void RaiseAtLine(const Failure& f, std::size_t line) {
  const std::string digits = std::to_string(line);
  Raise(f.Number, f.Source,
        std::u16string(kMsgScriptLineError) + u"\r\n" + std::u16string(digits.begin(), digits.end()) +
            std::u16string(kMsgScriptLineSuffix) + f.Description);
}

}  // namespace

std::int32_t PwControl::RunScript(std::u16string_view PathName, std::vector<std::u16string>* UserVariable) {
  const std::u16string path_name(PathName);
  return Guarded([&] {
    // A handler run during a wait may drop the client's last reference.
    const auto keep_alive = weak_from_this().lock();
    cancel_requested_ = false;
    CheckLink(u"RunScript");
    CheckCommandLine(u"RunScript");
    if (UserVariable == nullptr) Raise(kErrSubscript, kSourceLibrary, RuntimeErrorText(kErrSubscript));
    if (UserVariable->size() > kMaxUserVariables)
      Raise(ScriptFailed, ControlSource(u"RunScript"), kMsgTooManyUserVariables);

    const std::string bytes = ReadScriptFile(path_name);
    ScriptRunner run(*this, *UserVariable);
    std::size_t line_number = 0;
    for (std::string_view raw : SplitLines(bytes)) {
      ++line_number;
      const std::u16string line = TrimSpaces(Os().Codec().FromAnsi(raw));
      std::int32_t status = -1;
      try {
        if (line.empty() || StartsWith(line, u"//")) {
          // blank or comment
        } else if (!run.PendingLabel().empty()) {
          if (line.front() == u'*' && line == run.PendingLabel()) run.ClearPendingLabel();
        } else if (line.front() == u'?') {
          status = run.lExecuteCondition(line);
        } else if (line.front() != u'*') {
          status = run.lExecuteStatement(line);
        }
      } catch (const Failure& f) {
        RaiseAtLine(f, line_number);
      } catch (const std::bad_alloc&) {
        // A value grown past what memory holds (a variable doubled line by
        // line) is that line's failure like any other; what it took is
        // already given back by the time the report is made.
        RaiseAtLine(
            Failure{kErrOutOfMemory, std::u16string(kSourceLibrary), RuntimeErrorText(kErrOutOfMemory)},
            line_number);
      }
      if (status == 0 || status == CancelByUser) break;
      Os().Windows().PumpMessages();
      if (cancel_requested_) break;
    }
    // A cancel while lines were being skipped is the user's, not a missing label.
    if (!cancel_requested_ && !run.PendingLabel().empty())
      RaiseAtLine(
          Failure{ScriptFailed, ControlSource(u"lExecuteCommand"), MsgLabelNotFound(run.PendingLabel())},
          line_number);
    return cancel_requested_ ? static_cast<std::int32_t>(CancelByUser) : -1;
  });
}

}  // namespace korvel
