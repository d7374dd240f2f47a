#include "scenario.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <sstream>

#include "app/app_error.h"
#include "app/number_text.h"
#include "cadsim/dxf.h"
#include "cadsim/svg.h"
#include "platform/utf8.h"
#include "scenario_data.h"

namespace scenario {
namespace {

std::u16string U16(const std::string& utf8) { return platform::FromUtf8(utf8); }

// Marks a change of the status bar among the commands AutoCAD was handed.
constexpr std::u16string_view kStatusMark = u"status:";

// Where Plendra is installed, as it types its folder into AutoCAD.
constexpr std::u16string_view kAppFolderText = u"C:\\Program Files\\Plendra";

// The number text of a single-precision value, for comparing numbers as the
// user reads them.
std::string NumberText(std::u16string_view text) {
  return Utf8(plendra::SingleText(static_cast<float>(plendra::LeadingNumber(text))));
}

std::u16string LowerAscii(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return text;
}

std::string HandleText(cadsim::Handle handle) {
  std::ostringstream s;
  s << std::uppercase << std::hex << handle;
  return s.str();
}

bool ReadBytes(const std::filesystem::path& file, std::string* bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return true;
}

// How each action is written, for a line that names an action but does not
// fit it. An action missing here still runs; it is only reported as unknown
// when it comes before start.
const std::map<std::string, std::string>& ActionForms() {
  static const std::map<std::string, std::string> forms = {
      {"release", "release N (0～8) または release -"},
      {"drawing", "drawing F.dxf"},
      {"keitou", "keitou F または keitou -"},
      {"ini", "ini F または ini -"},
      {"block", "block F または block -"},
      {"blockscript", "blockscript F または blockscript -"},
      {"folder", "folder D"},
      {"instance", "instance running"},
      {"busy", "busy COMMAND MS"},
      {"vanish", "vanish COMMAND MS"},
      {"answer", "answer yes または answer no"},
      {"start", "start"},
      {"expect", "expect WHAT ..."},
      {"system", "system NAME"},
      {"number", "number TEXT"},
      {"setting", "setting NAME VALUE [cancel]"},
      {"check", "check"},
      {"takeoff", "takeoff"},
      {"zoom", "zoom ROW"},
      {"press", "press"},
      {"close", "close"},
      {"move", "move TOP LEFT"},
      {"menu", "menu help または menu about"},
      {"user",
       "user pick HANDLE [MS]、user esc [MS]、user miss [MS]、user stop [MS]、user close [MS] または user "
       "stop|close|activate during COMMAND"},
      {"saveas", "saveas renames または saveas keeps"},
      {"variable", "variable NAME VALUE"},
  };
  return forms;
}

// What is wrong with a line that names an action but does not fit it.
std::string WrongForm(const std::string& verb) {
  const auto form = ActionForms().find(verb);
  return "書き方が違います。正しくは " + (form != ActionForms().end() ? form->second : verb + " ...");
}

// What is wrong with a line whose first field is no action.
std::string UnknownAction(const std::string& verb) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  const std::size_t mark = verb.find(kByteOrderMark);
  if (mark != std::string::npos)
    return "知らない動作です: \"" + verb.substr(0, mark) + "<BOM>" +
           verb.substr(mark + kByteOrderMark.size()) +
           "\" (バイト順マーク U+FEFF が混じっています。ファイルの先頭以外には置けません)";
  return "知らない動作です: \"" + verb + "\"";
}

// A copy of a folder of the user's, with everything in it.
bool CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& e) {
  std::filesystem::copy(from, to, std::filesystem::copy_options::recursive, e);
  return !e;
}

}  // namespace

Runner::Runner(std::filesystem::path base, std::ostream& out, std::ostream* err)
    : base_(std::move(base)), out_(out) {
  transcript_.echo = &out_;
  transcript_.fail_echo = err;
  bind_ = std::make_unique<platform::ScopedPlatform>(desktop_);
  desktop_.on_box = [this](const platform::sim::MessageBoxRecord& box) { OnBox(box); };
}

void Runner::OnBox(const platform::sim::MessageBoxRecord& box) {
  transcript_.Add("  box [" + Utf8(box.caption) + "] " + Utf8(box.text));
  const std::uint32_t buttons = box.style & 0x0F;
  if (buttons != platform::kMbYesNo && buttons != platform::kMbYesNoCancel) return;
  // A question: the scenario's next answer, or No from a scenario that has
  // nothing to say (which fails it).
  bool yes = false;
  if (answers_.empty()) {
    unanswered_question_ = true;
    transcript_.Add("  user: (no answer queued for this question; answers いいえ)");
  } else {
    yes = answers_.front().yes;
    answers_.pop_front();
    transcript_.Add(yes ? "  user: answers はい" : "  user: answers いいえ");
  }
  desktop_.AnswerNextBox(yes ? platform::kIdYes : platform::kIdNo);
}

Runner::~Runner() {
  // The program's objects go before the desktop they live on.
  app_.reset();
  host_.reset();
  cad_.reset();
  bind_.reset();
  std::error_code ignored;
  if (!temp_folder_.empty()) std::filesystem::remove_all(temp_folder_, ignored);
}

std::filesystem::path Runner::Path(const std::string& field) const {
  const std::filesystem::path p = std::filesystem::path(U16(field));
  return p.is_absolute() ? p : base_ / p;
}

bool Runner::Fail(const std::string& why) {
  transcript_.AddFailure("失敗 " + std::to_string(line_) + " 行目: " + why);
  return false;
}

std::optional<std::int64_t> Runner::Number(const std::string& field, const std::string& what,
                                           std::int64_t min, std::int64_t max, int base) {
  const std::optional<std::int64_t> value = WholeNumber(field, min, max, base);
  if (!value) {
    const auto text = [base](std::int64_t v) {
      std::ostringstream s;
      if (base == 16) s << std::uppercase << std::hex;
      s << v;
      return s.str();
    };
    Fail(what + " は " + text(min) + "～" + text(max) + (base == 16 ? " の16進数" : " の整数") +
         "で書いてください: \"" + field + "\"");
  }
  return value;
}

