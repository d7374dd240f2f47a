#include "app/file_bytes.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace plendra {

std::optional<std::string> ReadFileBytes(const std::filesystem::path& file) {
  std::error_code ec;
  // A folder opens as a stream on some systems and reads as empty.
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  // Read in large blocks into a string sized once from the file's length: a
  // drawing of a building's floor runs to tens of MB, and byte by byte into a
  // growing string the copying took as long as the reading.
  std::string bytes;
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  in.seekg(0, std::ios::beg);
  if (length > 0) bytes.reserve(static_cast<std::size_t>(length));
  std::string block(std::size_t{1} << 16, '\0');
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0)
    bytes.append(block.data(), static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return std::nullopt;
  return bytes;
}

namespace {

// Writes `bytes` over the existing file `file` and cuts it to their length.
// Opened without truncating, so a file that cannot be written keeps its content.
bool OverwriteInPlace(const std::filesystem::path& file, std::string_view bytes, int& why) {
  errno = 0;
  std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
  if (!out) {
    why = errno != 0 ? errno : EACCES;
    return false;
  }
  why = 0;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    why = errno;
    return false;
  }
  std::error_code ec;
  std::filesystem::resize_file(file, bytes.size(), ec);
  if (ec) {
    why = ec.default_error_condition().value();
    return false;
  }
  return true;
}

}  // namespace

bool ReplaceFileBytes(const std::filesystem::path& file, std::string_view bytes, int* error) {
  int ignored = 0;
  int& why = error != nullptr ? *error : ignored;
  why = 0;
  std::error_code ec;
  // The new content goes to a name beside the file that nothing holds yet: a
  // fixed name could be a file of the user's, and would be replaced.
  std::filesystem::path temporary;
  for (int n = 0;; ++n) {
    temporary = file;
    temporary += ".~" + std::to_string(n) + ".tmp";
    if (!std::filesystem::exists(temporary, ec) && !ec) break;
    if (ec || n == 99) {
      why = ec ? ec.default_error_condition().value() : EEXIST;
      return false;
    }
  }
  errno = 0;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      why = errno;
      // A folder the user may not add files to can still hold a file the
      // user may write (the settings under Program Files, which the setup
      // opens to the Users group, file by file). Then the file itself is
      // rewritten: one small write, so only a crash inside it could leave
      // a part.
      if ((why == EACCES || why == EPERM) && std::filesystem::is_regular_file(file, ec))
        return OverwriteInPlace(file, bytes, why);
      return false;  // nothing was created
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      why = errno;
      std::filesystem::remove(temporary, ec);
      return false;
    }
  }
  // rename replaces an existing file in one step (MoveFileEx with
  // MOVEFILE_REPLACE_EXISTING on Windows); it fails on a read-only target or a
  // folder of that name, and the old file then stays as it was.
  std::filesystem::rename(temporary, file, ec);
  if (ec) {
    why = ec.default_error_condition().value();
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace plendra
