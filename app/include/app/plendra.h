// Plendra's logic: the application-wide state (Grobal_Dim), the main window
// (Form1), the settings dialog (Settei_Form) and the about box (frmAbout).
//
// Everything runs on the user-interface thread. The link library's waits pump
// the thread's messages, so an event procedure of these classes may run while
// another one is still waiting inside a link-library call: a press of 停止
// during a pick, a close during a lookup. Each procedure is written for that.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "app/report.h"
#include "app/settings.h"
#include "app/view.h"
#include "link/pw_interfaces.h"
#include "platform/text_codec.h"

namespace plendra {

inline constexpr std::u16string_view kAppTitle = u"Plendra";
inline constexpr std::uint32_t kExclamation = 48;    // MB_ICONEXCLAMATION with an OK button
inline constexpr std::uint32_t kInformation = 64;    // MB_ICONINFORMATION
inline constexpr std::uint32_t kYesNoQuestion = 36;  // MB_YESNO with MB_ICONQUESTION
inline constexpr std::int32_t kAnswerYes = 6;        // IDYES
inline constexpr std::int32_t kCommandTimeOut = 60000;

// What the program around the logic supplies: the link library's objects,
// the application's folder and files, and the windows' widgets.
struct Host {
  virtual ~Host() = default;
  // A new PwAcad (natively korvel's own object, on Windows the COM object).
  virtual std::shared_ptr<korvel::_PwAcad> CreatePwAcad() = 0;
  // The folder of the program file, without a trailing separator, as it is
  // typed into AutoCAD's command line.
  virtual std::u16string AppFolder() = 0;
  // A file of the application's folder, for reading and writing here.
  virtual std::filesystem::path AppFile(std::u16string_view name) = 0;
  virtual platform::TextCodec& Codec() = 0;
  // Whether another instance of Plendra is already running.
  virtual bool AnotherInstanceRunning() = 0;
  // Closes every window and ends the program; no further event runs.
  virtual void EndProgram() = 0;
  virtual Form1View& Form1Widgets() = 0;
  virtual SetteiView& SetteiWidgets() = 0;
  virtual AboutView& AboutWidgets() = 0;
  virtual KensaView& KensaWidgets() = 0;
  virtual RenumberView& RenumberWidgets() = 0;
  // The scratch file the link library's DxfOut has AutoCAD write: Wexa.dxf in
  // the temporary folder, found as the library finds it (form1_kensa.cpp says how).
  virtual std::filesystem::path ScratchDxf();
  // The file a path of AutoCAD's names, for reading and writing here: the
  // same path on Windows; the simulated desktop maps AutoCAD's folders.
  virtual std::filesystem::path DrawingFile(std::u16string_view acad_path);
  // The comment of the application's version information (empty).
  virtual std::u16string VersionComments() { return u""; }
  virtual std::u16string VersionText() { return u"1.0.0"; }
};

// The application-wide state.
struct Grobal_Dim {
  std::shared_ptr<korvel::_PwAcad> Acad_Obj;
  std::u16string Acad_Ver;         // the release row tried, "0" to "8"
  std::int16_t Kakikomi_Tyuu = 0;  // -1 while a numbering run writes
  std::int32_t Kidou_Flag = 0;     // 1 from the first activation of the main window
  Settings settings;               // the fourteen settings
};

// Stores the release row Acad_Ver names into Acad_Obj before a search.
void Acad_Title_Set(Grobal_Dim& g);

class Settei_Form;

class Form1 {
 public:
  Form1(Grobal_Dim& g, Host& host, Settei_Form& settei);

  // Creation: settings, position, lists. Runs Form_Load when the position is
  // applied (that is when the window comes into being).
  void Form_Initialize();
  void Form_Load();
  void Form_Activate();
  // A close request; cancel receives -1 when the window stays open.
  void Form_Unload(std::int16_t& cancel);
  // The close box: Form_Unload, and the end of the program unless refused.
  void CloseRequest();

  void Keitou_Load();
  void Keitou_Combo_Click();
  void Kaisi_Button_Click();
  void Menu_Set(std::int16_t flag);
  // One pick: -1 an entry was written, 1 pick again, 0 stop.
  std::int32_t Sunpou_Write();

  void Mnu_Settei_Click();
  void Mnu_Tukaikata_Click();
  void Mnu_Ver_Click();
  // The menu 検査 (form1_kensa.cpp): 番号の検査 lists the findings of the
  // whole drawing, a double-click on one has AutoCAD zoom to its entry, and
  // 集計表の出力 writes the takeoff sheet beside the drawing.
  void Mnu_Bangou_Kensa_Click();
  void Kensa_List_DblClick(std::int32_t row);
  void Mnu_Syuukei_Click();
  // 検査 → 番号の振り直し (form1_renumber.cpp): numbers a system 1..n in the
  // open drawing through AutoCAD's command line, as one undo group, and
  // checks the drawing afterwards.
  void Mnu_Renumber_Click();
  // The findings the last 番号の検査 listed, one per row.
  const std::vector<Finding>& Findings() const { return findings_; }
  void Temae_Set();
  void Toumei_Set();

  bool Ended() const { return ended_; }

