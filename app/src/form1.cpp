// Form1 and the program's frame: connecting to AutoCAD, creating, activating
// and closing the main window, the system list and its lookup, the numbering
// run and the menus.
#include <utility>

#include "app/app_error.h"
#include "app/box_style.h"
#include "app/keitou_file.h"
#include "app/number_text.h"
#include "app/plendra.h"
#include "app/releases.h"
#include "texts.h"

namespace plendra {

void Acad_Title_Set(Grobal_Dim& g) {
  for (std::size_t row = 0; row < kReleaseCount; ++row)
    if (g.Acad_Ver == IntegerText(static_cast<std::int64_t>(row))) ApplyRelease(*g.Acad_Obj, row);
}

Plendra::Plendra(Host& host) : host_(host), settei_(g_, host), form1_(g_, host, settei_) {}

bool Plendra::Main() {
  g_.Acad_Obj = host_.CreatePwAcad();
  g_.Acad_Obj->put_CheckMainCmdWindow(true);
  bool found = false;
  for (std::size_t i = 0; i < kReleaseCount && !found; ++i) {
    g_.Acad_Ver = IntegerText(static_cast<std::int64_t>(i));
    Acad_Title_Set(g_);
    if (g_.Acad_Obj->Search() == -1) {
      found = true;
      if (const auto control = g_.Acad_Obj->get_Control()) control->put_CommandTimeOut(kCommandTimeOut);
    }
  }
  if (!found) {
    host_.Form1Widgets().MessageBox(texts::kNoAutoCad, kAppTitle, BoxKind::kWarning);
    g_.Acad_Obj.reset();
    return false;
  }
  if (const auto control = g_.Acad_Obj->get_Control())
    control->SendCommand(texts::kUcsWorld, g_.Acad_Obj->get_CommandPrompt());

  form1_.Form_Initialize();
  if (form1_.Ended()) return true;
  host_.Form1Widgets().Show();
  form1_.Form_Activate();
  return true;
}

Form1::Form1(Grobal_Dim& g, Host& host, Settei_Form& settei)
    : g_(g), host_(host), settei_(settei), view_(host.Form1Widgets()) {}

std::shared_ptr<korvel::_PwControl> Form1::Channel() {
  std::shared_ptr<korvel::_PwControl> channel = g_.Acad_Obj ? g_.Acad_Obj->get_Control() : nullptr;
  // AutoCAD's windows are gone (or the program is closing): the call has no
  // channel to go to, which the run reports as the link's error and ends.
  if (!channel) throw AppError(korvel::LinkFailed, std::u16string(texts::kNotConnected));
  return channel;
}

std::u16string Form1::Prompt() {
  if (!g_.Acad_Obj) throw AppError(korvel::LinkFailed, std::u16string(texts::kNotConnected));
  return g_.Acad_Obj->get_CommandPrompt();
}

void Form1::Form_Initialize() {
  const SettingsRead read = plendra::Settei_Load(host_.AppFile(u"plendra.ini"), host_.Codec());
  g_.settings = read.settings;
  view_.Move(g_.settings.Form_Top, g_.settings.Form_Left);
  Form_Load();
  if (ended_) return;
  Keitou_Load();
  g_.Kakikomi_Tyuu = 0;
}

void Form1::Form_Load() {
  if (!host_.AnotherInstanceRunning()) return;
  view_.MessageBox(texts::kAlreadyRunning, kAppTitle, BoxKind::kWarning);
  CloseRequest();
}

void Form1::Form_Activate() {
  if (ended_) return;
  Temae_Set();
  Toumei_Set();
  g_.Kidou_Flag = 1;
  // An activation while a run writes (the about box closed meanwhile) must
  // not cancel and export in the middle of an entry; the run's own number
  // is the one to go on with.
  if (g_.Kakikomi_Tyuu == -1) return;
  if (LeadingNumber(g_.settings.Keitou_Check) == 1) Keitou_Combo_Click();
}

void Form1::Window_Activated(FocusFrom from) {
  if (from == FocusFrom::kAboutBox) Form_Activate();
}

void Form1::CloseRequest() {
  if (ended_) return;
  std::int16_t cancel = 0;
  Form_Unload(cancel);
}

void Form1::Form_Unload(std::int16_t& cancel) {
  if (ended_) return;
  // A close while a run writes is refused, not kept for later: the run may
  // be in the middle of an entry, and the close's cancel and export must
  // never be typed into it. The refusal itself sends AutoCAD nothing.
  // A close while 番号の振り直し types is kept until the entry being typed
  // is whole; the renumbering then takes its change back and closes the
  // window itself.
  if (renumbering_) {
    renumber_stop_ = true;
    close_after_renumber_ = true;
    cancel = -1;
    return;
  }
  if (g_.Kakikomi_Tyuu == -1) {
    const auto control = g_.Acad_Obj ? g_.Acad_Obj->get_Control() : nullptr;
    if (control)
      control->ShowMessage(texts::kClosingWhileWriting, kWarningBox, kAppTitle);
    else
      view_.MessageBox(texts::kClosingWhileWriting, kAppTitle, BoxKind::kWarning);
    cancel = -1;
    return;
  }
  // From here the close goes through: nothing that a handler run by the waits
  // below does may start anything new.
  ended_ = true;
  if (const std::shared_ptr<korvel::_PwAcad> acad = g_.Acad_Obj; acad && acad->ControlExists()) {
    if (const auto control = acad->get_Control()) {
      control->SendCommand(texts::kUcsPrevious, acad->get_CommandPrompt());
      DxfOutKeepingName(*control, acad.get(), u"auto", true);
      control->SendCommand(texts::kCancel, acad->get_CommandPrompt());
    }
    g_.Acad_Obj.reset();
  }
  Settei_Save(g_, host_);
  cancel = 0;
  End();
}

void Form1::End() {
  ended_ = true;
  host_.EndProgram();
}

// --- The system list and the lookup ---------------------------------------

void Form1::Keitou_Load() {
  ComboBox& systems = view_.Keitou_Combo();
  ComboBox& numbers = view_.Bangou_Combo();
  systems.Clear();
  numbers.Clear();
  const std::optional<KeitouList> list = Keitou_Read(host_.AppFile(u"Keitou.txt"), host_.Codec());
  if (!list) {
    view_.MessageBox(texts::kKeitouMissing, kAppTitle, BoxKind::kWarning);
    return;
  }
  for (const std::u16string& name : list->systems) systems.AddItem(name);
  for (const std::u16string& number : list->numbers) numbers.AddItem(number);
  if (list->systems.empty())
    view_.MessageBox(texts::kKeitouNoSystems, kAppTitle, BoxKind::kWarning);
  else if (list->numbers.empty())
    view_.MessageBox(texts::kKeitouNoNumbers, kAppTitle, BoxKind::kWarning);
  if (systems.ListCount() > 0) {
    systems.SetListIndex(0);
    if (numbers.ListCount() > 0) numbers.SetListIndex(0);
    // Selecting the first system raises its click; before the first
    // activation it looks nothing up.
    Keitou_Combo_Click();
  } else if (numbers.ListCount() > 0) {
    numbers.SetListIndex(0);
  }
}

// The lookup could not read the drawing: whatever the number box held
// belongs to another system or to an older drawing, and "1" would write
// duplicates, so the box is emptied and the user has to choose.
void Form1::LookupFailed() {
  drawing_numbers_.reset();
  view_.Bangou_Combo().SetListIndex(-1);
  view_.Bangou_Combo().SetText(u"");
  view_.SetStatus(texts::kNumbersUnread);
}

void Form1::Keitou_Combo_Click() {
  if (ended_) return;
  // Whatever numbers were known belong to the system chosen before.
  drawing_numbers_.reset();
  if (g_.Kidou_Flag != 1 || LeadingNumber(g_.settings.Keitou_Check) != 1) return;
  ComboBox& numbers = view_.Bangou_Combo();
  // Without numbers to choose from (the system list said so when it was
  // read) there is nothing a lookup could select.
  if (numbers.ListCount() == 0) return;
  // Keeps the PwAcad for the whole lookup: a close handled inside one of its
  // waits releases Acad_Obj.
  const std::shared_ptr<korvel::_PwAcad> acad = g_.Acad_Obj;
  try {
    const auto control = Channel();
    const std::optional<WholeExport> exported = ExportWholeDrawing(*control, *acad);
    if (!exported) return;
    if (exported->exported != -1) {
      // A scan of a file AutoCAD did not finish would give a wrong next number
      // without a word: the user is told why, and has to choose the number.
      control->ShowMessage(acad->get_ErrDescription(), kWarningBox, kAppTitle);
      if (!ended_) LookupFailed();
      return;
    }
    // The numbers of the chosen system's entries: the attribute after each of
    // its system attributes. Only those are kept, not every attribute.
    const std::u16string system = view_.Keitou_Combo().Text();
    std::vector<std::u16string> entry_numbers;
    if (control->DxfAttributesAfter(texts::kSystemTag, system, entry_numbers) != -1) {
      control->ShowMessage(acad->get_ErrDescription(), kWarningBox, kAppTitle);
      if (!ended_) LookupFailed();
      return;
    }
    // Without a count the scratch file may be an older export's: it counts
    // for nothing.
    if (exported->empty.value_or(true)) entry_numbers.clear();

    DrawingNumbers found{system, {}};
    std::int32_t highest = 0;
    for (std::u16string& text : entry_numbers) {
      // One that is no decimal number is no entry's number.
      const std::optional<double> number = ReadDecimal(text);
      if (number && *number > highest) highest = RoundToLong(*number);
      found.numbers.push_back(std::move(text));
    }
    drawing_numbers_ = std::move(found);
    if (highest < numbers.ListCount()) {
      numbers.SetListIndex(highest);
      view_.SetStatus(IntegerText(static_cast<std::int64_t>(highest) + 1) +
                      std::u16string(texts::kFromNumber));
    } else {
      control->ShowMessage(texts::kLastNumberReached, kWarningBox, kAppTitle);
    }
  } catch (const AppError& error) {
    ReportError(error);
  }
}

// --- The numbering run -------------------------------------------------------

void Form1::Menu_Set(std::int16_t flag) {
  if (flag != -1 && flag != 0) return;
  view_.Mnu_Settei().SetEnabled(flag == -1);
  view_.Mnu_Help().SetEnabled(flag == -1);
  view_.Mnu_Kensa().SetEnabled(flag == -1);
}

void Form1::ClosingSteps() {
  g_.Kakikomi_Tyuu = 0;
  Menu_Set(-1);
  view_.Keitou_Combo().SetEnabled(true);
  if (focus_system_after_run_) {
    focus_system_after_run_ = false;
    view_.Keitou_Combo().SetFocus();
  }
}

void Form1::ReportError(const std::exception& error) {
  const auto* e = dynamic_cast<const AppError*>(&error);
  view_.MessageBox(RunTimeErrorMessage(e != nullptr ? *e : AppError(5)), kAppTitle, BoxKind::kWarning);
}

void Form1::Kaisi_Button_Click() {
  if (ended_) return;
  // A second pick inside a pending single pick would answer AutoCAD's
  // selection with a new command; the press is ignored instead.
  if (single_pick_) return;
  // During 番号の振り直し the button reads 停止: the renumbering stops after
  // the entry being typed and takes its change back.
  if (renumbering_) {
    renumber_stop_ = true;
    return;
  }
  // A press during a continuous run is its stop request. It changes nothing
  // else: the run itself ends at its next safe point and then does the
  // closing steps, so the window cannot be closed and the menus stay off
  // while an entry is still being typed.
  if (run_active_) {
    RequestStop();
    return;
  }
  Button& button = view_.Kaisi_Button();
  ComboBox& numbers = view_.Bangou_Combo();
  g_.Kakikomi_Tyuu = -1;
  Menu_Set(0);
  view_.Keitou_Combo().SetEnabled(false);
  view_.SetStatus(u"");
  stop_requested_ = false;
  // Keeps the PwAcad alive for the run, whatever a handler does meanwhile.
  const std::shared_ptr<korvel::_PwAcad> acad = g_.Acad_Obj;
  try {
    const bool continuous = LeadingNumber(g_.settings.Renzoku) == 1;
    bool go_on = false;
    if (!continuous) {
      single_pick_ = true;
    } else {
      button.SetCaption(texts::kStop);
      run_active_ = true;
    }
    do {
      if (!DuplicateAllowed()) break;
      const std::int32_t r = Sunpou_Write();
      if (r == -1) {
        go_on = true;
        if (numbers.ListIndex() == numbers.ListCount() - 1) {
          Channel()->ShowMessage(texts::kLastNumberNoAdvance, kWarningBox, kAppTitle);
        } else {
          const std::u16string entry = view_.Keitou_Combo().Text() + u"-" + numbers.Text();
          const bool layered = g_.settings.Keitou_Layer != u"1" || LayerStep();
          // The entry is in the drawing with this number whatever became of
          // its layer, so the number advances either way.
          numbers.SetListIndex(numbers.ListIndex() + 1);
          if (!layered && !ended_) {
            view_.MessageBox(entry + std::u16string(texts::kLayerUnconfirmed), kAppTitle, BoxKind::kWarning);
            go_on = false;
          }
        }
      } else {
        go_on = r == 1;
      }
      if (LeadingNumber(g_.settings.Renzoku) == 0) go_on = false;
      // 停止 pressed meanwhile: the entry is whole now, the run ends here.
      if (stop_requested_) go_on = false;
    } while (go_on && !ended_);
  } catch (const std::exception& error) {
    ReportError(error);
  }
  single_pick_ = false;
  run_active_ = false;
  pick_pending_ = false;
  stop_requested_ = false;
  if (ended_) return;
  button.SetCaption(texts::kStart);
  ClosingSteps();
}

// The drawing's numbers are known only for the system the last lookup read;
// a number they hold is written again only when the user says so.
bool Form1::DuplicateAllowed() {
  const std::u16string system = view_.Keitou_Combo().Text();
  const std::u16string number = view_.Bangou_Combo().Text();
  if (!drawing_numbers_ || drawing_numbers_->system != system || !drawing_numbers_->Holds(number))
    return true;
  const std::u16string question = system + u" " + number + std::u16string(texts::kAlreadyInDrawing);
  return Channel()->ShowMessage(question, kYesNoQuestionBox, kAppTitle) == kAnswerYes && !ended_;
}

bool Form1::DrawingNumbers::Holds(std::u16string_view number) const {
  const std::optional<double> value = ReadDecimal(number);
  for (const std::u16string& n : numbers) {
    if (n == number) return true;
    // "3" and "3.0" are the same entry number; "3A" is only itself.
    const std::optional<double> other = ReadDecimal(n);
    if (value && other && *value == *other) return true;
  }
  return false;
}

void Form1::NoteWritten(std::u16string_view system, std::u16string_view number) {
  if (drawing_numbers_ && drawing_numbers_->system == system) drawing_numbers_->numbers.emplace_back(number);
}

void Form1::RequestStop() {
  stop_requested_ = true;
  if (!pick_pending_) return;
  // The run's export waits for the user's pick: cancelling AutoCAD's
  // selection ends that pick with "stop". Once the pick is made, the export
  // is under way and is left to finish; the run then stops before typing.
  const std::shared_ptr<korvel::_PwAcad> acad = g_.Acad_Obj;
  try {
    const auto channel = Channel();
    std::u16string prompt;
    if (channel->GetPrompt(prompt) != -1 || prompt.find(texts::kSelectionPromptPart) == std::u16string::npos)
      return;
    channel->SendCommand(texts::kCancel, Prompt());
  } catch (const AppError&) {
    // Without a link there is no selection to cancel; the run finds that
    // out itself.
  }
}

bool Form1::LayerStep() {
  const auto control = Channel();
  std::u16string n = view_.Keitou_Combo().Text();
  const std::int32_t made = control->SendCommand(texts::LayerKeys(n), Prompt());
  if (ended_) return true;
  // CHANGE typed into a LAYER that has not finished would answer its prompts.
  if (made != -1) return false;
  n = view_.Keitou_Combo().Text();
  const std::int32_t moved = control->SendCommand(texts::ChangeToLayerKeys(n), Prompt());
  return moved == -1;
}

// --- Menus and the window's display ----------------------------------------

void Form1::Mnu_Settei_Click() {
  if (ended_) return;
  // A window kept on top would hide the dialog.
  view_.SetTopmost(false);
  settei_.Show();
  Temae_Set();
  Toumei_Set();
  // The focus comes back from the dialog to the main window.
  Form_Activate();
}

void Form1::Mnu_Tukaikata_Click() { view_.ShowHelp(host_.AppFolder() + std::u16string(texts::kHelpFile)); }

void Form1::Mnu_Ver_Click() {
  host_.AboutWidgets().Show(kAppTitle, std::u16string(texts::kVersionPrefix) + host_.VersionText());
}

void Form1::Temae_Set() {
  if (g_.settings.Temae_Hyouji == u"1")
    view_.SetTopmost(true);
  else if (g_.settings.Temae_Hyouji == u"0")
    view_.SetTopmost(false);
}

void Form1::Toumei_Set() {
  std::int32_t alpha = 255;
  try {
    alpha = TextToLong(g_.settings.Toumei);
  } catch (const AppError&) {
    // The settings file's reader keeps only values in range; an opaque
    // window is the safe reading of anything else.
  }
  view_.SetOpacity(alpha);
}

}  // namespace plendra
