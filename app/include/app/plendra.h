// Plendra's logic as one program: the application-wide state (grobal_dim.h),
// the main window (form1.h), the settings dialog (settei_form.h), all over
// what the host supplies (host.h).
//
// Everything runs on the user-interface thread. The link library's waits pump
// the thread's messages, so an event procedure of these classes may run while
// another one is still waiting inside a link-library call: a press of 停止
// during a pick, a close during a lookup. Each procedure is written for that.
#pragma once

#include "app/form1.h"
#include "app/grobal_dim.h"
#include "app/host.h"
#include "app/settei_form.h"

namespace plendra {

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
