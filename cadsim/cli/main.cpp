// cadsim --drawing IN.dxf --write OUT.dxf [--svg OUT.svg]
//
// Loads a drawing and writes it back (and, if asked, as a picture), so anyone
// can check the reader, the writer and the rendering on their own files.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "cadsim/dxf.h"
#include "cadsim/svg.h"
#include "platform/ansi_codec.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: cadsim --drawing IN.dxf [--write OUT.dxf] [--svg OUT.svg]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string in, out, svg;
  for (int i = 1; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (!std::strcmp(argv[i], "--drawing") && has_value)
      in = argv[++i];
    else if (!std::strcmp(argv[i], "--write") && has_value)
      out = argv[++i];
    else if (!std::strcmp(argv[i], "--svg") && has_value)
      svg = argv[++i];
    else
      return Usage();
  }
  if (in.empty()) return Usage();

  auto codec = platform::MakeAnsiCodec(932);
  cadsim::Drawing drawing;
  cadsim::ReadReport report;
  try {
    drawing = cadsim::ReadDxfFile(in, *codec, &report);
  } catch (const cadsim::DxfError& e) {
    std::fprintf(stderr, "cadsim: %s: %s\n", in.c_str(), e.what());
    return 1;
  }
  std::fprintf(stderr, "cadsim: %s: %zu entities, %zu blocks, %d kept unread\n", in.c_str(),
               drawing.entities.size(), drawing.blocks.size(), report.foreign_entities);
  if (!out.empty() && !cadsim::WriteDxfFile(out, drawing, *codec)) {
    std::fprintf(stderr, "cadsim: cannot write %s\n", out.c_str());
    return 1;
  }
  if (!svg.empty()) {
    std::ofstream file(svg, std::ios::binary);
    file << cadsim::RenderSvg(drawing);
    if (!file) {
      std::fprintf(stderr, "cadsim: cannot write %s\n", svg.c_str());
      return 1;
    }
  }
  return 0;
}
