// Settei_Form: the settings dialog. It is filled from the settings once, when
// it is first created, and only hidden afterwards, so what the user left on
// display after Cancel is still there the next time it opens.
#include "app/settei_form.h"

#include <cerrno>

#include "app/app_error.h"
#include "app/box_style.h"
#include "app/number_text.h"
#include "app/placement.h"
#include "texts.h"

namespace plendra {
namespace {

// The controls take the settings as the dialog's controls convert them; a
// value that does not convert leaves the control as it is.
template <typename Convert>
void Try(Convert convert) {
  try {
    convert();
  } catch (const AppError&) {
  }
}

std::u16string BooleanText(std::int32_t value) { return value != 0 ? u"True" : u"False"; }
std::u16string CheckText(std::int32_t value) { return value != 0 ? u"1" : u"0"; }

// The system's reason for a failed write (an errno value), as a user reads it.
std::u16string WriteFailureReason(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return std::u16string(texts::kFileAccessDenied);
    case EROFS:
      return std::u16string(texts::kFileReadOnlyPlace);
    case ENOSPC:
      return std::u16string(texts::kFileDiskFull);
    case EISDIR:
    case EEXIST:
      return std::u16string(texts::kFileIsFolder);
    case ENOENT:
    case ENOTDIR:
      return std::u16string(texts::kFileNoFolder);
    default:
      return std::u16string(texts::kFileErrorNumber) + IntegerText(error);
  }
}

}  // namespace

void Settei_Save(Grobal_Dim& g, Host& host) {
  Form1View& form = host.Form1Widgets();
  int error = 0;
  if (plendra::Settei_Save(host.AppFile(u"plendra.ini"), g.settings, form.Top(), form.Left(), host.Codec(),
                           &error))
    return;
  // Where and why, so that a user without the right to write there (or the
  // administrator they ask) knows what to change.
  form.MessageBox(std::u16string(texts::kSettingsNotWritten) + u"\r\n" + std::u16string(texts::kFileWhere) +
                      host.AppFolder() + u"\\plendra.ini\r\n" + std::u16string(texts::kFileWhy) +
                      WriteFailureReason(error),
                  kAppTitle, BoxKind::kWarning);
}

Settei_Form::Settei_Form(Grobal_Dim& g, Host& host) : g_(g), host_(host), view_(host.SetteiWidgets()) {}

void Settei_Form::EnsureLoaded() {
  if (loaded_) return;
  loaded_ = true;
  Form_Load();
}

void Settei_Form::Show() {
  EnsureLoaded();
  view_.ShowModal();
}

void Settei_Form::SetOption(Toggle& option, bool selected) {
  if (!selected) {
    option.SetValue(0);
    return;
  }
  for (Toggle* other : {&view_.Mae_Option(), &view_.Usiro_Option(), &view_.Ue_Option(), &view_.Sita_Option()})
    if (other != &option) other->SetValue(0);
  option.SetValue(1);
}

void Settei_Form::Form_Load() {
  const Settings& s = g_.settings;
  Try([&] { view_.Okisa_Scroll().SetValue(TextToInteger(s.Okisa)); });
  view_.Okisa_Label().SetCaption(s.Okisa);
  Try([&] { view_.Hanare_Scroll().SetValue(TextToInteger(s.Hanare)); });
  view_.Hanare_Label().SetCaption(s.Hanare);
  // In this order: when several say "True" the last of them stays selected.
  Try([&] { SetOption(view_.Mae_Option(), TextToBoolean(s.Mae)); });
  Try([&] { SetOption(view_.Usiro_Option(), TextToBoolean(s.Usiro)); });
  Try([&] { SetOption(view_.Ue_Option(), TextToBoolean(s.Ue)); });
  Try([&] { SetOption(view_.Sita_Option(), TextToBoolean(s.Sita)); });
  Try([&] { view_.Renzoku_Check().SetValue(TextToInteger(s.Renzoku)); });
  Try([&] { view_.Temae_Hyouji_Check().SetValue(TextToInteger(s.Temae_Hyouji)); });
  Try([&] { view_.Toumei_Scroll().SetValue(TextToInteger(s.Toumei)); });
  Try([&] { view_.Keitou_Layer_Check().SetValue(TextToInteger(s.Keitou_Layer)); });
  Try([&] { view_.Keitou_Check_Check().SetValue(TextToInteger(s.Keitou_Check)); });
  ComboBox& marume = view_.Marume_Combo();
  marume.Clear();
  for (std::u16string_view item : MarumeItems()) marume.AddItem(item);
  Try([&] { marume.SetListIndex(TextToInteger(s.Marume)); });
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(MarumeItems().size()); ++i)
    marume.SetItemData(i, MarumeStep(i));
}

void Settei_Form::OK_Button_Click() {
  Settings& s = g_.settings;
  s.Okisa = IntegerText(view_.Okisa_Scroll().Value());
  s.Hanare = IntegerText(view_.Hanare_Scroll().Value());
  s.Mae = BooleanText(view_.Mae_Option().Value());
  s.Usiro = BooleanText(view_.Usiro_Option().Value());
  s.Ue = BooleanText(view_.Ue_Option().Value());
  s.Sita = BooleanText(view_.Sita_Option().Value());
  s.Renzoku = CheckText(view_.Renzoku_Check().Value());
  // The list always has an item selected once loaded; an unselected list
  // keeps the rounding as it was.
  if (view_.Marume_Combo().ListIndex() >= 0) s.Marume = IntegerText(view_.Marume_Combo().ListIndex());
  s.Temae_Hyouji = CheckText(view_.Temae_Hyouji_Check().Value());
  s.Toumei = IntegerText(view_.Toumei_Scroll().Value());
  s.Keitou_Layer = CheckText(view_.Keitou_Layer_Check().Value());
  s.Keitou_Check = CheckText(view_.Keitou_Check_Check().Value());
  Settei_Save(g_, host_);
  view_.Hide();
}

void Settei_Form::Cancel_Button_Click() { view_.Hide(); }

void Settei_Form::Okisa_Scroll_Change() {
  view_.Okisa_Label().SetCaption(IntegerText(view_.Okisa_Scroll().Value()));
}

void Settei_Form::Hanare_Scroll_Change() {
  view_.Hanare_Label().SetCaption(IntegerText(view_.Hanare_Scroll().Value()));
}

}  // namespace plendra
