// The ANSI code-page codec of the build: iconv on Linux, the Win32 conversion
// functions on Windows.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "platform/text_codec.h"

namespace platform {

// A codec for the given code page (932 = Shift_JIS as Windows extends it).
// Throws std::runtime_error when the build cannot convert that code page.
std::unique_ptr<TextCodec> MakeAnsiCodec(unsigned code_page = 932);

// The Windows code-page number for what a user typed: a number ("932",
// "65001"), "cp", "windows-" or "ANSI_" and a number, or a name (utf-8,
// shift_jis, ms932, windows-31j, ...), in any case. nullopt when the text names
// no code page; whether the build can convert it is MakeAnsiCodec's to say.
std::optional<unsigned> CodePageByName(std::string_view name);

}  // namespace platform
