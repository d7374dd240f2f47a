// The host of Plendra's logic on Windows: korvel's objects through COM, the
// program's folder and files, the ANSI code page, the single-instance check,
// and the real windows.
#pragma once

#include <windows.h>

#include <memory>

#include "about_dialog.h"
#include "app/plendra.h"
#include "app_link.h"
#include "form1_window.h"
#include "kensa_dialog.h"
#include "renumber_dialog.h"
#include "settei_dialog.h"

namespace plendra_gui {

class Win32Host final : public plendra::Host {
 public:
  // first_acad: the PwAcad created to check that korvel is registered; the
  // logic's first CreatePwAcad receives it.
  Win32Host(HINSTANCE instance, std::shared_ptr<korvel::_PwAcad> first_acad, bool another_instance);
  ~Win32Host() override;

  std::shared_ptr<korvel::_PwAcad> CreatePwAcad() override;
  std::u16string AppFolder() override;
  std::filesystem::path AppFile(std::u16string_view name) override;
  platform::TextCodec& Codec() override;
  bool AnotherInstanceRunning() override { return another_instance_; }
  void EndProgram() override;
  plendra::Form1View& Form1Widgets() override { return form1_; }
  plendra::SetteiView& SetteiWidgets() override { return settei_; }
  plendra::AboutView& AboutWidgets() override { return about_; }
  plendra::KensaView& KensaWidgets() override { return kensa_; }
  plendra::RenumberView& RenumberWidgets() override { return renumber_; }
  std::u16string VersionText() override;

  // Connects the windows' events to the logic.
  void Attach(plendra::Plendra& app) { link_.app = &app; }
  bool Ended() const { return link_.ended; }
  // The main message loop, until the program ends.
  void Run();

 private:
  AppLink link_;
  std::shared_ptr<korvel::_PwAcad> first_acad_;
  bool another_instance_;
  Form1Window form1_;
  SetteiDialog settei_;
  AboutDialog about_;
  KensaDialog kensa_;
  RenumberDialog renumber_;
};

}  // namespace plendra_gui
