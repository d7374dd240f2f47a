// The code page a DXF file's own header declares: what dxfscan and
// plendra-report read a drawing's texts in when no --encoding is given.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace platform {

// How many bytes from the front of a file hold its header variables: AutoCAD
// writes $ACADVER first and $DWGCODEPAGE a few variables later.
constexpr std::size_t kDxfHeaderBytes = 64 * 1024;

// From the front of a DXF file: 65001 when $ACADVER is AC1021 (AutoCAD 2007)
// or later, whose files are UTF-8 whatever $DWGCODEPAGE says; otherwise the
// number of $DWGCODEPAGE ("ANSI_932", "ANSI_1252", "DOS932"); nullopt when the
// header says neither.
std::optional<unsigned> DxfHeaderCodePage(std::string_view front);

}  // namespace platform