bool Runner::Run(std::size_t line_number, const std::vector<std::string>& f) {
  bool ok = false;
  // Whatever a line sets off, a fault it raises is that line's failure, with
  // its number, rather than the end of the program.
  try {
    ok = RunLine(line_number, f);
  } catch (const plendra::AppError& error) {
    return Fail("Plendra に実行時エラー " + std::to_string(error.number) +
                " が起きました: " + Utf8(error.description));
  } catch (const std::filesystem::filesystem_error& error) {
    return Fail("ファイルを扱えませんでした: " + std::string(error.what()));
  } catch (const std::exception& error) {
    return Fail("この行を実行できませんでした: " + std::string(error.what()));
  }
  if (ok && unanswered_) {
    unanswered_ = false;
    return Fail("選択が利用者の操作を待ちましたが、user の行が用意されていません");
  }
  if (ok && unanswered_question_) {
    unanswered_question_ = false;
    return Fail("質問が表示されましたが、answer の行が用意されていません");
  }
  return ok;
}

bool Runner::RunLine(std::size_t line_number, const std::vector<std::string>& f) {
  line_ = line_number;
  std::string echo = "> " + std::to_string(line_number) + ":";
  for (const std::string& field : f) echo += " " + field;
  transcript_.Add(echo);
  const std::string& verb = f[0];
  const std::size_t n = f.size();
  if (verb == "release" || verb == "drawing" || verb == "keitou" || verb == "ini" || verb == "folder" ||
      verb == "instance" || verb == "block" || verb == "blockscript" || verb == "busy" || verb == "vanish" ||
      verb == "saveas" || verb == "variable")
    return Setup(f);
  if (verb == "answer") {
    if (n != 2 || (f[1] != "yes" && f[1] != "no"))
      return Fail("answer yes または answer no と書いてください");
    answers_.push_back({f[1] == "yes", line_number});
    return true;
  }
  if (verb == "start") return n == 1 ? Start() : Fail("start の後には何も書きません");
  if (verb == "expect") return Expect(f);
  if (!app_)
    return Fail(ActionForms().contains(verb)
                    ? verb + " の前にプログラムを起動してください (start がありません)"
                    : UnknownAction(verb));
  plendra::Form1& form = app_->MainForm();
  if (host_->ended && verb != "user") return Fail("プログラムは終了しています");
  if (verb == "system" && n == 2) {
    const std::u16string name = U16(f[1]);
    const std::int32_t at = host_->form.keitou.Find(name);
    if (at >= 0) {
      host_->form.keitou.SetListIndex(at);
      form.Keitou_Combo_Click();
    } else {
      host_->form.keitou.SetText(name);  // typed: no click
    }
    return true;
  }
  if (verb == "number" && n == 2) {
    const std::u16string number = U16(f[1]);
    const std::int32_t at = host_->form.bangou.Find(number);
    if (at >= 0)
      host_->form.bangou.SetListIndex(at);
    else
      host_->form.bangou.SetText(number);
    return true;
  }
  if (verb == "setting") return Setting(f);
  if (verb == "check" || verb == "zoom" || verb == "takeoff" || verb == "renumber" || verb == "autocad" ||
      verb == "snapshot")
    return Kensa(f);
  if (verb == "press" && n == 1) {
    form.Kaisi_Button_Click();
    return true;
  }
  if (verb == "close" && n == 1) {
    form.CloseRequest();
    return true;
  }
  if (verb == "move" && n == 3) {
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    const auto top = Number(f[1], "move の TOP", kMin, kMax);
    if (!top) return false;
    const auto left = Number(f[2], "move の LEFT", kMin, kMax);
    if (!left) return false;
    host_->form.Move(static_cast<std::int32_t>(*top), static_cast<std::int32_t>(*left));
    return true;
  }
  if (verb == "menu" && n == 2) {
    if (f[1] == "help") {
      form.Mnu_Tukaikata_Click();
      return true;
    }
    if (f[1] == "about") {
      form.Mnu_Ver_Click();
      return true;
    }
    return Fail("menu help または menu about と書いてください");
  }
  if (verb == "user" && n == 4 && f[2] == "during") {
    DuringStep step{DuringStep::kStop, U16(f[3]), line_number};
    if (f[1] == "stop")
      step.kind = DuringStep::kStop;
    else if (f[1] == "close")
      step.kind = DuringStep::kClose;
    else if (f[1] == "activate")
      step.kind = DuringStep::kActivate;
    else
      return Fail(WrongForm("user"));
    if (step.command.empty()) return Fail("user ... during COMMAND の COMMAND が空です");
    during_.push_back(step);
    return true;
  }
  if (verb == "user" && n >= 2) {
    UserStep step{UserStep::kEscape};
    step.line = line_number;
    const std::string& what = f[1];
    std::size_t delay_field = 2;
    if (what == "pick" && n >= 3) {
      step.kind = UserStep::kPick;
      // DXF handles are hexadecimal and never 0.
      const auto handle =
          Number(f[2], "user pick の HANDLE", 1, std::numeric_limits<std::int64_t>::max(), 16);
      if (!handle) return false;
      step.handle = static_cast<cadsim::Handle>(*handle);
      delay_field = 3;
    } else if (what == "esc") {
      step.kind = UserStep::kEscape;
    } else if (what == "miss") {
      step.kind = UserStep::kMiss;
    } else if (what == "stop") {
      step.kind = UserStep::kStop;
    } else if (what == "close") {
      step.kind = UserStep::kClose;
    } else {
      return Fail(WrongForm("user"));
    }
    if (n > delay_field + 1) return Fail(WrongForm("user"));
    if (n > delay_field) {
      const auto delay = Number(f[delay_field], "user " + what + " の MS", 0, kLongestMs);
      if (!delay) return false;
      step.delay_ms = static_cast<std::uint32_t>(*delay);
    }
    user_.push_back(step);
    return true;
  }
  return Fail(ActionForms().contains(verb) ? WrongForm(verb) : UnknownAction(verb));
}

