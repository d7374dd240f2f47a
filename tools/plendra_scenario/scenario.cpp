#include "scenario.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "app/number_text.h"
#include "cadsim/dxf.h"
#include "cadsim/svg.h"
#include "platform/utf8.h"

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

// Where the shipped data lives: the source tree's data/ folder.
std::filesystem::path DataFolder(const std::filesystem::path& base) {
  if (const char* root = std::getenv("PLENDRA_SOURCE_DIR")) return std::filesystem::path(root) / "data";
  for (std::filesystem::path p = std::filesystem::absolute(base); !p.empty(); p = p.parent_path()) {
    if (std::filesystem::exists(p / "data" / "Plendra1.dxf")) return p / "data";
    if (p == p.parent_path()) break;
  }
  return "data";
}

}  // namespace

std::optional<std::vector<std::string>> SplitLine(const std::string& line, std::string* error) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      const std::size_t end = line.find('"', i + 1);
      if (end == std::string::npos) {
        *error = "a quoted field does not end";
        return std::nullopt;
      }
      fields.push_back(line.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      std::size_t end = i;
      while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r' &&
             line[end] != '\n')
        ++end;
      fields.push_back(line.substr(i, end - i));
      i = end;
    }
  }
  return fields;
}

Runner::Runner(std::filesystem::path base, std::ostream& out) : base_(std::move(base)), out_(out) {
  transcript_.echo = &out_;
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
  transcript_.Add("FAIL line " + std::to_string(line_) + ": " + why);
  return false;
}

bool Runner::Run(std::size_t line_number, const std::vector<std::string>& f) {
  const bool ok = RunLine(line_number, f);
  if (ok && unanswered_) {
    unanswered_ = false;
    return Fail("a selection waited for the user with no user action queued");
  }
  if (ok && unanswered_question_) {
    unanswered_question_ = false;
    return Fail("a question was shown with no answer queued");
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
      verb == "instance" || verb == "block" || verb == "blockscript" || verb == "busy" || verb == "saveas" ||
      verb == "variable")
    return Setup(f);
  if (verb == "answer") {
    if (n != 2 || (f[1] != "yes" && f[1] != "no")) return Fail("answer yes or answer no");
    answers_.push_back({f[1] == "yes", line_number});
    return true;
  }
  if (verb == "start") return n == 1 ? Start() : Fail("start takes nothing");
  if (verb == "expect") return Expect(f);
  if (!app_) return Fail("the program has not been started");
  plendra::Form1& form = app_->MainForm();
  if (host_->ended && verb != "user") return Fail("the program has ended");
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
  if (verb == "check" || verb == "zoom" || verb == "takeoff") return Kensa(f);
  if (verb == "press" && n == 1) {
    form.Kaisi_Button_Click();
    return true;
  }
  if (verb == "close" && n == 1) {
    form.CloseRequest();
    return true;
  }
  if (verb == "move" && n == 3) {
    host_->form.Move(std::atoi(f[1].c_str()), std::atoi(f[2].c_str()));
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
    return Fail("menu help or menu about");
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
      return Fail("user stop, user close or user activate during COMMAND");
    if (step.command.empty()) return Fail("user ... during COMMAND: the command is empty");
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
      step.handle = std::strtoull(f[2].c_str(), nullptr, 16);
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
      return Fail("user pick HANDLE, user esc, user miss, user stop or user close");
    }
    if (n > delay_field) step.delay_ms = static_cast<std::uint32_t>(std::atoi(f[delay_field].c_str()));
    user_.push_back(step);
    return true;
  }
  return Fail("unknown action");
}

