// What the program around the logic supplies by default (app/host.h).
#include "app/host.h"

#include <string>

#include "platform/platform.h"

namespace plendra {
namespace {

// The buffer the link library hands GetTempPathA for the scratch file's folder.
constexpr int kTempPathBufferBytes = 255;

}  // namespace

// korvel is an in-process server: it asks GetTempPathA of this same process,
// with the same buffer, for the folder it has AutoCAD write Wexa.dxf into, so
// asking the platform the same way names the same file.
std::filesystem::path Host::ScratchDxf() {
  platform::Platform& os = platform::Current();
  const std::string bytes = os.Folders().TempPathAnsi(kTempPathBufferBytes);
  if (bytes.empty()) return {};
  return std::filesystem::path(os.Codec().FromAnsi(bytes) + u"Wexa.dxf");
}

std::filesystem::path Host::DrawingFile(std::u16string_view acad_path) {
  return std::filesystem::path(std::u16string(acad_path));
}

}  // namespace plendra
