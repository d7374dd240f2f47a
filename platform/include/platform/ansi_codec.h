// The ANSI code-page codec of the build: iconv on Linux, the Win32 conversion
// functions on Windows.
#pragma once

#include <memory>

#include "platform/text_codec.h"

namespace platform {

// A codec for the given code page (932 = Shift_JIS as Windows extends it).
std::unique_ptr<TextCodec> MakeAnsiCodec(unsigned code_page = 932);

}  // namespace platform