bool Runner::Setup(const std::vector<std::string>& f) {
  if (app_) return Fail(f[0] + " は準備の行です。start の前に書いてください");
  if (f[0] == "variable") {
    if (f.size() != 3) return Fail(WrongForm("variable"));
    variables_.emplace_back(U16(f[1]), U16(f[2]));
    return true;
  }
  if (f[0] == "busy") {
    if (f.size() != 3) return Fail(WrongForm("busy"));
    const auto ms = Number(f[2], "busy の MS", 0, kLongestMs);
    if (!ms) return false;
    busy_command_ = U16(f[1]);
    busy_ms_ = static_cast<std::uint32_t>(*ms);
    return true;
  }
  if (f[0] == "vanish") {
    if (f.size() != 3) return Fail(WrongForm("vanish"));
    const auto ms = Number(f[2], "vanish の MS", 0, kLongestMs);
    if (!ms) return false;
    busy_command_ = U16(f[1]);
    vanish_ms_ = static_cast<std::uint32_t>(*ms);
    return true;
  }
  if (f.size() != 2) return Fail(WrongForm(f[0]));
  const std::string& v = f[1];
  if (f[0] == "release") {
    if (v == "-") {
      release_ = -1;
      return true;
    }
    const auto release = Number(v, "release", 0, 8);
    if (!release) return false;
    release_ = static_cast<int>(*release);
  } else if (f[0] == "drawing") {
    drawing_ = Path(v);
  } else if (f[0] == "keitou") {
    keitou_none_ = v == "-";
    if (!keitou_none_) keitou_ = Path(v);
  } else if (f[0] == "ini") {
    ini_none_ = v == "-";
    if (!ini_none_) ini_ = Path(v);
  } else if (f[0] == "block") {
    block_none_ = v == "-";
    if (!block_none_) block_ = Path(v);
  } else if (f[0] == "blockscript") {
    block_script_none_ = v == "-";
    if (!block_script_none_) block_script_ = Path(v);
  } else if (f[0] == "folder") {
    folder_ = Path(v);
    std::error_code e;
    if (std::filesystem::exists(*folder_, e) && !std::filesystem::is_directory(*folder_, e))
      return Fail("folder に書いたものはフォルダではありません: " + folder_->string());
  } else if (f[0] == "instance") {
    if (v != "running") return Fail(WrongForm("instance"));
    another_instance_ = true;
  } else if (f[0] == "saveas") {
    if (v != "renames" && v != "keeps") return Fail(WrongForm("saveas"));
    saveas_renames_ = v == "renames";
  }
  return true;
}