bool Runner::Setup(const std::vector<std::string>& f) {
  if (app_) return Fail("setup comes before start");
  if (f[0] == "variable") {
    if (f.size() != 3) return Fail("variable NAME VALUE");
    variables_.emplace_back(U16(f[1]), U16(f[2]));
    return true;
  }
  if (f[0] == "busy") {
    if (f.size() != 3 || f[2].empty() || f[2].find_first_not_of("0123456789") != std::string::npos)
      return Fail("busy COMMAND MS");
    busy_command_ = U16(f[1]);
    busy_ms_ = static_cast<std::uint32_t>(std::stoul(f[2]));
    return true;
  }
  if (f.size() != 2) return Fail(f[0] + " takes one field");
  const std::string& v = f[1];
  if (f[0] == "release") {
    if (v == "-") {
      release_ = -1;
      return true;
    }
    release_ = std::atoi(v.c_str());
    if (release_ < 0 || release_ > 8 || v.empty()) return Fail("release 0 to 8, or - for none");
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
  } else if (f[0] == "instance") {
    if (v != "running") return Fail("instance running");
    another_instance_ = true;
  } else if (f[0] == "saveas") {
    if (v != "renames" && v != "keeps") return Fail("saveas renames or saveas keeps");
    saveas_renames_ = v == "renames";
  }
  return true;
}

