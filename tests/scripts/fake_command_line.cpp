#include "fake_command_line.h"

#include <cstdio>
#include <fstream>

namespace plendra_test {
namespace {

std::u16string Upper(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return text;
}

std::u16string Ascii(const char* text) {
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace

FakeCommandLine::FakeCommandLine(platform::sim::Desktop& desktop, std::u16string prompt)
    : cad(desktop, ScriptedAcadOptions{.prompt = prompt}), command_prompt(std::move(prompt)) {
  cad.history_text = command_prompt + u"\r\n";
  cad.on_input = [this](const std::u16string& typed) {
    for (char16_t c : typed) Type(c);
  };
}

void FakeCommandLine::Type(char16_t c) {
  if (c == u'\x03') return Cancel();
  if (c == u'\r' || c == u'\n') return Enter();
  line_ += c;
}

void FakeCommandLine::Cancel() {
  if (state_ != State::kIdle) cad.history_text += u"*ｷｬﾝｾﾙ*\r\n";
  state_ = State::kIdle;
  line_.clear();
  cad.prompt = command_prompt;
}

void FakeCommandLine::Enter() {
  const std::u16string line = std::move(line_);
  line_.clear();
  cad.history_text += cad.prompt + line + u"\r\n";
  switch (state_) {
    case State::kValue:
      if (!line.empty()) variables[variable_] = line;
      state_ = State::kIdle;
      cad.prompt = command_prompt;
      return;
    case State::kPoint:
    case State::kBusy:
      return;  // typed ahead; this command line ignores it
    case State::kIdle:
      break;
  }
  if (line.empty()) return;
  commands.push_back(line);
  const std::u16string name = Upper(line);
  if (name == u"_ID" || name == u"ID") {
    state_ = State::kPoint;
    cad.prompt = u"点を指定: ";
    if (picks.empty()) return;  // the user never picks
    const Point3 p = picks.front();
    picks.pop_front();
    cad.desktop.After(pick_ms, [this, p] {
      if (state_ != State::kPoint) return;
      char report[128];
      std::snprintf(report, sizeof report, "  X = %.4f     Y = %.4f     Z = %.4f", p.x, p.y, p.z);
      cad.history_text += u"点を指定: " + Ascii(report) + u"\r\n" + command_prompt;
      state_ = State::kIdle;
      cad.prompt = command_prompt;
    });
    return;
  }
  if (auto it = variables.find(name); it != variables.end()) {
    state_ = State::kValue;
    variable_ = name;
    cad.prompt = name + u" に新しい値を入力 <" + it->second + u">: ";
    return;
  }
  state_ = State::kBusy;
  cad.prompt = u"";
  cad.desktop.After(command_ms, [this] {
    if (state_ != State::kBusy) return;
    state_ = State::kIdle;
    cad.prompt = command_prompt;
  });
}

std::u16string WriteScript(platform::sim::Desktop& desktop, std::u16string_view text,
                           std::u16string_view name) {
  std::u16string crlf;
  for (char16_t c : text) {
    if (c == u'\n') crlf += u'\r';
    crlf += c;
  }
  const std::filesystem::path path = desktop.TempFolder() / std::filesystem::path(name);
  std::ofstream out(path, std::ios::binary);
  out << desktop.Codec().ToAnsi(crlf);
  return path.u16string();
}

}  // namespace plendra_test