bool Runner::Start() {
  if (app_) return Fail("既に start しています");
  std::error_code e;
  // The runner writes only in a folder it made: a fresh temporary one, the
  // folder the scenario names when it is not there yet, or a copy of it when
  // it is, so that a user's own Keitou.txt or plendra.ini is never removed or
  // overwritten.
  const auto make_temp_folder = [&]() -> bool {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path p =
          std::filesystem::temp_directory_path(e) / ("plendra-scenario-" + std::to_string(random()));
      if (e) break;
      if (std::filesystem::create_directory(p, e)) {
        temp_folder_ = p;
        return true;
      }
      if (e) break;
    }
    return false;
  };
  if (folder_ && std::filesystem::exists(*folder_, e)) {
    if (!std::filesystem::is_directory(*folder_, e))
      return Fail("folder に書いたものはフォルダではありません: " + folder_->string());
    if (!make_temp_folder()) return Fail("一時フォルダを作れません: " + e.message());
    app_folder_ = temp_folder_ / "folder";
    if (!CopyFolder(*folder_, app_folder_, e))
      return Fail("folder のフォルダを写せません: " + folder_->string() + " (" + e.message() + ")");
  } else if (folder_) {
    if (!std::filesystem::create_directories(*folder_, e) || e)
      return Fail("folder のフォルダを作れません: " + folder_->string() + " (" + e.message() + ")");
    app_folder_ = *folder_;
  } else {
    if (!make_temp_folder()) return Fail("一時フォルダを作れません: " + e.message());
    app_folder_ = temp_folder_;
  }
  // The shipped data, looked up only when a file is to come from it.
  std::optional<DataSearch> data;
  const auto shipped = [&](const char* name) -> std::optional<std::filesystem::path> {
    if (!data) data = FindDataFolder(base_);
    if (!data->folder) {
      std::string tried;
      for (const std::filesystem::path& p : data->tried) tried += (tried.empty() ? "" : "、") + p.string();
      Fail(std::string("同梱のデータ (") + name + ") が見つかりません。探したフォルダ: " + tried +
           " (環境変数 PLENDRA_SOURCE_DIR でソースのフォルダを指定できます)");
      return std::nullopt;
    }
    return *data->folder / name;
  };
  // A file the scenario names, or the shipped one; false when it failed.
  const auto copy = [&](const std::optional<std::filesystem::path>& given, const char* shipped_name,
                        const char* name, const char* what) {
    std::optional<std::filesystem::path> from = given;
    if (!from) from = shipped(shipped_name);
    if (!from) return false;
    std::filesystem::copy_file(*from, app_folder_ / name, std::filesystem::copy_options::overwrite_existing,
                               e);
    return e ? Fail(std::string(what) + "を写せません: " + from->string() + " (" + e.message() + ")") : true;
  };
  const auto remove = [&](const char* name) { std::filesystem::remove(app_folder_ / name, e); };
  if (keitou_none_)
    remove("Keitou.txt");
  else if (!copy(keitou_, "Keitou.txt", "Keitou.txt", "系統リスト"))
    return false;
  if (ini_none_)
    remove("plendra.ini");
  else if (!copy(ini_, "plendra.ini", "plendra.ini", "設定ファイル"))
    return false;
  // The installed parts-table block: cadsim reads DXF text under the .dwg
  // name (what its -WBLOCK writes, too), so the shipped DXF stands for it.
  if (block_none_)
    remove("Plendra1.dwg");
  else if (!copy(block_, "Plendra1.dxf", "Plendra1.dwg", "部品表ブロック"))
    return false;
  if (block_script_none_)
    remove("Plendra1.scr");
  else if (!copy(block_script_, "Plendra1.scr", "Plendra1.scr", "ブロックのスクリプト"))
    return false;

  if (release_ >= 0) {
    std::optional<std::filesystem::path> given = drawing_;
    if (!given) given = shipped("sample.dxf");
    if (!given) return false;
    const std::filesystem::path drawing = *given;
    cadsim::Drawing model;
    try {
      model = cadsim::ReadDxfFile(drawing, desktop_.Codec());
    } catch (const std::exception& error) {
      return Fail("図面を読めません: " + std::string(error.what()));
    }
    cadsim::SimCadOptions options;
    options.release = release_;
    options.saveas_renames = saveas_renames_;
    options.drawing_path = u"C:\\図面\\" + drawing.stem().u16string() + u".dwg";
    // AutoCAD is told the application's folder in Windows terms; its files
    // lie in app_folder_.
    options.folders = {{std::u16string(kAppFolderText), app_folder_.u16string()}};
    cad_ = std::make_unique<cadsim::SimCad>(desktop_, std::move(model), options);
    for (const auto& [name, value] : variables_) SetVariable(name, value);
    if (busy_ms_ > 0) {
      cad_->Cad().TheFaults().only_command = busy_command_;
      cad_->Cad().TheFaults().busy_for_ms = busy_ms_;
    }
    if (vanish_ms_) {
      cad_->Cad().TheFaults().only_command = busy_command_;
      cad_->Cad().TheFaults().vanish_after_ms = *vanish_ms_;
    }
    // Every command line AutoCAD is handed goes into the transcript.
    auto& traits = desktop_.Get(cad_->main).traits;
    traits.on_copy_data = [this, inner = traits.on_copy_data](
                              std::uintptr_t tag, std::span<const std::byte> data) -> std::intptr_t {
      if (tag == 1) {
        std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
        bytes = bytes.substr(0, bytes.find('\0'));
        OnCommand(bytes);
      }
      return inner ? inner(tag, data) : 0;
    };
  }
  host_ = std::make_unique<SimHost>(desktop_, app_folder_, std::u16string(kAppFolderText), transcript_);
  host_->another_instance = another_instance_;
  host_->drawing_folder = app_folder_ / "drawing";
  std::filesystem::create_directories(host_->drawing_folder, e);
  if (e)
    return Fail("図面のフォルダを作れません: " + host_->drawing_folder.string() + " (" + e.message() + ")");
  // The status bar's changes go among the commands, for "expect next".
  host_->form.on_status = [this](std::u16string_view text) {
    received_.push_back(std::u16string(kStatusMark) + std::u16string(text));
  };
  app_ = std::make_unique<plendra::Plendra>(*host_);
  Watch();
  if (!app_->Main()) host_->EndProgram();
  return true;
}

// The variables the drawing holds (CLAYER, TEXTSTYLE) are in the drawing's
// header; the others are settings of cadsim's session.
void Runner::SetVariable(const std::u16string& name, const std::u16string& value) {
  if (name == u"CLAYER")
    cad_->TheDrawing().current_layer = value;
  else if (name == u"TEXTSTYLE")
    cad_->TheDrawing().current_text_style = value;
  else
    cad_->Cad().Settings()[name] = value;
}

std::u16string Runner::Variable(const std::u16string& name) {
  if (name == u"CLAYER") return cad_->TheDrawing().current_layer;
  if (name == u"TEXTSTYLE") return cad_->TheDrawing().current_text_style;
  const auto& settings = cad_->Cad().Settings();
  const auto it = settings.find(name);
  return it == settings.end() ? u"" : it->second;
}

void Runner::OnCommand(std::string_view bytes) {
  const std::u16string text = CommandNotation(desktop_.Codec().FromAnsi(std::string(bytes)));
  received_.push_back(text);
  // Whatever the user was answering is over once AutoCAD is typed to again;
  // a selection from here on is a new one.
  in_flight_ = false;
  waiting_since_.reset();
  transcript_.Add("  cad: " + Utf8(text));
  // The steps waiting for this command are armed, in their order; they act
  // at the pump's next pass, where a click of the user's would arrive.
  while (!during_.empty() &&
         LowerAscii(text).find(LowerAscii(during_.front().command)) != std::u16string::npos) {
    armed_.push_back(during_.front());
    during_.pop_front();
  }
}

void Runner::ActDuring() {
  if (armed_.empty() || !app_) return;
  const DuringStep step = armed_.front();
  armed_.pop_front();
  const std::string command = Utf8(step.command);
  switch (step.kind) {
    case DuringStep::kStop:
      transcript_.Add("  user: presses " + Utf8(host_->form.button.Caption()) + " in Plendra during " +
                      command);
      app_->MainForm().Kaisi_Button_Click();
      break;
    case DuringStep::kClose:
      transcript_.Add("  user: clicks Plendra's close box during " + command);
      app_->MainForm().CloseRequest();
      break;
    case DuringStep::kActivate:
      transcript_.Add("  user: comes back to Plendra's window during " + command);
      app_->MainForm().Form_Activate();
      break;
  }
}

