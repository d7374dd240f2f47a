// A scenario: Plendra started on the simulated desktop against cadsim, a
// user acting in both programs, and expectations about what they show. One
// action per line (docs/scenarios.md gives the vocabulary).
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/plendra.h"
#include "cadsim/sim_cad.h"
#include "platform/sim/desktop.h"
#include "scenario_data.h"
#include "scenario_reader.h"
#include "sim_host.h"

namespace scenario {

class Runner {
 public:
  // base: the scenario file's folder, for relative paths. The transcript goes
  // to out as it grows, and its failures to err (to out when err is null).
  Runner(std::filesystem::path base, std::ostream& out, std::ostream* err = nullptr);
  ~Runner();

  // Runs one line; false when it failed (an expectation, a bad line). The
  // reason is in the transcript.
  bool Run(std::size_t line_number, const std::vector<std::string>& fields);
  // Writes the drawing (DXF, SVG), the settings file and the transcript;
  // false, with the files that could not be written in *problem, when one
  // failed.
  bool WriteOut(const std::filesystem::path& dir, std::string* problem = nullptr);

  // Fails a line the runner could not take, or one whose action nothing
  // took, as a failing line does: in the transcript and on the error stream.
  void FailLine(std::size_t line_number, const std::string& why) {
    line_ = line_number;
    Fail(why);
  }
  // The lines of user actions that no selection has taken yet.
  std::vector<std::size_t> PendingUserSteps() const {
    std::vector<std::size_t> lines;
    for (const UserStep& step : user_) lines.push_back(step.line);
    return lines;
  }
  // The lines of answers that no question has taken yet.
  std::vector<std::size_t> PendingAnswers() const {
    std::vector<std::size_t> lines;
    for (const Answer& a : answers_) lines.push_back(a.line);
    for (const DuringStep& d : during_) lines.push_back(d.line);
    for (const DuringStep& d : armed_) lines.push_back(d.line);
    std::sort(lines.begin(), lines.end());
    return lines;
  }
  // With --timing the transcript also says, on the virtual clock, how long
  // each entry took from the pick to its status "…を書き込みました" and each
  // lookup from the choice of the system to its end, with the command lines
  // AutoCAD was handed and the prompt reads made meanwhile.
  void EnableTiming() { timing_ = true; }
  // Prompt reads and command lines handed to AutoCAD so far.
  std::uint64_t PromptReads() const { return prompt_reads_; }
  std::size_t Commands() const { return commands_; }
  const Transcript& TheTranscript() const { return transcript_; }
  plendra::Plendra* App() { return app_.get(); }
  SimHost* TheHost() { return host_.get(); }
  cadsim::SimCad* Cad() { return cad_.get(); }
  platform::sim::Desktop& TheDesktop() { return desktop_; }

 private:
  struct UserStep {
    enum Kind { kPick, kEscape, kMiss, kStop, kClose } kind;
    cadsim::Handle handle = 0;
    std::uint32_t delay_ms = 1000;
    std::size_t line = 0;
  };

  // "user stop during COMMAND": the user presses 停止 (or the close box, or
  // comes back to Plendra's window) at the first pass of the message pump
  // after AutoCAD has been handed a command line holding COMMAND.
  struct DuringStep {
    enum Kind { kStop, kClose, kActivate, kType } kind;
    std::u16string command;
    // kType: what the user types at AutoCAD's command line.
    std::string typed;
    std::size_t line = 0;
  };

  // The user's answer to the next question (a box with Yes and No).
  struct Answer {
    bool yes = false;
    std::size_t line = 0;
  };

  // How long a selection may wait with no user action queued.
  static constexpr std::uint32_t kUnansweredMs = 30000;
  // The longest delay or busy time a scenario may give: a day. The desktop's
  // tick counter wraps after 2^32 ms, and waits are measured by unsigned
  // subtraction, so a time must stay well below that.
  static constexpr std::int64_t kLongestMs = 24 * 60 * 60 * 1000;

  using Fields = std::vector<std::string>;
  // An action a line names (scenario_actions.cpp), and what "expect" can
  // check (scenario_expect.cpp): how each is written and what it does.
  struct Action;
  struct Expectation;
  static const Action* FindAction(const std::string& verb);
  static const Expectation* FindExpectation(const std::string& what);
  // What is wrong with a line that names an action but does not fit it.
  static std::string WrongForm(const std::string& verb);