 private:
  std::shared_ptr<korvel::_PwControl> Channel();
  std::u16string Prompt();
  void LookupFailed();
  // DxfOut with the drawing's name read before and after (drawing_name.cpp):
  // when the export made AutoCAD rename the drawing, the user is told.
  // closing: the window is closing, which ends nothing here.
  std::int32_t DxfOutKeepingName(korvel::_PwControl& channel, korvel::_PwAcad* acad,
                                 std::u16string_view selection, bool closing = false);
  std::optional<std::u16string> ReadOnlyVariable(korvel::_PwControl& channel, std::u16string_view name);
  // Asks before a number the drawing already holds is written again; false
  // when the user says no (the run ends there).
  bool DuplicateAllowed();
  // A written entry's number joins those known to be in the drawing.
  void NoteWritten(std::u16string_view system, std::u16string_view number);
  // The layer step; false when AutoCAD did not confirm one of its commands.
  bool LayerStep();
  // A press of 停止 during a continuous run: remembered, and honoured by the
  // run at its next safe point (before a pick, or once the entry being
  // written is whole). Only a pick that AutoCAD still waits for is cancelled
  // at once.
  void RequestStop();
  // Tells the user that the entry being typed was not confirmed by AutoCAD.
  void EntryUnconfirmed(const std::u16string& entry, const korvel::_PwAcad& acad);
  // Whether the parts-table block is in the application's folder, made
  // through AutoCAD from Plendra1.scr when the user agrees (sunpou_write.cpp).
  bool EnsureBlock(korvel::_PwControl& channel);
  // The variables the block script changes, read before it is typed and set
  // back after it (script_state.cpp).
  std::vector<std::pair<std::u16string, std::u16string>> ReadScriptVariables(korvel::_PwControl& channel);
  void RestoreScriptVariables(korvel::_PwControl& channel,
                              const std::vector<std::pair<std::u16string, std::u16string>>& values);
  void ClosingSteps();
  void ReportError(const std::exception& error);
  void End();
  std::optional<ReportDrawing> ExportForReport();
  // The steps of 番号の振り直し once the drawing is read (form1_renumber.cpp).
  void Renumber(const ReportDrawing& drawing);
  // Sets ATTDIA and FILEDIA to 0 where they are not; the values to set back.
  std::vector<std::pair<std::u16string, std::u16string>> DialogVariablesOff(korvel::_PwControl& control);
  // The lookup's next number from the drawing read back after a renumbering.
  void NextNumberAfterRenumbering(const std::u16string& system, const ReportDrawing& after);
  // Types the plan's changes, stopping early at 停止 or a close; the indices
  // of those AutoCAD confirmed, in the order typed. `failed` is set when
  // AutoCAD did not confirm one.
  std::vector<std::size_t> TypeRenumbering(const ReportDrawing& drawing, const RenumberPlan& plan,
                                           bool& failed);
  // Compares the drawing exported after the renumbering with the plan;
  // each difference in words, none when the drawing is as planned.
  std::vector<std::u16string> RenumberDifferences(const ReportDrawing& before, const RenumberPlan& plan,
                                                  const ReportDrawing& after) const;

  Grobal_Dim& g_;
  Host& host_;
  Settei_Form& settei_;
  Form1View& view_;
  bool ended_ = false;
  bool single_pick_ = false;     // a press without the continuous setting is picking
  bool run_active_ = false;      // a continuous run is going on (the button reads 停止)
  bool stop_requested_ = false;  // 停止 was pressed during the run
  bool pick_pending_ = false;    // the run's export waits for the user's pick
  // The system box was refused while a run had it disabled: it takes the
  // focus once the run has enabled it again.
  bool focus_system_after_run_ = false;
  bool block_found_ = false;  // Plendra1.dwg was seen in the application's folder

  // The numbers the last lookup found in the drawing for its system, with
  // those written since; none when unknown (lookup off, failed, another
  // system chosen).
  struct DrawingNumbers {
    std::u16string system;
    std::vector<std::u16string> numbers;
    bool Holds(std::u16string_view number) const;
  };
  std::optional<DrawingNumbers> drawing_numbers_;

  // The menu 検査: a check or takeoff exporting the drawing, and what the
  // last check listed with the entries its findings' indexes name.
  bool kensa_running_ = false;
  std::vector<Finding> findings_;
  std::vector<ReportEntry> finding_entries_;
  // 番号の振り直し is typing: 停止 and the close box are remembered and
  // honoured between two entries (the change is then taken back whole, and
  // the window closes after that).
  bool renumbering_ = false;
  bool renumber_stop_ = false;
  bool close_after_renumber_ = false;
};

class Settei_Form {
 public:
  Settei_Form(Grobal_Dim& g, Host& host);

  // Creates the dialog on first use (hidden), which fills its controls.
  void EnsureLoaded();
  // Shows it modally; returns when it has been hidden.
  void Show();
  void Form_Load();
  void OK_Button_Click();
  void Cancel_Button_Click();
  void Okisa_Scroll_Change();
  void Hanare_Scroll_Change();

 private:
  // An option button selected in code clears the others of its group.
  void SetOption(Toggle& option, bool selected);

  Grobal_Dim& g_;
  Host& host_;
  SetteiView& view_;
  bool loaded_ = false;
};

// Writes the fourteen settings with the main window's current position; tells
// the user when the file cannot be written.
void Settei_Save(Grobal_Dim& g, Host& host);

// The whole program: Main connects and shows Form1.
class Plendra {
 public:
  explicit Plendra(Host& host);

  // The entry procedure: false when no AutoCAD was found (the program ends).
  bool Main();

  Grobal_Dim& State() { return g_; }
  Form1& MainForm() { return form1_; }
  Settei_Form& Settings() { return settei_; }

 private:
  Host& host_;
  Grobal_Dim g_;
  Settei_Form settei_;
  Form1 form1_;
};

}  // namespace plendra
