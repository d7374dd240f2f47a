// libFuzzer target for cadsim's DXF reader and writer: any input either reads
// or fails with DxfError, and whatever reads writes out and reads back again.
//
//   clang++ -std=c++20 -fsanitize=fuzzer,address,undefined -I cadsim/include -I cadsim/src
//     -I platform/include cadsim/fuzz/dxf_reader_fuzzer.cpp cadsim/src/dxf_*.cpp
//     cadsim/src/drawing.cpp cadsim/src/dimension_blocks.cpp cadsim/src/dim_style.cpp
//     cadsim/src/measure.cpp platform/common/iconv_codec.cpp
//     -o dxf_reader_fuzzer
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cadsim/dxf.h"
#include "platform/ansi_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto codec = platform::MakeAnsiCodec(932);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  cadsim::Drawing drawing;
  try {
    drawing = cadsim::ReadDxf(bytes, *codec);
  } catch (const cadsim::DxfError&) {
    return 0;
  }
  const std::string written = cadsim::WriteDxf(drawing, *codec);
  try {
    const cadsim::Drawing again = cadsim::ReadDxf(written, *codec);
    if (again.entities.size() != drawing.entities.size()) std::abort();
  } catch (const cadsim::DxfError&) {
    std::abort();  // our own output must read back
  }
  return 0;
}
