// The actions a scenario line can name, each with how it is written and what
// it does, and the user's steps in AutoCAD and Plendra.
#include <limits>

#include "scenario.h"
#include "scenario_internal.h"

namespace scenario {

struct Runner::Action {
  const char* verb;
  // How the action is written, for a line that names it but does not fit it.
  const char* form;
  // kSetup: only before start; kAnyTime: before and after; kRunning: only
  // once the program has started.
  enum When { kSetup, kAnyTime, kRunning } when;
  // The fields a line of it has, the verb included; a line with fewer or
  // more does not fit.
  std::size_t least, most;
  bool (*act)(Runner&, const Fields&);
};

namespace {

constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();

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

}  // namespace

const Runner::Action* Runner::FindAction(const std::string& verb) {
  using A = Action;
  static const Action actions[] = {
      {"release", "release N (0～8) または release -", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) {
         if (f[1] == "-") {
           r.release_ = -1;
           return true;
         }
         const auto release = r.Number(f[1], "release", 0, 8);
         if (release) r.release_ = static_cast<int>(*release);
         return release.has_value();
       }},
      {"drawing", "drawing F.dxf", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) {
         r.drawing_ = r.Path(f[1]);
         return true;
       }},
      {"keitou", "keitou F または keitou -", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) { return r.FolderFile(f[1], r.keitou_, r.keitou_none_); }},
      {"ini", "ini F または ini -", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) { return r.FolderFile(f[1], r.ini_, r.ini_none_); }},
      {"block", "block F または block -", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) { return r.FolderFile(f[1], r.block_, r.block_none_); }},
      {"blockscript", "blockscript F または blockscript -", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) { return r.FolderFile(f[1], r.block_script_, r.block_script_none_); }},
      {"folder", "folder D", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) {
         r.folder_ = r.Path(f[1]);
         std::error_code e;
         if (std::filesystem::exists(*r.folder_, e) && !std::filesystem::is_directory(*r.folder_, e))
           return r.Fail("folder に書いたものはフォルダではありません: " + r.folder_->string());
         return true;
       }},
      {"instance", "instance running", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) {
         if (f[1] != "running") return r.Fail(WrongForm("instance"));
         r.another_instance_ = true;
         return true;
       }},
      {"busy", "busy COMMAND MS", A::kSetup, 3, 3,
       [](Runner& r, const Fields& f) {
         const auto ms = r.Number(f[2], "busy の MS", 0, kLongestMs);
         if (!ms) return false;
         r.busy_command_ = U16(f[1]);
         r.busy_ms_ = static_cast<std::uint32_t>(*ms);
         return true;
       }},
      {"commandtime", "commandtime MS", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) {
         const auto ms = r.Number(f[1], "commandtime の MS", 0, kLongestMs);
         if (!ms) return false;
         r.command_ms_ = static_cast<std::uint32_t>(*ms);
         return true;
       }},
      {"vanish", "vanish COMMAND MS", A::kSetup, 3, 3,
       [](Runner& r, const Fields& f) {
         const auto ms = r.Number(f[2], "vanish の MS", 0, kLongestMs);
         if (!ms) return false;
         r.busy_command_ = U16(f[1]);
         r.vanish_ms_ = static_cast<std::uint32_t>(*ms);
         return true;
       }},
      {"saveas", "saveas renames または saveas keeps", A::kSetup, 2, 2,
       [](Runner& r, const Fields& f) {
         if (f[1] != "renames" && f[1] != "keeps") return r.Fail(WrongForm("saveas"));
         r.saveas_renames_ = f[1] == "renames";
         return true;
       }},
      {"variable", "variable NAME VALUE", A::kSetup, 3, 3,
       [](Runner& r, const Fields& f) {
         r.variables_.emplace_back(U16(f[1]), U16(f[2]));
         return true;
       }},
      {"answer", "answer yes または answer no", A::kAnyTime, 1, kAny,
       [](Runner& r, const Fields& f) {
         if (f.size() != 2 || (f[1] != "yes" && f[1] != "no"))
           return r.Fail("answer yes または answer no と書いてください");
         r.answers_.push_back({f[1] == "yes", r.line_});
         return true;
       }},
      {"start", "start", A::kAnyTime, 1, kAny,
       [](Runner& r, const Fields& f) {
         return f.size() == 1 ? r.Start() : r.Fail("start の後には何も書きません");
       }},
      {"expect", "expect WHAT ...", A::kAnyTime, 1, kAny,
       [](Runner& r, const Fields& f) { return r.Expect(f); }},
      {"system", "system NAME", A::kRunning, 2, 2,
       [](Runner& r, const Fields& f) {
         const std::u16string name = U16(f[1]);
         const std::int32_t at = r.host_->form.keitou.Find(name);
         if (at >= 0) {
           const Mark chosen = r.Now();
           r.host_->form.keitou.SetListIndex(at);
           r.app_->MainForm().Keitou_Combo_Click();
           if (r.timing_) r.AddTiming("lookup " + f[1], chosen);
         } else {
           r.host_->form.keitou.SetText(name);  // typed: no click
         }
         return true;
       }},
      {"number", "number TEXT", A::kRunning, 2, 2,
       [](Runner& r, const Fields& f) {
         const std::u16string number = U16(f[1]);
         const std::int32_t at = r.host_->form.bangou.Find(number);
         if (at >= 0)
           r.host_->form.bangou.SetListIndex(at);
         else
           r.host_->form.bangou.SetText(number);
         return true;
       }},
      {"setting", "setting NAME VALUE [cancel]", A::kRunning, 1, kAny,
       [](Runner& r, const Fields& f) { return r.Setting(f); }},
      {"check", "check", A::kRunning, 1, kAny, [](Runner& r, const Fields& f) { return r.Kensa(f); }},
      {"takeoff", "takeoff", A::kRunning, 1, kAny, [](Runner& r, const Fields& f) { return r.Kensa(f); }},
      {"zoom", "zoom ROW", A::kRunning, 1, kAny, [](Runner& r, const Fields& f) { return r.Kensa(f); }},
      {"renumber", "renumber [SYSTEM [cancel]]", A::kRunning, 1, kAny,
       [](Runner& r, const Fields& f) { return r.Kensa(f); }},
      {"autocad", "autocad TEXT", A::kRunning, 1, kAny,
       [](Runner& r, const Fields& f) { return r.Kensa(f); }},
      {"snapshot", "snapshot", A::kRunning, 1, kAny, [](Runner& r, const Fields& f) { return r.Kensa(f); }},
      {"press", "press", A::kRunning, 1, 1,
       [](Runner& r, const Fields&) {
         r.app_->MainForm().Kaisi_Button_Click();
         return true;
       }},
      {"close", "close", A::kRunning, 1, 1,
       [](Runner& r, const Fields&) {
         r.app_->MainForm().CloseRequest();
         return true;
       }},
      {"move", "move TOP LEFT", A::kRunning, 3, 3,
       [](Runner& r, const Fields& f) {
         constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
         constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
         const auto top = r.Number(f[1], "move の TOP", kMin, kMax);
         if (!top) return false;
         const auto left = r.Number(f[2], "move の LEFT", kMin, kMax);
         if (!left) return false;
         r.host_->form.Move(static_cast<std::int32_t>(*top), static_cast<std::int32_t>(*left));
         return true;
       }},
      {"menu", "menu help または menu about", A::kRunning, 2, 2,
       [](Runner& r, const Fields& f) {
         if (f[1] == "help")
           r.app_->MainForm().Mnu_Tukaikata_Click();
         else if (f[1] == "about")
           r.app_->MainForm().Mnu_Ver_Click();
         else
           return r.Fail("menu help または menu about と書いてください");
         return true;
       }},
      {"about", "about ok", A::kRunning, 2, 2,
       [](Runner& r, const Fields& f) {
         if (f[1] != "ok") return r.Fail(r.WrongForm("about"));
         if (!r.host_->about.shown) return r.Fail("バージョン情報が表示されていません");
         r.host_->about.Hide();
         r.app_->MainForm().Window_Activated(plendra::FocusFrom::kAboutBox);
         return true;
       }},
      {"user",
       "user pick HANDLE [MS]、user esc [MS]、user miss [MS]、user stop [MS]、user close [MS] または user "
       "stop|close|activate during COMMAND または user type TEXT during COMMAND",
       A::kRunning, 2, kAny,
       [](Runner& r, const Fields& f) {
         const bool during = (f.size() == 4 && f[2] == "during") || (f.size() == 5 && f[3] == "during");
         return during ? r.UserDuringLine(f) : r.UserStepLine(f);
       }},
  };
  for (const Action& action : actions)
    if (verb == action.verb) return &action;
  return nullptr;
}