// The scripted user acts when a selection waits for a pick. The runner looks
// at every pass of the message pump, which is where a user's clicks arrive.
void Runner::Watch() {
  desktop_.UserEvent(0, [this] { OnPump(); });
}

void Runner::OnPump() {
  Watch();
  while (!armed_.empty() && !host_->ended) ActDuring();
  if (!cad_) return;
  if (!cad_->Cad().WaitingForUser()) {
    in_flight_ = false;
    waiting_since_.reset();
    return;
  }
  const std::uint32_t now = desktop_.Time().TickCount();
  if (!waiting_since_) waiting_since_ = now;
  if (!in_flight_ && user_.empty() && now - *waiting_since_ >= kUnansweredMs) {
    // A real user would act sooner or later; a scenario that has nothing
    // more to say is wrong, and Esc ends the selection so that it can end.
    unanswered_ = true;
    in_flight_ = true;
    transcript_.Add("  user: (no action queued for this selection; presses Esc)");
    cad_->Cad().Act(cadsim::UserAction::Escape());
    return;
  }
  if (in_flight_ || user_.empty() || now - *waiting_since_ < user_.front().delay_ms) return;
  const UserStep step = user_.front();
  user_.pop_front();
  switch (step.kind) {
    case UserStep::kPick:
      in_flight_ = true;
      transcript_.Add("  user: picks " + HandleText(step.handle));
      cad_->Cad().Act(cadsim::UserAction::Pick(step.handle));
      break;
    case UserStep::kEscape:
      in_flight_ = true;
      transcript_.Add("  user: presses Esc in AutoCAD");
      cad_->Cad().Act(cadsim::UserAction::Escape());
      break;
    case UserStep::kMiss:
      in_flight_ = true;
      transcript_.Add("  user: picks empty space");
      cad_->Cad().Act(cadsim::UserAction::Nothing());
      break;
    case UserStep::kStop:
      in_flight_ = true;
      transcript_.Add("  user: presses " + Utf8(host_->form.button.Caption()) + " in Plendra");
      if (app_) app_->MainForm().Kaisi_Button_Click();
      break;
    case UserStep::kClose:
      // The selection stays pending; the next step answers it.
      transcript_.Add("  user: clicks Plendra's close box");
      waiting_since_ = now;
      if (app_) app_->MainForm().CloseRequest();
      break;
  }
}

bool Runner::Setting(const std::vector<std::string>& f) {
  if (f.size() != 3 && !(f.size() == 4 && f[3] == "cancel")) return Fail(WrongForm("setting"));
  const bool cancel = f.size() == 4;
  const std::string name = f[1], value = f[2];
  FakeSettei& d = host_->settei;
  plendra::Settei_Form& logic = app_->Settings();
  // The value must be one the control can take, as the user can only choose
  // those: a scroll bar's range, 0 or 1 for a check box, True or False for an
  // option button, an item of the rounding list or its index.
  const auto scroll = [&](const FakeScroll& bar) {
    return Number(value, "setting " + name, bar.Min(), bar.Max());
  };
  std::int32_t number = 0;
  if (name == "Okisa" || name == "Hanare" || name == "Toumei") {
    const auto v = scroll(name == "Okisa" ? d.okisa : name == "Hanare" ? d.hanare : d.toumei);
    if (!v) return false;
    number = static_cast<std::int32_t>(*v);
  } else if (name == "Renzoku" || name == "Temae_Hyouji" || name == "Keitou_Layer" ||
             name == "Keitou_Check") {
    const auto v = Number(value, "setting " + name, 0, 1);
    if (!v) return false;
    number = static_cast<std::int32_t>(*v);
  } else if (name == "Mae" || name == "Usiro" || name == "Ue" || name == "Sita") {
    if (value != "True" && value != "False" && value != "1" && value != "0")
      return Fail("setting " + name + " は True か False で書いてください: \"" + value + "\"");
  } else if (name != "Marume") {
    return Fail("そのような設定はありません: " + name);
  }
  std::string problem;
  d.on_modal = [&, name, value] {
    const auto option = [&](FakeToggle& t) {
      const bool on = value == "True" || value == "1";
      if (on) {
        for (FakeToggle* o : {&d.mae, &d.usiro, &d.ue, &d.sita}) o->SetValue(0);
      }
      t.SetValue(on ? 1 : 0);
    };
    if (name == "Okisa") {
      d.okisa.SetValue(number);
      logic.Okisa_Scroll_Change();
    } else if (name == "Hanare") {
      d.hanare.SetValue(number);
      logic.Hanare_Scroll_Change();
    } else if (name == "Toumei") {
      d.toumei.SetValue(number);
    } else if (name == "Mae") {
      option(d.mae);
    } else if (name == "Usiro") {
      option(d.usiro);
    } else if (name == "Ue") {
      option(d.ue);
    } else if (name == "Sita") {
      option(d.sita);
    } else if (name == "Renzoku") {
      d.renzoku.SetValue(number);
    } else if (name == "Temae_Hyouji") {
      d.temae.SetValue(number);
    } else if (name == "Keitou_Layer") {
      d.keitou_layer.SetValue(number);
    } else if (name == "Keitou_Check") {
      d.keitou_check.SetValue(number);
    } else if (name == "Marume") {
      // The list is filled as the dialog opens: its items are known only now.
      std::int32_t item = d.marume.Find(U16(value));
      if (item < 0) {
        const auto index = WholeNumber(value, 0, d.marume.ListCount() - 1);
        if (index) {
          item = static_cast<std::int32_t>(*index);
        } else {
          std::string items;
          for (std::int32_t i = 0; i < d.marume.ListCount(); ++i)
            items += (i == 0 ? "" : "、") + Utf8(d.marume.Item(i));
          problem = "setting Marume は丸めの項目 (" + items + ") か 0～" +
                    std::to_string(d.marume.ListCount() - 1) + " の番号で書いてください: \"" + value + "\"";
        }
      }
      if (item >= 0) d.marume.SetListIndex(item);
    }
    if (!problem.empty())
      logic.Cancel_Button_Click();
    else if (cancel)
      logic.Cancel_Button_Click();
    else
      logic.OK_Button_Click();
  };
  app_->MainForm().Mnu_Settei_Click();
  d.on_modal = nullptr;
  return problem.empty() ? true : Fail(problem);
}

