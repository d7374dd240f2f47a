// The pieces of the real Windows platform, one per seam. Each lives in its own
// .cpp next to the user32/kernel32 calls it makes; this header stays free of
// <windows.h> so that nothing including it sees user32's A/W macros.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace platform::win32 {

// Every text crossing these seams is converted with codec, which must be the
// system's ANSI code page: that is what the -A calls produce and expect.
std::unique_ptr<WindowSystem> MakeWindowSystem(TextCodec& codec);
std::unique_ptr<Clock> MakeClock();
std::unique_ptr<Processes> MakeProcesses(TextCodec& codec);
std::unique_ptr<Files> MakeFiles();
std::unique_ptr<Dialogs> MakeDialogs(TextCodec& codec);

// The code page the -A calls of this process use (GetACP).
unsigned AnsiCodePage();

}  // namespace platform::win32
