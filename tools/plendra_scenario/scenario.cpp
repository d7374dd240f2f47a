// The runner itself: a line at a time, the user's questions and steps as the
// program meets them, and the files it writes at the end.
#include "scenario.h"

#include <fstream>
#include <sstream>

#include "app/app_error.h"
#include "cadsim/dxf.h"
#include "cadsim/svg.h"
#include "scenario_internal.h"

namespace scenario {
namespace {

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

bool Runner::Run(std::size_t line_number, const Fields& f) {
  bool ok = false;
  // Whatever a line sets off, a fault it raises is that line's failure, with
  // its number, rather than the end of the program.
  const bool acts = f.empty() || f[0] != "expect";
  const std::uint32_t started = desktop_.Time().TickCount();
  try {
    ok = RunLine(line_number, f);
    if (acts) line_took_ms_ = desktop_.Time().TickCount() - started;
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

Runner::Mark Runner::Now() {
  return {.ms = desktop_.Queue().Elapsed(), .commands = commands_, .reads = prompt_reads_};
}

void Runner::AddTiming(const std::string& what, const Mark& from) {
  const Mark now = Now();
  transcript_.Add("  timing: " + what + ": " + std::to_string(now.ms - from.ms) + " ms, " +
                  std::to_string(now.commands - from.commands) + " commands, " +
                  std::to_string(now.reads - from.reads) + " prompt reads");
}

void Runner::OnCommand(std::string_view bytes) {
  const std::u16string text = CommandNotation(desktop_.Codec().FromAnsi(std::string(bytes)));
  received_.push_back(text);
  ++commands_;
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
      app_->MainForm().Window_Activated(plendra::FocusFrom::kAboutBox);
      break;
    case DuringStep::kType:
      transcript_.Add("  user: types in AutoCAD " + step.typed + " during " + command);
      if (cad_) cad_->Cad().Type(TypedKeys(step.typed));
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
      if (timing_) picked_ = Now();
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

}  // namespace scenario