const cadsim::Insert* Runner::FindEntry(const std::u16string& system, const std::u16string& number) const {
  if (!cad_) return nullptr;
  for (cadsim::Entity& e : cad_->TheDrawing().entities) {
    const auto* insert = std::get_if<cadsim::Insert>(&e);
    if (insert == nullptr) continue;
    const auto& a = insert->attributes;
    for (std::size_t i = 0; i + 1 < a.size(); ++i)
      if (a[i].tag == u"(1)系統" && a[i].value == system && a[i + 1].value == number) return insert;
  }
  return nullptr;
}

bool Runner::Expect(const std::vector<std::string>& f) {
  // How each expectation is written, for a line that names one but does not
  // fit it.
  static const std::map<std::string, std::string> forms = {
      {"status", "expect status TEXT"},
      {"message", "expect message TEXT または expect message -"},
      {"number", "expect number TEXT"},
      {"system", "expect system TEXT"},
      {"button", "expect button TEXT"},
      {"entries", "expect entries N"},
      {"entry", "expect entry SYSTEM NUMBER LENGTH X Y"},
      {"layer", "expect layer SYSTEM NUMBER LAYER"},
      {"style", "expect style SYSTEM NUMBER STYLE"},
      {"ini", "expect ini LINE TEXT"},
      {"sent", "expect sent TEXT"},
      {"ended", "expect ended"},
      {"finding", "expect finding TYPE SYSTEM NUMBER"},
      {"plan", "expect plan OLD>NEW... または expect plan -"},
      {"snapshot", "expect snapshot"},
      {"message-part", "expect message-part TEXT"},
      {"variable", "expect variable NAME VALUE"},
      {"height", "expect height SYSTEM NUMBER HEIGHT"},
      {"next", "expect next TEXT... または expect next -"},
      {"focus", "expect focus system または expect focus number"},
      {"menus", "expect menus enabled または expect menus disabled"},
  };
  const std::size_t n = f.size();
  if (n < 2) return Fail("expect の後に何を確かめるかを書いてください");
  const std::string& what = f[1];
  const auto check = [&](const std::string& seen, const std::string& wanted) {
    return seen == wanted ? true : Fail(what + " は \"" + wanted + "\" のはずが \"" + seen + "\" でした");
  };
  if (what == "ended" && n == 2)
    return host_ && host_->ended ? true : Fail("プログラムはまだ終了していません");
  if (!host_)
    return Fail(forms.contains(what)
                    ? "expect " + what + " の前にプログラムを起動してください (start がありません)"
                    : "知らない確かめ方です: expect " + what);
  if (what == "finding") return ExpectFinding(f);
  if (what == "plan" || what == "snapshot") return ExpectRenumber(f);
  if (what == "status" && n == 3) return check(Utf8(host_->form.Status()), f[2]);
  if (what == "number" && n == 3) return check(Utf8(host_->form.bangou.Text()), f[2]);
  if (what == "system" && n == 3) return check(Utf8(host_->form.keitou.Text()), f[2]);
  if (what == "button" && n == 3) return check(Utf8(host_->form.button.Caption()), f[2]);
  if (what == "message" && n == 3) {
    const auto& boxes = desktop_.ShownBoxes();
    if (f[2] == "-") {
      const bool none = boxes.size() == boxes_seen_;
      boxes_seen_ = boxes.size();
      return none ? true : Fail("新しいメッセージはないはずが \"" + Utf8(boxes.back().text) + "\" でした");
    }
    boxes_seen_ = boxes.size();
    return check(boxes.empty() ? std::string() : Utf8(boxes.back().text), f[2]);
  }
  if (what == "message-part" && n == 3) {
    // For a text that names a folder of this machine (the temporary one).
    const auto& boxes = desktop_.ShownBoxes();
    boxes_seen_ = boxes.size();
    const std::string seen = boxes.empty() ? std::string() : Utf8(boxes.back().text);
    return seen.find(f[2]) != std::string::npos
               ? true
               : Fail("メッセージに \"" + f[2] + "\" が含まれるはずが \"" + seen + "\" でした");
  }
  if (what == "sent" && n == 3) {
    for (const std::u16string& text : received_)
      if (!text.starts_with(kStatusMark) && Utf8(text) == f[2]) return true;
    return Fail("AutoCAD に \"" + f[2] + "\" は渡されていません");
  }
  if (what == "variable" && n == 4) {
    if (!cad_) return Fail("AutoCAD が動いていません");
    return check(Utf8(Variable(U16(f[2]))), f[3]);
  }
  if (what == "next" && n >= 3) return ExpectNext(f);
  if (what == "focus" && n == 3) {
    if (f[2] == "system")
      return host_->form.keitou.Focused() ? true : Fail("系統の欄にフォーカスがありません");
    if (f[2] == "number")
      return host_->form.bangou.Focused() ? true : Fail("番号の欄にフォーカスがありません");
    return Fail("書き方が違います。正しくは " + forms.at("focus"));
  }
  if (what == "menus" && n == 3 && (f[2] == "enabled" || f[2] == "disabled")) {
    const bool on = f[2] == "enabled";
    const FakeForm1& form = host_->form;
    std::string wrong;
    if (form.settei_menu.Enabled() != on) wrong += " 設定";
    if (form.help_menu.Enabled() != on) wrong += " ヘルプ";
    if (form.kensa_menu.Enabled() != on) wrong += " 検査";
    return wrong.empty() ? true
                         : Fail("メニューが " + std::string(on ? "使える" : "使えない") +
                                "状態ではありません:" + wrong);
  }
  if (what == "entries" && n == 3) {
    const auto wanted = Number(f[2], "expect entries の N", 0, std::numeric_limits<std::int32_t>::max());
    if (!wanted) return false;
    int count = 0;
    if (cad_)
      for (const cadsim::Entity& e : cad_->TheDrawing().entities)
        if (const auto* insert = std::get_if<cadsim::Insert>(&e))
          for (const auto& a : insert->attributes)
            if (a.tag == u"(1)系統") ++count;
    return check(std::to_string(count), std::to_string(*wanted));
  }
  if (what == "entry" && n == 7) {
    for (std::size_t i = 4; i < 7; ++i)
      if (!DecimalNumber(f[i]))
        return Fail(std::string(i == 4   ? "expect entry の LENGTH"
                                : i == 5 ? "expect entry の X"
                                         : "expect entry の Y") +
                    " は数で書いてください: \"" + f[i] + "\"");
    const cadsim::Insert* entry = FindEntry(U16(f[2]), U16(f[3]));
    if (entry == nullptr) return Fail("記入 " + f[2] + " " + f[3] + " がありません");
    const std::string length = entry->attributes.size() > 3 ? NumberText(entry->attributes[3].value) : "";
    const std::string x = Utf8(plendra::SingleText(static_cast<float>(entry->position.x)));
    const std::string y = Utf8(plendra::SingleText(static_cast<float>(entry->position.y)));
    const std::string seen = length + " " + x + " " + y;
    const std::string wanted =
        NumberText(U16(f[4])) + " " + NumberText(U16(f[5])) + " " + NumberText(U16(f[6]));
    return seen == wanted ? true
                          : Fail("記入 " + f[2] + " " + f[3] + " の長さと位置は " + wanted + " のはずが " +
                                 seen + " でした");
  }
  if (what == "layer" && n == 5) {
    const cadsim::Insert* entry = FindEntry(U16(f[2]), U16(f[3]));
    if (entry == nullptr) return Fail("記入 " + f[2] + " " + f[3] + " がありません");
    return check(Utf8(entry->layer), f[4]);
  }
  if (what == "height" && n == 5) {
    if (!DecimalNumber(f[4])) return Fail("expect height の HEIGHT は数で書いてください: \"" + f[4] + "\"");
    const cadsim::Insert* entry = FindEntry(U16(f[2]), U16(f[3]));
    if (entry == nullptr) return Fail("記入 " + f[2] + " " + f[3] + " がありません");
    // The number's attribute: the one right after the system's.
    const auto& a = entry->attributes;
    std::string seen;
    for (std::size_t i = 0; i + 1 < a.size(); ++i)
      if (a[i].tag == u"(1)系統") seen = Utf8(plendra::SingleText(static_cast<float>(a[i + 1].height)));
    return check(seen, NumberText(U16(f[4])));
  }
  if (what == "style" && n == 5) {
    const cadsim::Insert* entry = FindEntry(U16(f[2]), U16(f[3]));
    if (entry == nullptr) return Fail("記入 " + f[2] + " " + f[3] + " がありません");
    // -ATTEDIT changes the attribute it selected as "last", not all of them.
    std::string seen;
    for (const auto& a : entry->attributes) {
      if (a.style == U16(f[4])) return true;
      seen += (seen.empty() ? "" : ",") + Utf8(a.style);
    }
    return check(seen, f[4]);
  }
  if (what == "ini" && n == 4) {
    std::string bytes;
    const auto wanted_line = Number(f[2], "expect ini の LINE", 1, std::numeric_limits<std::int32_t>::max());
    if (!wanted_line) return false;
    if (!ReadBytes(app_folder_ / "plendra.ini", &bytes)) return Fail("plendra.ini がありません");
    const std::u16string text = desktop_.Codec().FromAnsi(bytes);
    std::size_t at = 0;
    for (std::int64_t i = 1; i < *wanted_line && at != std::u16string::npos; ++i) {
      at = text.find(u"\r\n", at);
      if (at != std::u16string::npos) at += 2;
    }
    std::string seen;
    if (at != std::u16string::npos && at < text.size()) {
      const std::size_t end = text.find(u"\r\n", at);
      seen = Utf8(text.substr(at, end == std::u16string::npos ? std::u16string::npos : end - at));
    }
    return check(seen, f[3]);
  }
  if (forms.contains(what)) return Fail("書き方が違います。正しくは " + forms.at(what));
  return Fail("知らない確かめ方です: expect " + what);
}

