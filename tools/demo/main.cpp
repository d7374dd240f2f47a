// The demonstration on the bundled sample: korvel drives cadsim's AutoCAD on
// the simulated desktop the way Plendra will. It finds AutoCAD by trying the
// release table, exports the drawing and scans its dimensions and the parts
// table entries already in place, lets the (scripted) user pick a dimension,
// reads it from the single-object export, and types the insertion of the
// parts-table block with its attribute answers. The drawing is written to
// out/ as DXF and SVG so a person can look at where the entry landed.
//
//   plendra_demo DATA_FOLDER OUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "cadsim/dxf.h"
#include "cadsim/sim_cad.h"
#include "cadsim/svg.h"
#include "link/dxf_table.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "app/releases.h"
#include "platform/sim/desktop.h"
#include "platform/utf8.h"
#include "text_out.h"

namespace {

using demo::Number;
using demo::Utf8;

void Status(const char* what, std::int32_t r, const korvel::PwAcad& acad) {
  if (r == -1)
    std::printf("  %s -> -1\n", what);
  else
    std::printf("  %s -> %d  %s: %s\n", what, r, Utf8(acad.get_ErrSource()).c_str(),
                Utf8(acad.get_ErrDescription()).c_str());
}

double ToNumber(const std::u16string& text) { return std::strtod(Utf8(text).c_str(), nullptr); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: plendra_demo DATA_FOLDER OUT_FOLDER\n");
    return 2;
  }
  const std::filesystem::path data = argv[1], out = argv[2];
  std::filesystem::create_directories(out);

  platform::sim::Desktop desktop;
  platform::ScopedPlatform bind(desktop);
  const int release = 8;  // AutoCAD 2006: full-width prompts
  cadsim::SimCad cad(desktop, cadsim::ReadDxfFile(data / "sample.dxf", desktop.Codec()),
                     {.release = release,
                      .drawing_path = u"C:\\設備図\\3F衛生設備.dwg",
                      .block_folders = {platform::FromUtf8(data.string())}});

  std::printf("== 1. AutoCAD を探す: 九つのリリースを順に\n");
  korvel::PwAcad acad;
  std::size_t row = 0;
  for (; row < plendra::kReleaseCount; ++row) {
    const auto& r = plendra::Releases()[row];
    acad.put_MainCompareTitle(r.MainCompareTitle);
    acad.put_TextCompareTitle(r.TextCompareTitle);
    acad.put_CommandCompareTitle(r.CommandCompareTitle);
    acad.put_HistoryCompareTitle(r.HistoryCompareTitle);
    acad.put_CommandPrompt(r.CommandPrompt);
    const std::int32_t result = acad.Search();
    std::printf("  row %zu (%s): %s\n", row, Utf8(r.Product).c_str(), result == -1 ? "found" : "not found");
    if (result == -1) break;
  }
  if (row == plendra::kReleaseCount) return 1;
  std::printf("  Main \"%s\"\n  Text \"%s\"\n  prompt \"%s\"\n", Utf8(acad.get_MainWindowTitle()).c_str(),
              Utf8(acad.get_TextWindowTitle()).c_str(), Utf8(acad.get_CommandPrompt()).c_str());
  auto control = acad.Control();
  const std::u16string prompt = acad.get_CommandPrompt();

  std::printf("\n== 2. 図面全体を DXF に書き出して寸法を読む (DxfOut \"all\", DxfScan)\n");
  Status("DxfOut(\"all\")", control->DxfOut(u"all", u"2000", &acad), acad);
  korvel::DxfTable dims;
  Status("DxfScan(ENTITIES, DIMENSION, 5|42|70|11|21)",
         control->DxfScan(u"ENTITIES", u"DIMENSION", u"5|42|70|11|21", dims), acad);
  const int count = std::atoi(Utf8(dims.At(0, 0)).c_str());
  std::u16string pick_handle;
  for (int r = 1; r <= count; ++r) {
    const int type = std::atoi(Utf8(dims.At(2, r)).c_str());
    std::printf("  handle %-4s length %-10s type %-4d text at %s,%s\n", Utf8(dims.At(0, r)).c_str(),
                Utf8(Number(ToNumber(dims.At(1, r)))).c_str(), type,
                Utf8(Number(ToNumber(dims.At(3, r)))).c_str(), Utf8(Number(ToNumber(dims.At(4, r)))).c_str());
  }
  // The user picks the first rotated dimension that has no entry beside it yet.
  korvel::DxfTable inserts;
  control->DxfScan(u"ENTITIES", u"INSERT", u"10|20", inserts);
  for (int r = 1; r <= count && pick_handle.empty(); ++r) {
    if ((std::atoi(Utf8(dims.At(2, r)).c_str()) & 7) != 0) continue;
    bool numbered = false;
    for (int i = 1; i <= std::atoi(Utf8(inserts.At(0, 0)).c_str()); ++i)
      numbered = numbered || std::hypot(ToNumber(inserts.At(0, i)) - ToNumber(dims.At(3, r)),
                                        ToNumber(inserts.At(1, i)) - ToNumber(dims.At(4, r))) < 800;
    if (!numbered) pick_handle = dims.At(0, r);
  }