bool Runner::Start() {
  if (app_) return Fail("started already");
  const std::filesystem::path data = DataFolder(base_);
  if (folder_) {
    app_folder_ = *folder_;
    std::filesystem::create_directories(app_folder_);
  } else {
    std::random_device random;
    temp_folder_ = std::filesystem::temp_directory_path() / ("plendra-scenario-" + std::to_string(random()));
    std::filesystem::create_directories(temp_folder_);
    app_folder_ = temp_folder_;
  }
  std::error_code e;
  const auto copy = [&](const std::filesystem::path& from, const char* name) {
    std::filesystem::copy_file(from, app_folder_ / name, std::filesystem::copy_options::overwrite_existing,
                               e);
    return !e;
  };
  if (keitou_none_)
    std::filesystem::remove(app_folder_ / "Keitou.txt", e);
  else if (!copy(keitou_.value_or(data / "Keitou.txt"), "Keitou.txt"))
    return Fail("cannot copy the system list");
  if (ini_none_)
    std::filesystem::remove(app_folder_ / "plendra.ini", e);
  else if (!copy(ini_.value_or(data / "plendra.ini"), "plendra.ini"))
    return Fail("cannot copy the settings file");
  // The installed parts-table block: cadsim reads DXF text under the .dwg
  // name (what its -WBLOCK writes, too), so the shipped DXF stands for it.
  if (block_none_)
    std::filesystem::remove(app_folder_ / "Plendra1.dwg", e);
  else if (!copy(block_.value_or(data / "Plendra1.dxf"), "Plendra1.dwg"))
    return Fail("cannot copy the parts-table block");
  if (block_script_none_)
    std::filesystem::remove(app_folder_ / "Plendra1.scr", e);
  else if (!copy(block_script_.value_or(data / "Plendra1.scr"), "Plendra1.scr"))
    return Fail("cannot copy the block's script");

  if (release_ >= 0) {
    const std::filesystem::path drawing = drawing_.value_or(data / "sample.dxf");
    cadsim::Drawing model;
    try {
      model = cadsim::ReadDxfFile(drawing, desktop_.Codec());
    } catch (const std::exception& error) {
      return Fail("the drawing cannot be read: " + std::string(error.what()));
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
  std::filesystem::create_directories(host_->drawing_folder);
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
  if (f.size() != 3 && !(f.size() == 4 && f[3] == "cancel")) return Fail("setting NAME VALUE [cancel]");
  const bool cancel = f.size() == 4;
  const std::string name = f[1], value = f[2];
  FakeSettei& d = host_->settei;
  plendra::Settei_Form& logic = app_->Settings();
  std::string problem;
  d.on_modal = [&, name, value] {
    const int number = std::atoi(value.c_str());
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
      const std::int32_t item = d.marume.Find(U16(value));
      d.marume.SetListIndex(item >= 0 ? item : number);
    } else {
      problem = "no setting " + name;
    }
    if (cancel)
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
  const std::size_t n = f.size();
  if (n < 2) return Fail("expect what?");
  const std::string& what = f[1];
  const auto check = [&](const std::string& seen, const std::string& wanted) {
    return seen == wanted ? true : Fail("expected " + what + " \"" + wanted + "\", saw \"" + seen + "\"");
  };
  if (what == "ended" && n == 2) return host_ && host_->ended ? true : Fail("the program is still running");
  if (!host_) return Fail("the program has not been started");
  if (what == "finding") return ExpectFinding(f);
  if (what == "status" && n == 3) return check(Utf8(host_->form.Status()), f[2]);
  if (what == "number" && n == 3) return check(Utf8(host_->form.bangou.Text()), f[2]);
  if (what == "system" && n == 3) return check(Utf8(host_->form.keitou.Text()), f[2]);
  if (what == "button" && n == 3) return check(Utf8(host_->form.button.Caption()), f[2]);
  if (what == "message" && n == 3) {
    const auto& boxes = desktop_.ShownBoxes();
    if (f[2] == "-") {
      const bool none = boxes.size() == boxes_seen_;
      boxes_seen_ = boxes.size();
      return none ? true : Fail("expected no new message, saw \"" + Utf8(boxes.back().text) + "\"");
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
               : Fail("expected a message holding \"" + f[2] + "\", saw \"" + seen + "\"");
  }
  if (what == "sent" && n == 3) {
    for (const std::u16string& text : received_)
      if (!text.starts_with(kStatusMark) && Utf8(text) == f[2]) return true;
    return Fail("AutoCAD was never handed \"" + f[2] + "\"");
  }
  if (what == "variable" && n == 4) {
    if (!cad_) return Fail("no AutoCAD is running");
    return check(Utf8(Variable(U16(f[2]))), f[3]);
  }
  if (what == "next" && n >= 3) return ExpectNext(f);
  if (what == "focus" && n == 3) {
    if (f[2] == "system") return host_->form.keitou.Focused() ? true : Fail("the system box has no focus");
    if (f[2] == "number") return host_->form.bangou.Focused() ? true : Fail("the number box has no focus");
    return Fail("expect focus system or expect focus number");
  }
  if (what == "menus" && n == 3 && (f[2] == "enabled" || f[2] == "disabled")) {
    const bool on = f[2] == "enabled";
    const FakeForm1& form = host_->form;
    std::string wrong;
    if (form.settei_menu.Enabled() != on) wrong += " 設定";
    if (form.help_menu.Enabled() != on) wrong += " ヘルプ";
    if (form.kensa_menu.Enabled() != on) wrong += " 検査";
    return wrong.empty() ? true : Fail("menus not " + f[2] + ":" + wrong);
  }
  if (what == "entries" && n == 3) {
    int count = 0;
    if (cad_)
      for (const cadsim::Entity& e : cad_->TheDrawing().entities)
        if (const auto* insert = std::get_if<cadsim::Insert>(&e))
          for (const auto& a : insert->attributes)
            if (a.tag == u"(1)系統") ++count;
    return check(std::to_string(count), f[2]);
  }
  if (what == "entry" && n == 7) {
    const cadsim::Insert* entry = FindEntry(U16(f[2]), U16(f[3]));
    if (entry == nullptr) return Fail("no entry " + f[2] + " " + f[3]);
    const std::string length = entry->attributes.size() > 3 ? NumberText(entry->attributes[3].value) : "";
    const std::string x = Utf8(plendra::SingleText(static_cast<float>(entry->position.x)));
    const std::string y = Utf8(plendra::SingleText(static_cast<float>(entry->position.y)));
    const std::string seen = length + " " + x + " " + y;
    const std::string wanted =
        NumberText(U16(f[4])) + " " + NumberText(U16(f[5])) + " " + NumberText(U16(f[6]));
    return seen == wanted ? true
                          : Fail("entry " + f[2] + " " + f[3] + ": expected length and point " + wanted +
                                 ", saw " + seen);
  }
  if (what == "layer" && n == 5) {
    const cadsim::Insert* entry = FindEntry(U16(f[2]), U16(f[3]));
    if (entry == nullptr) return Fail("no entry " + f[2] + " " + f[3]);
    return check(Utf8(entry->layer), f[4]);
  }
  if (what == "height" && n == 5) {
    const cadsim::Insert* entry = FindEntry(U16(f[2]), U16(f[3]));
    if (entry == nullptr) return Fail("no entry " + f[2] + " " + f[3]);
    // The number's attribute: the one right after the system's.
    const auto& a = entry->attributes;
    std::string seen;
    for (std::size_t i = 0; i + 1 < a.size(); ++i)
      if (a[i].tag == u"(1)系統") seen = Utf8(plendra::SingleText(static_cast<float>(a[i + 1].height)));
    return check(seen, NumberText(U16(f[4])));
  }
  if (what == "style" && n == 5) {
    const cadsim::Insert* entry = FindEntry(U16(f[2]), U16(f[3]));
    if (entry == nullptr) return Fail("no entry " + f[2] + " " + f[3]);
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
    if (!ReadBytes(app_folder_ / "plendra.ini", &bytes)) return Fail("no plendra.ini");
    const std::u16string text = desktop_.Codec().FromAnsi(bytes);
    const int wanted_line = std::atoi(f[2].c_str());
    std::size_t at = 0;
    for (int i = 1; i < wanted_line && at != std::u16string::npos; ++i) {
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
  return Fail("unknown expectation");
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
      return Fail("expected nothing more handed to AutoCAD, it was handed:" + since());
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
  if (!end)
    return Fail(
        "AutoCAD was not handed these next, in this order; since the last expect next it was handed:" +
        since());
  next_mark_ += *end;
  return true;
}

bool Runner::WriteOut(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  bool ok = true;
  if (cad_) {
    ok = cadsim::WriteDxfFile(dir / "drawing.dxf", cad_->TheDrawing(), desktop_.Codec()) && ok;
    std::ofstream svg(dir / "drawing.svg", std::ios::binary);
    svg << cadsim::RenderSvg(cad_->TheDrawing());
    ok = static_cast<bool>(svg) && ok;
  }
  std::error_code e;
  if (!app_folder_.empty() && std::filesystem::exists(app_folder_ / "plendra.ini"))
    std::filesystem::copy_file(app_folder_ / "plendra.ini", dir / "plendra.ini",
                               std::filesystem::copy_options::overwrite_existing, e);
  std::ofstream t(dir / "transcript.txt", std::ios::binary);
  for (const std::string& line : transcript_.Lines()) t << line << '\n';
  return ok && !e && static_cast<bool>(t);
}

int RunFile(const std::filesystem::path& file, const std::optional<std::filesystem::path>& out_dir,
            std::ostream& out) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    out << "plendra-scenario: cannot read " << file.string() << "\n";
    return 2;
  }
  Runner runner(file.parent_path(), out);
  std::string line;
  std::size_t number = 0;
  bool passed = true;
  while (passed && std::getline(in, line)) {
    ++number;
    std::string error;
    const auto fields = SplitLine(line, &error);
    if (!fields) {
      out << "FAIL line " << number << ": " << error << "\n";
      passed = false;
    } else if (!fields->empty()) {
      passed = runner.Run(number, *fields);
    }
  }
  if (passed && !runner.PendingUserSteps().empty()) {
    out << "FAIL line " << runner.PendingUserSteps().front() << ": no selection asked for this user action\n";
    passed = false;
  }
  if (out_dir && !runner.WriteOut(*out_dir))
    out << "plendra-scenario: cannot write " << out_dir->string() << "\n";
  if (!passed) return 1;
  out << "passed: " << file.filename().string() << "\n";
  return 0;
}

}  // namespace scenario
