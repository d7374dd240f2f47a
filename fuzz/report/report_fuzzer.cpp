// libFuzzer target for the check and the takeoff sheet.
//
// The input is a DXF file's bytes in code page 932. Whatever they hold: a
// refused file names a line within the file; a read drawing checks with every
// rounding, every finding names a system of an entry, and the sheet has the
// header, a row per entry and at least a subtotal per system.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/report.h"
#include "platform/ansi_codec.h"

namespace {

platform::TextCodec& Codec() {
  static const std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
  return *codec;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  plendra::ReportReadFailure failure;
  const std::optional<plendra::ReportDrawing> drawing = plendra::ReadReportDrawing(bytes, Codec(), failure);
  if (!drawing) {
    const auto lines = static_cast<std::int64_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    if (failure.description.empty() || failure.line < 0 || failure.line > lines) std::abort();
    return 0;
  }
  std::set<std::u16string> systems;
  for (const plendra::ReportEntry& e : drawing->entries) systems.insert(e.system);
  for (std::int32_t marume = 0; marume <= 4; ++marume) {
    const std::vector<plendra::Finding> findings = plendra::CheckDrawing(*drawing, marume);
    for (const plendra::Finding& f : findings) {
      if (!systems.contains(f.system)) std::abort();
      if (f.type == plendra::FindingType::kGap && (f.gap_first < 1 || f.gap_last < f.gap_first)) std::abort();
    }
    // One line per finding, whatever a gap's run: the output stays as long as
    // the drawing, not as its highest number.
    for (const plendra::Finding& f : findings) {
      int lines = 0;
      plendra::FindingLines(f, [&](std::u16string_view) { ++lines; });
      if (lines != 1) std::abort();
    }
  }
  const auto rows = plendra::TakeoffRows(*drawing);
  if (rows.size() < 1 + drawing->entries.size() + systems.size()) std::abort();
  (void)plendra::CsvText(rows);
  return 0;
}