std::string Runner::WrongForm(const std::string& verb) {
  const Action* action = FindAction(verb);
  return "書き方が違います。正しくは " + (action != nullptr ? std::string(action->form) : verb + " ...");
}

bool Runner::RunLine(std::size_t line_number, const Fields& f) {
  line_ = line_number;
  std::string echo = "> " + std::to_string(line_number) + ":";
  for (const std::string& field : f) echo += " " + field;
  transcript_.Add(echo);
  const std::string& verb = f[0];
  const Action* action = FindAction(verb);
  if (action != nullptr && action->when == Action::kSetup && app_)
    return Fail(verb + " は準備の行です。start の前に書いてください");
  if (action == nullptr || action->when == Action::kRunning) {
    if (!app_)
      return Fail(action != nullptr ? verb + " の前にプログラムを起動してください (start がありません)"
                                    : UnknownAction(verb));
    if (host_->ended && verb != "user") return Fail("プログラムは終了しています");
    if (action == nullptr) return Fail(UnknownAction(verb));
  }
  if (f.size() < action->least || f.size() > action->most) return Fail(WrongForm(verb));
  return action->act(*this, f);
}

// "user stop|close|activate during COMMAND", "user type TEXT during COMMAND".
bool Runner::UserDuringLine(const Fields& f) {
  DuringStep step{DuringStep::kStop, U16(f.back()), {}, line_};
  if (f.size() == 5) {
    if (f[1] != "type") return Fail(WrongForm("user"));
    step.kind = DuringStep::kType;
    step.typed = f[2];
  } else if (f[1] == "stop")
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

// "user pick HANDLE [MS]", "user esc|miss|stop|close [MS]".
bool Runner::UserStepLine(const Fields& f) {
  static const std::pair<const char*, UserStep::Kind> kinds[] = {
      {"pick", UserStep::kPick}, {"esc", UserStep::kEscape},  {"miss", UserStep::kMiss},
      {"stop", UserStep::kStop}, {"close", UserStep::kClose},
  };
  const std::string& what = f[1];
  const auto kind =
      std::find_if(std::begin(kinds), std::end(kinds), [&](const auto& k) { return what == k.first; });
  if (kind == std::end(kinds) || (kind->second == UserStep::kPick && f.size() < 3))
    return Fail(WrongForm("user"));
  UserStep step{kind->second};
  step.line = line_;
  std::size_t delay_field = 2;
  if (step.kind == UserStep::kPick) {
    // DXF handles are hexadecimal and never 0.
    const auto handle = Number(f[2], "user pick の HANDLE", 1, std::numeric_limits<std::int64_t>::max(), 16);
    if (!handle) return false;
    step.handle = static_cast<cadsim::Handle>(*handle);
    delay_field = 3;
  }
  if (f.size() > delay_field + 1) return Fail(WrongForm("user"));
  if (f.size() > delay_field) {
    const auto delay = Number(f[delay_field], "user " + what + " の MS", 0, kLongestMs);
    if (!delay) return false;
    step.delay_ms = static_cast<std::uint32_t>(*delay);
  }
  user_.push_back(step);
  return true;
}

}  // namespace scenario
