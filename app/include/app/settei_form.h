// The settings dialog's logic, and the writing of the settings.
#pragma once

#include "app/grobal_dim.h"
#include "app/host.h"
#include "app/view.h"

namespace plendra {

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

}  // namespace plendra