  bool RunLine(std::size_t line_number, const Fields& f);
  // Where the run stands: virtual ms, command lines handed, prompt reads.
  struct Mark {
    std::uint64_t ms = 0;
    std::size_t commands = 0;
    std::uint64_t reads = 0;
  };
  Mark Now();
  void AddTiming(const std::string& what, const Mark& from);
  // Starts the world the setup lines described (scenario_setup.cpp).
  bool Start();
  // The files the program finds in its folder as the scenario sets them up.
  bool PrepareFolder();
  bool PrepareFiles();
  bool StartCad();
  // A file of the shipped data; nullopt, with the line failed, when the data
  // cannot be found.
  std::optional<std::filesystem::path> Shipped(const char* name);
  // The user's actions once the program runs.
  bool UserStepLine(const Fields& f);
  bool UserDuringLine(const Fields& f);
  bool Expect(const Fields& f);
  // An expectation that compares text: true when seen is wanted, otherwise
  // the line fails naming both.
  bool Same(const std::string& what, const std::string& seen, const std::string& wanted);
  bool Setting(const Fields& f);
  // A setup line "NAME F" or "NAME -" for a file of the program's folder.
  bool FolderFile(const std::string& value, std::optional<std::filesystem::path>& given, bool& none);
  // The menu 検査 (scenario_check.cpp): check, zoom N, takeoff, expect finding.
  bool Kensa(const std::vector<std::string>& f);
  bool ExpectFinding(const std::vector<std::string>& f);
  // 番号の振り直し's plan as the dialog showed it, and the drawing against
  // the snapshot taken by "snapshot" (scenario_check.cpp).
  bool ExpectRenumber(const std::vector<std::string>& f);
  std::string Entities();
  bool Fail(const std::string& why);
  // The number in a field of the current line, read whole and in [min, max];
  // otherwise the line fails, naming what the field is and the range.
  std::optional<std::int64_t> Number(const std::string& field, const std::string& what, std::int64_t min,
                                     std::int64_t max, int base = 10);
  std::filesystem::path Path(const std::string& field) const;
  void SetVariable(const std::u16string& name, const std::u16string& value);
  std::u16string Variable(const std::u16string& name);
  void Watch();
  void OnPump();
  void OnBox(const platform::sim::MessageBoxRecord& box);
  void OnCommand(std::string_view bytes);
  // Carries out the steps armed by a command line (the pump's pass).
  void ActDuring();
  // expect next: the command lines handed since the last one, in order.
  bool ExpectNext(const std::vector<std::string>& f);
  const cadsim::Insert* FindEntry(const std::u16string& system, const std::u16string& number) const;

  std::filesystem::path base_;
  std::ostream& out_;
  Transcript transcript_;
  platform::sim::Desktop desktop_;
  std::unique_ptr<platform::ScopedPlatform> bind_;

  // Setup.
  int release_ = 8;  // -1: no AutoCAD running
  std::optional<std::filesystem::path> drawing_, keitou_, ini_;
  bool ini_none_ = false, keitou_none_ = false;
  std::optional<std::filesystem::path> folder_;
  // The parts-table block and its script in the application's folder.
  std::optional<std::filesystem::path> block_, block_script_;
  bool block_none_ = false, block_script_none_ = false;
  std::filesystem::path temp_folder_;
  bool another_instance_ = false;
  // The shipped data, looked up only when a file is to come from it.
  std::optional<DataSearch> data_;
  // "saveas renames|keeps": whether AutoCAD's SAVEAS renames the drawing.
  bool saveas_renames_ = true;
  // "variable NAME VALUE": AutoCAD's system variables as the user left them.
  std::vector<std::pair<std::u16string, std::u16string>> variables_;
  // "busy COMMAND MS": AutoCAD answers no message for MS ms as COMMAND finishes.
  // "vanish COMMAND MS": AutoCAD's windows vanish MS ms after COMMAND
  // starts (the command of "busy" and "vanish" is one: the last line's).
  std::u16string busy_command_;
  std::uint32_t busy_ms_ = 0;
  // "commandtime MS": every command of AutoCAD takes MS ms.
  std::uint32_t command_ms_ = 0;
  std::optional<std::uint32_t> vanish_ms_;

  // The world once started.
  std::unique_ptr<cadsim::SimCad> cad_;
  std::unique_ptr<SimHost> host_;
  std::unique_ptr<plendra::Plendra> app_;
  std::filesystem::path app_folder_;
  std::deque<UserStep> user_;
  std::deque<Answer> answers_;
  std::deque<DuringStep> during_;
  std::deque<DuringStep> armed_;
  // How many of received_ the expectations "expect next" have gone past.
  std::size_t next_mark_ = 0;
  bool unanswered_question_ = false;
  bool in_flight_ = false;
  bool unanswered_ = false;
  std::optional<std::uint32_t> waiting_since_;
  std::size_t boxes_seen_ = 0;
  std::vector<std::u16string> received_;
  // --timing.
  bool timing_ = false;
  std::size_t commands_ = 0;
  std::uint64_t prompt_reads_ = 0;
  std::optional<Mark> picked_;
  // "snapshot": the drawing's entities as cadsim would write them then.
  std::optional<std::string> snapshot_;
  std::size_t line_ = 0;
  // How long the last line that is no expectation took on the virtual clock.
  std::uint32_t line_took_ms_ = 0;
};

// Runs a scenario file; the exit status of the program: 0 when every line
// passed, 1 when one failed, 2 when the file cannot be read or holds no
// action, or when the files of out_dir cannot be written. The transcript goes
// to out, failures and errors to err.
int RunFile(const std::filesystem::path& file, const std::optional<std::filesystem::path>& out_dir,
            std::ostream& out, std::ostream& err, bool timing = false);

}  // namespace scenario