  std::printf("\n== 3. 既にある部品表の番号 (DxfScan ENTITIES ATTRIB 2|1)\n");
  korvel::DxfTable attribs;
  control->DxfScan(u"ENTITIES", u"ATTRIB", u"2|1", attribs);
  std::map<std::u16string, int> highest;
  const int attrib_count = std::atoi(Utf8(attribs.At(0, 0)).c_str());
  for (int r = 1; r < attrib_count; ++r)
    if (attribs.At(0, r) == u"(1)系統") {
      int& h = highest[attribs.At(1, r)];
      h = std::max(h, std::atoi(Utf8(attribs.At(1, r + 1)).c_str()));
    }
  for (const auto& [system, number] : highest)
    std::printf("  %s: 最大 %d, 次は %d\n", Utf8(system).c_str(), number, number + 1);

  std::printf("\n== 4. 利用者が寸法を一つ選ぶ (DxfOut \"sgl\")\n");
  const auto handle = std::stoull(demo::Utf8(pick_handle), nullptr, 16);
  cad.Cad().Script(cadsim::UserAction::Pick(handle, 2500));  // picks 2.5 s after being asked
  const std::uint32_t start = desktop.Time().TickCount();
  Status("DxfOut(\"sgl\")", control->DxfOut(u"sgl", u"2000", &acad), acad);
  std::printf("  the pick came after %u ms of waiting (virtual clock)\n", desktop.Time().TickCount() - start);
  korvel::DxfTable picked, styles;
  control->DxfScan(u"ENTITIES", u"DIMENSION", u"11|21|31|42|70|50|3", picked);
  control->DxfScan(u"TABLES", u"DIMSTYLE", u"2|40|140", styles);
  double dimscale = 1, text_height = 2.5;
  for (int r = 1; r <= std::atoi(Utf8(styles.At(0, 0)).c_str()); ++r)
    if (styles.At(0, r) == picked.At(6, 1)) {
      dimscale = ToNumber(styles.At(1, r));
      text_height = ToNumber(styles.At(2, r));
    }
  const double x = ToNumber(picked.At(0, 1)), y = ToNumber(picked.At(1, 1)),
               length = ToNumber(picked.At(3, 1));
  const bool vertical = ToNumber(picked.At(5, 1)) == 90;
  std::printf("  handle %s: length %s, style %s (DIMSCALE %s, DIMTXT %s), text at %s,%s\n",
              Utf8(pick_handle).c_str(), Utf8(Number(length)).c_str(), Utf8(picked.At(6, 1)).c_str(),
              Utf8(Number(dimscale)).c_str(), Utf8(Number(text_height)).c_str(), Utf8(Number(x)).c_str(),
              Utf8(Number(y)).c_str());

  std::printf("\n== 5. 部品表ブロックを挿入して属性に答える (PostCommand, SendCommand)\n");
  const std::u16string system = u"給水";
  const std::u16string number = std::u16string(Number(highest[system] + 1));
  // A simple placement, not the application's rules: the block as large as the
  // dimension text is on paper, beside the text (above it, or left of a
  // vertical one, turned with it).
  const double scale = dimscale * text_height, gap = 1.9 * scale;
  const std::u16string at =
      vertical ? Number(x - gap) + u"," + Number(y) : Number(x) + u"," + Number(y + gap);
  const std::u16string insert = u"^C^C-insert^MC:\\Program Files\\Plendra\\Plendra1.dwg^Ms^M" +
                                Number(scale) + u"^M" + at + (vertical ? u"^M90^M" : u"^M0^M");
  const std::u16string answers = Number(x) + u"^M" + Number(y) + u"^M0^M" + Number(std::round(length)) +
                                 u"^M^M^M" + system + u"^M" + number + u"^M";
  std::printf("  typed: %s\n", Utf8(insert).c_str());
  Status("PostCommand(insert)", control->PostCommand(insert), acad);
  std::printf("  typed: %s\n", Utf8(answers).c_str());
  Status("SendCommand(attributes)", control->SendCommand(answers, prompt), acad);
  std::u16string history;
  control->GetHistory(history);
  const std::size_t tail = history.rfind(u"-insert");
  std::printf("  history since -insert:\n    %s\n",
              Utf8(history.substr(tail == std::u16string::npos ? 0 : tail)).c_str());

  std::printf("\n== 6. 図面を out/ に書く\n");
  cadsim::WriteDxfFile(out / "demo.dxf", cad.TheDrawing(), desktop.Codec());
  FILE* svg = std::fopen((out / "demo.svg").string().c_str(), "wb");
  if (svg != nullptr) {
    const std::string picture = cadsim::RenderSvg(cad.TheDrawing());
    std::fwrite(picture.data(), 1, picture.size(), svg);
    std::fclose(svg);
  }
  std::printf("  %s (code page 932) and %s\n", (out / "demo.dxf").string().c_str(),
              (out / "demo.svg").string().c_str());
  std::printf("  %s-%s>%smm を書き込みました\n", Utf8(system).c_str(), Utf8(number).c_str(),
              Utf8(Number(std::round(length))).c_str());
  return 0;
}
