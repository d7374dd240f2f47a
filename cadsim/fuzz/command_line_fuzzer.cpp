// libFuzzer target for cadsim's command line: the input (after a first byte
// that chooses the release row) is typed text
// (code-page 932 bytes, handed over in copy-data pieces as the link library
// hands them) into a cadsim on the simulated desktop over a small drawing.
// Whatever is typed, cadsim must not crash, its history stays bounded, no
// input is kept longer than the command line takes, and the drawing it
// holds afterwards writes as DXF that its own reader takes back with the
// same entities (no "nan" or "inf" written into it).
//
// Commands that write files (SAVEAS, EXPORT, WBLOCK) write into a scratch
// folder made the current one; an input that names another folder (holds a
// "/" or "\") is skipped, so no run writes anywhere else.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "cadsim/dxf.h"
#include "cadsim/sim_cad.h"
#include "cadsim/svg.h"
#include "platform/ansi_codec.h"
#include "platform/sim/desktop.h"

namespace {

// Two lines, a circle, a text and a layer: enough for SELECT, CHANGE, LAYER,
// ID and the picks to find something.
cadsim::Drawing SmallDrawing(platform::TextCodec& codec) {
  static const std::string kDxf =
      "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"
      "  0\r\nLINE\r\n  5\r\n2F\r\n  8\r\n\x8B\x8B\x90\x85\r\n 10\r\n0.0\r\n 20\r\n0.0\r\n 11\r\n1000.0\r\n "
      "21\r\n0.0\r\n"
      "  0\r\nLINE\r\n  5\r\n30\r\n  8\r\n0\r\n 10\r\n0.0\r\n 20\r\n0.0\r\n 11\r\n0.0\r\n 21\r\n500.0\r\n"
      "  0\r\nCIRCLE\r\n  5\r\n31\r\n  8\r\n0\r\n 10\r\n200.0\r\n 20\r\n200.0\r\n 40\r\n50.0\r\n"
      "  0\r\nTEXT\r\n  5\r\n32\r\n  8\r\n0\r\n 10\r\n100.0\r\n 20\r\n100.0\r\n 40\r\n2.5\r\n  1\r\nA-1\r\n"
      "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  return cadsim::ReadDxf(kDxf, codec);
}

std::filesystem::path scratch;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // libFuzzer reads its arguments after this: the corpus folders and the
  // paths in flags are made absolute first, as the current folder changes.
  static std::vector<std::string> args;
  static std::vector<char*> pointers;
  for (int i = 0; i < *argc; ++i) {
    std::string arg = (*argv)[i];
    const std::size_t equals = arg.find('=');
    if (i > 0 && !arg.starts_with("-")) {
      arg = std::filesystem::absolute(arg).string();
    } else if (arg.starts_with("-") && equals != std::string::npos &&
               (arg.starts_with("-artifact_prefix=") || arg.starts_with("-dict=") ||
                arg.starts_with("-exact_artifact_path="))) {
      const std::string value = arg.substr(equals + 1);
      if (!value.empty() && value.front() != '/')
        arg = arg.substr(0, equals + 1) + std::filesystem::absolute(value).string() +
              (value.back() == '/' ? "/" : "");
    }
    args.push_back(arg);
  }
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  *argv = pointers.data();

  char folder[] = "/tmp/cadsim-command-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) std::abort();
  scratch = folder;
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  platform::sim::Desktop desktop;
  // The first byte chooses the release row, the rest is typed.
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::u16string typed = desktop.Codec().FromAnsi(bytes);
  if (typed.find_first_of(u"/\\") != std::u16string::npos) return 0;

  cadsim::SimCadOptions options;
  options.release = data[0] % 9;
  cadsim::SimCad acad(desktop, SmallDrawing(desktop.Codec()), options);
  // A scripted user who picks an entity, a point, nothing, and then cancels.
  acad.Cad().Script(cadsim::UserAction::Pick(0x2F, 500));
  acad.Cad().Script(cadsim::UserAction::PickAt({200, 150, 0}, 500));
  acad.Cad().Script(cadsim::UserAction::Nothing(500));
  acad.Cad().Script(cadsim::UserAction::Escape(500));

  // In pieces of up to 254 bytes, as the link library's copy-data messages.
  for (std::size_t at = 0; at < bytes.size(); at += 254) {
    const std::string piece = bytes.substr(at, 254);
    acad.Cad().Receive(1, std::as_bytes(std::span(piece.data(), piece.size())));
    for (int i = 0; i < 100 && !desktop.Queue().Idle(); ++i) desktop.Queue().Sleep(100);
  }
  for (int i = 0; i < 600 && !desktop.Queue().Idle(); ++i) desktop.Queue().Sleep(100);

  if (acad.Cad().HistoryLines().size() > 400) std::abort();
  // The prompt shows what is typed so far; it never holds more than a line.
  if (acad.Cad().Prompt().size() > cadsim::kLongestInput + 1000) std::abort();

  const cadsim::Drawing& drawing = acad.TheDrawing();
  const std::string written = cadsim::WriteDxf(drawing, desktop.Codec());
  try {
    const cadsim::Drawing again = cadsim::ReadDxf(written, desktop.Codec());
    if (again.entities.size() != drawing.entities.size()) std::abort();
  } catch (const cadsim::DxfError&) {
    std::abort();  // cadsim wrote a drawing it refuses itself
  }
  (void)cadsim::RenderSvg(drawing);

  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(scratch, ec))
    std::filesystem::remove_all(entry.path(), ec);
  return 0;
}
