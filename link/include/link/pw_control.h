// PwControl: the command-line channel to the AutoCAD that the last Search
// found. Commands are handed to AutoCAD's main window as copy-data messages,
// prompts and history are read as window text, and waits poll the prompt.
//
// Only PwAcad::Search makes these. A client may keep one after it was
// released; its operations then fail with LinkFailed once the shared window
// records are cleared.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/dxf_table.h"
#include "link/messages.h"
#include "link/pw_interfaces.h"

namespace korvel {

struct PromptWait;

class PwControl final : public _PwControl {
 public:
  // Use Create: a wait keeps its channel alive through shared ownership even if
  // a handler run by the wait releases the client's last reference.
  static std::shared_ptr<PwControl> Create();
  ~PwControl() override;
  PwControl(const PwControl&) = delete;
  PwControl& operator=(const PwControl&) = delete;

  std::int32_t get_CommandTimeOut() const override { return command_time_out_; }
  void put_CommandTimeOut(std::int32_t ms) override { command_time_out_ = ms < 0 ? -1 : ms; }
  std::int32_t get_CheckInterval() const override { return check_interval_; }
  void put_CheckInterval(std::int32_t ms) override { check_interval_ = ms < 0 ? 0 : ms; }
  bool get_PostNullChar() const override { return post_null_char_; }
  void put_PostNullChar(bool post) override { post_null_char_ = post; }
  bool get_PatternMatch() const override { return pattern_match_; }
  void put_PatternMatch(bool match) override { pattern_match_ = match; }

  // Brings AutoCAD (its last active pop-up) to the foreground.
  std::int32_t Active() override;
  // Hands the command text to AutoCAD and returns at once.
  std::int32_t PostCommand(std::u16string_view AcadCommand) override;
  // PostCommand, then waits until the prompt matches CommandPrompt. A Terminate
  // during the wait gives CancelByUser without writing it to the record.
  std::int32_t SendCommand(std::u16string_view AcadCommand,
                           std::u16string_view CommandPrompt = kDefaultPrompt) override;
  // Reads the whole text of the command-line window. Left unchanged on failure.
  std::int32_t GetPrompt(std::u16string& CommandPrompt) override;
  std::int32_t WaitPrompt(std::u16string_view CommandPrompt = kDefaultPrompt) override;
  // Reads the history; with a MatchString, only the text from its last
  // occurrence on (empty when it does not occur).
  std::int32_t GetHistory(std::u16string& HistoryText, std::u16string_view MatchString = u"") override;
  // Types the variable's name and reads its current value out of the default
  // shown in the value prompt ("... <value>: "), then cancels that prompt.
  // A SystemVariable holding "^M" or "^C" is typed unchanged. Value is left
  // unchanged on failure, and when no "<" comes before a ">" in the last prompt.
  std::int32_t GetVariable(std::u16string_view SystemVariable, std::u16string& Value) override;
  // Types the name and the new value, then waits for the command prompt.
  std::int32_t SetVariable(std::u16string_view SystemVariable, std::u16string_view Value) override;
  // Runs the point-identification command and reads the picked point from the
  // history. Each coordinate is stored as soon as it is converted.
  std::int32_t GetPosition(double& X, double& Y, double& Z) override;
  // Runs a script file (code page of the system) with up to ten user
  // variables, which the script reads and writes in place. A null UserVariable
  // stands for a caller that passed no array at all.
  std::int32_t RunScript(std::u16string_view PathName, std::vector<std::u16string>* UserVariable) override;
  // A modal box owned by AutoCAD's main window; returns the box's answer.
  // Neither clears nor writes the error record.
  std::int32_t ShowMessage(std::u16string_view Message, std::int32_t Button = 0,
                           std::u16string_view Title = kDefaultBoxTitle) override;
  // Ends a running wait at the end of its current cycle.
  void Terminate() override { cancel_requested_ = true; }
  // Has AutoCAD write one picked object ("sgl"), all objects ("all") or the
  // drawing ("auto") as DXF of release VerOp into "Wexa.dxf" in the temporary
  // folder, typing through hnd's Control and waiting for hnd's CommandPrompt.
  // 0 when the pick was cancelled or its wait failed (after telling the user,
  // with the record cleared); any other SelectOp sends nothing and gives -1.
  std::int32_t DxfOut(std::u16string_view SelectOp, std::u16string_view VerOp, _PwAcad* hnd) override;
  // Reads, from "Wexa.dxf" in the temporary folder, the groups Fom_Str (codes
  // joined by "|") of every Obj_Str record in section Sec_Str. Hairetu is
  // replaced only on success: bounds (0..n, 0..count+1), (0,0) the count.
  std::int32_t DxfScan(std::u16string_view Sec_Str, std::u16string_view Obj_Str, std::u16string_view Fom_Str,
                       DxfTable& Hairetu) override;
  // From the same file, for the ATTRIB records of ENTITIES (the attributes of
  // the drawing's blocks, in block order): the value (group 1) of the record
  // right after each one whose tag (group 2) is Tag_Str and whose value is
  // Value_Str, both exact, in the file's order; a match that is the last
  // ATTRIB has none. What a DxfScan of ENTITIES, ATTRIB, "2|1" would give,
  // read that way from its table, but the scan keeps only these values: one
  // block's attribute that names another's (a system's entry and its number)
  // is looked up without a table of every attribute of the drawing. Values is
  // replaced only on success; the failures are DxfScan's.
  std::int32_t DxfAttributesAfter(std::u16string_view Tag_Str, std::u16string_view Value_Str,
                                  std::vector<std::u16string>& Values) override;

 private:
  PwControl();
  // The library's one prompt wait (prompt_wait.h): reads the prompt until
  // wait.done holds, CommandTimeOut passes (CommandFailed, raised) or a
  // Terminate ends it (CancelByUser, returned unrecorded), pumping messages
  // and waiting at most CheckInterval between reads (less when the command
  // line announces a change of its text). A lost link is raised.
  std::int32_t WaitForPrompt(const PromptWait& wait);
  // How long one read of the prompt may wait for AutoCAD, elapsed ms into a wait.
  std::int32_t ReadBound(std::uint32_t elapsed) const;
  // The prompt fits expected as PatternMatch says.
  bool Matches(const std::u16string& prompt, const std::u16string& expected) const;
  void CheckLink(std::u16string_view operation) const;
  void CheckCommandLine(std::u16string_view operation) const;
  std::u16string ReadWindowText(std::int32_t window, std::u16string_view operation) const;
  // How long one message to AutoCAD may wait for its answer (negative: no
  // limit): the operation's own CommandTimeOut, or inside a prompt wait what
  // the wait sets (a read that times out there only means "no answer yet").
  std::int32_t SendBoundMs() const { return wait_send_bound_ms_ ? *wait_send_bound_ms_ : command_time_out_; }
  // The temporary folder, ending with the separator, asked for anew on every
  // call. Fails with 53 when the platform cannot report it.
  std::u16string GetTempFolder() const;

  bool cancel_requested_ = false;
  std::int32_t command_time_out_ = 60000;
  std::int32_t check_interval_ = 100;
  bool post_null_char_ = true;
  bool pattern_match_ = true;
  std::optional<std::int32_t> wait_send_bound_ms_;
};

}  // namespace korvel