bool Runner::ExpectNext(const std::vector<std::string>& f) {
  // The commands, and the status bar's changes ("status:TEXT"), handed and
  // made since the mark.
  std::vector<std::string> seen;
  for (std::size_t i = next_mark_; i < received_.size(); ++i) seen.push_back(Utf8(received_[i]));
  const std::string status_mark = Utf8(kStatusMark);
  const auto is_status = [&](const std::string& s) { return s.rfind(status_mark, 0) == 0; };
  const auto since = [&] {
    std::string list;
    for (const std::string& line : seen) list += "\n    " + line;
    return list.empty() ? std::string(" nothing") : list;
  };
  if (f.size() == 3 && f[2] == "-") {
    if (std::any_of(seen.begin(), seen.end(), [&](const std::string& s) { return !is_status(s); }))
      return Fail("AutoCAD に何も渡されていないはずが、渡されたもの:" + since());
    return true;
  }
  const std::vector<std::string> want(f.begin() + 2, f.end());
  // Each TEXT is the next command exactly, "*" any one command, "..." any
  // lines (the fewest that let the rest match), "status:TEXT" the status
  // bar's next change; changes of the status bar that no field names are
  // passed over.
  std::function<std::optional<std::size_t>(std::size_t, std::size_t)> match =
      [&](std::size_t w, std::size_t at) -> std::optional<std::size_t> {
    if (w == want.size()) return at;
    if (want[w] == "...") {
      for (std::size_t skip = at; skip <= seen.size(); ++skip)
        if (const auto end = match(w + 1, skip)) return end;
      return std::nullopt;
    }
    if (!is_status(want[w]))
      while (at < seen.size() && is_status(seen[at])) ++at;
    if (at >= seen.size() || (want[w] != "*" && want[w] != seen[at])) return std::nullopt;
    return match(w + 1, at + 1);
  };
  const std::optional<std::size_t> end = match(0, 0);
  if (!end) return Fail("AutoCAD にこの順に渡されていません。前の expect next から渡されたもの:" + since());
  next_mark_ += *end;
  return true;
}

