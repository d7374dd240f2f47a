// linkdemo: the link library at work on the simulated desktop, against a
// scripted AutoCAD LT 2002. Prints what it found and what went over the wire:
// the search, the commands handed over (as copy-data records), the prompts
// waited for, and the history read back.
#include <cstdio>
#include <string>

#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "platform/sim/desktop.h"
#include "support/scripted_acad.h"

namespace {

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c == 3) {
      out += "^C";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x80) {
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

void Result(const char* what, std::int32_t r, const korvel::PwAcad& acad) {
  if (r == -1) {
    std::printf("  %s -> -1 (成功)\n", what);
  } else {
    std::printf("  %s -> %d  %s: %s\n", what, r, Utf8(acad.get_ErrSource()).c_str(),
                Utf8(acad.get_ErrDescription()).c_str());
  }
}

// Prints the copy-data records and posted messages logged since the last call.
void Wire(platform::sim::Desktop& desktop) {
  for (const auto& m : desktop.Log()) {
    if (m.message == platform::sim::kWmCopyData) {
      std::printf("    WM_COPYDATA hwnd=%#x dwData=%lu cbData=%u bytes:", static_cast<unsigned>(m.window),
                  static_cast<unsigned long>(m.wparam), m.cb_data);
      const std::size_t n = m.buffer.find('\0');
      for (std::size_t i = 0; i < n && i < 24; ++i)
        std::printf(" %02x", static_cast<unsigned char>(m.buffer[i]));
      std::printf("%s 00\n", n > 24 ? " …" : "");
    } else if (m.message == platform::sim::kWmNull) {
      std::printf("    WM_NULL (posted) hwnd=%#x\n", static_cast<unsigned>(m.window));
    }
  }
  desktop.ClearLog();
}

}  // namespace

int main() {
  platform::sim::Desktop desktop;
  platform::ScopedPlatform bind(desktop);
  plendra_test::ScriptedAcad cad(desktop);
  cad.history_text = u"ｺﾏﾝﾄﾞ: ";

  // The scripted AutoCAD: an Enter ends the input; the command echoes into the
  // history and the command prompt comes back after a while.
  std::u16string line;
  cad.on_input = [&](const std::u16string& typed) {
    for (char16_t c : typed) {
      if (c == 3) {
        line.clear();
        cad.history_text += u"*ｷｬﾝｾﾙ*\r\nｺﾏﾝﾄﾞ: ";
      } else if (c == u'\r') {
        cad.history_text += line + u"\r\n";
        if (line == u"id") {
          cad.prompt = u"点を指定: ";
          cad.history_text += u"点を指定: ";
        } else if (line.starts_with(u"-insert")) {
          cad.prompt = u"挿入点を指定: ";
          cad.history_text += u"挿入点を指定: ";
        } else if (line.find(u',') != std::u16string::npos) {
          cad.history_text += u"X = 1200.0000     Y = 850.0000     Z = 0.0000\r\nｺﾏﾝﾄﾞ: ";
          cad.prompt = u"";
          cad.PromptAfter(300, u"ｺﾏﾝﾄﾞ: ");
        } else {
          cad.history_text += u"ｺﾏﾝﾄﾞ: ";
          cad.prompt = u"";
          cad.PromptAfter(120, u"ｺﾏﾝﾄﾞ: ");
        }
        line.clear();
      } else {
        line += c;
      }
    }
  };

  std::printf("== 1. AutoCAD を探す (Search)\n");
  korvel::PwAcad acad;
  Result("Search", acad.Search(), acad);
  std::printf(
      "    Main    %#x \"%s\"\n    Text    %#x \"%s\"\n    Command %#x \"%s\"\n    History %#x \"%s\"\n",
      static_cast<unsigned>(acad.get_MainWindowHandle()), Utf8(acad.get_MainWindowTitle()).c_str(),
      static_cast<unsigned>(acad.get_TextWindowHandle()), Utf8(acad.get_TextWindowTitle()).c_str(),
      static_cast<unsigned>(acad.get_CommandWindowHandle()), Utf8(acad.get_CommandWindowTitle()).c_str(),
      static_cast<unsigned>(acad.get_HistoryWindowHandle()), Utf8(acad.get_HistoryWindowTitle()).c_str());
  auto control = acad.get_Control();
  if (!control) return 1;

  std::printf("\n== 2. コマンドを送って「ｺﾏﾝﾄﾞ: 」を待つ (SendCommand)\n");
  const std::uint32_t start = desktop.Time().TickCount();
  Result("SendCommand(\"^C^Cid^M1200,850^M\")", control->SendCommand(u"^C^Cid^M1200,850^M"), acad);
  Wire(desktop);
  std::u16string prompt;
  control->GetPrompt(prompt);
  std::printf("    prompt now \"%s\" after %u ms (virtual clock)\n", Utf8(prompt).c_str(),
              desktop.Time().TickCount() - start);

  std::printf("\n== 3. 履歴を読む (GetHistory, 最後の「点を指定: 」から)\n");
  std::u16string history;
  Result("GetHistory", control->GetHistory(history, u"点を指定: "), acad);
  std::printf("    \"%s\"\n", Utf8(history).c_str());

  std::printf("\n== 4. 127 文字を超えるコマンドは分けて渡す\n");
  std::u16string path = u"-insert \"C:\\";
  for (int i = 0; i < 15; ++i) path += u"設備設計\\給排水衛生設備\\";
  path += u"Plendra1.dwg\"^M";
  Result("PostCommand(long path)", control->PostCommand(path), acad);
  Wire(desktop);
  std::printf("    AutoCAD received %zu records, %zu characters in all\n", cad.received.size() - 1,
              cad.Typed().size() - cad.received[0].size());

  std::printf("\n== 5. 待機の時間切れ (CommandTimeOut 2000 ms)\n");
  control->put_CommandTimeOut(2000);
  Result("WaitPrompt", control->WaitPrompt(), acad);

  std::printf("\n== 6. AutoCAD が終了した後\n");
  cad.Quit();
  Result("PostCommand(\"line^M\")", control->PostCommand(u"line^M"), acad);
  std::printf("    ControlExists -> %s\n", acad.ControlExists() ? "True" : "False");
  return 0;
}
