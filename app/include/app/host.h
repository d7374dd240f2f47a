// The seam between Plendra's logic and the program around it: natively the
// simulated host (app/sim), on Windows gui/'s Win32Host.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "app/view.h"
#include "link/pw_interfaces.h"
#include "platform/text_codec.h"

namespace plendra {

inline constexpr std::u16string_view kAppTitle = u"Plendra";

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
  // the temporary folder, found as the library finds it (host.cpp says how).
  virtual std::filesystem::path ScratchDxf();
  // The file a path of AutoCAD's names, for reading and writing here: the
  // same path on Windows; the simulated desktop maps AutoCAD's folders.
  virtual std::filesystem::path DrawingFile(std::u16string_view acad_path);
  // The comment of the application's version information (empty).
  virtual std::u16string VersionComments() { return u""; }
  virtual std::u16string VersionText() { return u"1.0.0"; }
};

}  // namespace plendra