bool Runner::WriteOut(const std::filesystem::path& dir, std::string* problem) {
  std::vector<std::string> failed;
  std::error_code e;
  std::filesystem::create_directories(dir, e);
  if (e) failed.push_back(dir.string() + " (" + e.message() + ")");
  // A file counts as written once it is closed without an error: a full disk
  // shows only as the last buffer goes out.
  const auto write = [&](const char* name, const auto& fill) {
    std::ofstream file(dir / name, std::ios::binary);
    fill(file);
    file.close();
    if (!file) failed.push_back((dir / name).string());
  };
  if (cad_ && failed.empty()) {
    if (!cadsim::WriteDxfFile(dir / "drawing.dxf", cad_->TheDrawing(), desktop_.Codec()))
      failed.push_back((dir / "drawing.dxf").string());
    write("drawing.svg", [&](std::ofstream& svg) { svg << cadsim::RenderSvg(cad_->TheDrawing()); });
  }
  if (failed.empty() && !app_folder_.empty() && std::filesystem::exists(app_folder_ / "plendra.ini", e)) {
    std::filesystem::copy_file(app_folder_ / "plendra.ini", dir / "plendra.ini",
                               std::filesystem::copy_options::overwrite_existing, e);
    if (e) failed.push_back((dir / "plendra.ini").string() + " (" + e.message() + ")");
  }
  if (failed.empty())
    write("transcript.txt", [&](std::ofstream& t) {
      for (const std::string& line : transcript_.Lines()) t << line << '\n';
    });
  if (problem != nullptr) {
    problem->clear();
    for (const std::string& f : failed) *problem += (problem->empty() ? "" : "、") + f;
  }
  return failed.empty();
}

namespace {

// The bytes of a scenario file; false when it is no file or cannot be read
// to its end.
bool ReadScenario(const std::filesystem::path& file, std::string* bytes, std::string* why) {
  std::error_code e;
  if (std::filesystem::is_directory(file, e)) {
    *why = "フォルダです";
    return false;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    *why = std::filesystem::exists(file, e) ? "開けません" : "ありません";
    return false;
  }
  // Scenarios are a few kilobytes. A bound keeps a device such as /dev/zero,
  // or a drawing named by mistake, from being read until memory runs out.
  constexpr std::size_t kLargest = 4 << 20;
  std::string read;
  char buffer[4096];
  while (read.size() <= kLargest && (in.read(buffer, sizeof buffer) || in.gcount() > 0))
    read.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) {
    *why = "読み取りに失敗しました";
    return false;
  }
  if (read.size() > kLargest) {
    *why = "シナリオとしては大きすぎます。4 MB までです";
    return false;
  }
  *bytes = std::move(read);
  return true;
}

}  // namespace

int RunFile(const std::filesystem::path& file, const std::optional<std::filesystem::path>& out_dir,
            std::ostream& out, std::ostream& err) {
  std::string bytes, why;
  if (!ReadScenario(file, &bytes, &why)) {
    err << "plendra-scenario: シナリオを読めません (" << why << "): " << file.string() << "\n";
    return 2;
  }
  // Relative paths in the scenario are relative to its folder, whatever the
  // current folder is; a bare file name has an empty parent.
  std::error_code e;
  std::filesystem::path absolute = std::filesystem::absolute(file, e);
  if (e) absolute = file;
  Runner runner(absolute.parent_path(), out, &err);
  std::size_t number = 0, actions = 0;
  bool passed = true;
  for (const std::string_view line : ScenarioLines(bytes)) {
    ++number;
    std::string error;
    const auto fields = SplitLine(line, &error);
    if (!fields) {
      runner.FailLine(number, error);
      passed = false;
    } else if (!fields->empty()) {
      ++actions;
      passed = runner.Run(number, *fields);
    }
    if (!passed) break;
  }
  if (passed && actions == 0) {
    err << "plendra-scenario: シナリオに動作が一つもありません: " << file.string() << "\n";
    return 2;
  }
  if (passed) {
    // The earliest line that nothing took.
    const std::vector<std::size_t> steps = runner.PendingUserSteps(), answers = runner.PendingAnswers();
    if (!steps.empty() && (answers.empty() || steps.front() < answers.front())) {
      runner.FailLine(steps.front(), "この user の操作を待つ選択がありませんでした");
      passed = false;
    } else if (!answers.empty()) {
      runner.FailLine(answers.front(), "この answer で答える質問がありませんでした");
      passed = false;
    }
  }
  if (out_dir) {
    std::string failed;
    if (!runner.WriteOut(*out_dir, &failed)) {
      err << "plendra-scenario: --out のファイルを書き込めません: " << failed << "\n";
      return 2;
    }
  }
  if (!passed) return 1;
  out << "成功: " << file.filename().string() << "\n";
  return 0;
}

}  // namespace scenario
