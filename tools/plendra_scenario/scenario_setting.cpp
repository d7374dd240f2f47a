// "setting NAME VALUE [cancel]": the user opens 設定, changes one control and
// presses OK (or キャンセル).
#include "scenario.h"
#include "scenario_internal.h"

namespace scenario {

bool Runner::Setting(const Fields& f) {
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

}  // namespace scenario
