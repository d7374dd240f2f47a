// The main window's logic: the system and number lists, the numbering run,
// the menus and the check.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/dimension_style.h"
#include "app/grobal_dim.h"
#include "app/host.h"
#include "app/placement.h"
#include "app/report.h"
#include "app/view.h"
#include "link/pw_interfaces.h"

namespace plendra {

class Settei_Form;

class Form1 {
 public:
  Form1(Grobal_Dim& g, Host& host, Settei_Form& settei);

  // Creation: settings, position, lists. Runs Form_Load when the position is
  // applied (that is when the window comes into being).
  void Form_Initialize();
  void Form_Load();
  void Form_Activate();
  // The window system made the main window the active window. Only coming
  // back from the about box is an activation within the application: the
  // settings menu runs its own once the dialog is gone, and switching from
  // another program is none.
  void Window_Activated(FocusFrom from);
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
  // The whole drawing exported for reading (form1_kensa.cpp): AutoCAD's
  // command is cancelled, the drawing is written to the scratch file, and
  // the count AutoCAD reports for it (認識された数) is read from the history.
  // The lookup, the check and the takeoff read the drawing this way.
  struct WholeExport {
    std::int32_t exported = 0;  // DxfOut's result: -1 when the file was written
    // Whether AutoCAD counted no object: an empty drawing writes no new
    // scratch file, so what is there is an older export's. None when the
    // history held no count (or could not be read).
    std::optional<bool> empty;
  };
  // None when the program ended meanwhile.
  std::optional<WholeExport> ExportWholeDrawing(korvel::_PwControl& control, korvel::_PwAcad& acad);
  std::optional<ReportDrawing> ExportForReport();
  // The steps of 番号の振り直し once the drawing is read (form1_renumber.cpp).
  void Renumber(const ReportDrawing& drawing);
  // Sets ATTDIA and FILEDIA to 0 where they are not; the values to set back.
  std::vector<std::pair<std::u16string, std::u16string>> DialogVariablesOff(korvel::_PwControl& control);
  // The lookup's next number from the drawing read back after a renumbering.
  void NextNumberAfterRenumbering(const std::u16string& system, const ReportDrawing& after);
  // Types the plan's changes, stopping early at 停止 or a close; the indices
  // of those AutoCAD confirmed, in the order typed. `failed` is set when
  // AutoCAD did not confirm one, `not_found` when the selection of one found
  // nothing (then nothing more is typed for it).
  std::vector<std::size_t> TypeRenumbering(const ReportDrawing& drawing, const RenumberPlan& plan,
                                           bool& failed, bool& not_found);
  // Compares the drawing exported after the renumbering with the plan;
  // each difference in words, none when the drawing is as planned.
  std::vector<std::u16string> RenumberDifferences(const ReportDrawing& before, const RenumberPlan& plan,
                                                  const ReportDrawing& after) const;

  // The steps of one pick (sunpou_write.cpp), in Sunpou_Write's order. A
  // step that ends the pick gives no value and sets ends to what
  // Sunpou_Write returns.
  struct PickedDimension;
  struct EntryPlace;
  bool ReadyToPick(korvel::_PwControl& channel);
  std::optional<PickedDimension> ReadPickedDimension(korvel::_PwControl& channel, korvel::_PwAcad& acad,
                                                     std::int32_t& ends);
  korvel::DxfTable ScanTable(korvel::_PwControl& channel, std::u16string_view type,
                             std::u16string_view groups);
  std::optional<EntryPlace> PlaceEntryFor(korvel::_PwControl& channel, const PickedDimension& dimension,
                                          const DimensionStyle& style, const TextStyle& text_style,
                                          std::int32_t& ends);
  std::int32_t TypeEntry(korvel::_PwControl& channel, korvel::_PwAcad& acad, const PickedDimension& dimension,
                         const EntryPlace& place, std::u16string_view text_style_name);

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

}  // namespace plendra
