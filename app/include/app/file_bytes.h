// Whole-file reading and replacing for the small text files Plendra owns.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plendra {

// The bytes of a regular file, or nothing when it is missing or unreadable.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& file);

// Writes `bytes` to a new file beside `file` (a name nothing holds yet) and
// renames it over `file`, so a crash leaves either the old content or the
// new, never a part. On failure the old file is untouched, the new one
// removed, the result is false and `error`, when given, holds the reason as
// an errno value (0 when the system gave none).
// A folder that refuses the new file (no right to add files there) while the
// file itself may be written: the file is then rewritten in place, which
// only a crash during that one small write could leave partly written.
bool ReplaceFileBytes(const std::filesystem::path& file, std::string_view bytes, int* error = nullptr);

// The text split into lines at CRLF, LF or CR. A final line end does not start
// another line; an empty text has no lines.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

}  // namespace plendra
