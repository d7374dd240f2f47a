#include "link/dxf_file.h"

#include <filesystem>
#include <string>

namespace korvel {

std::unique_ptr<DxfFile> DxfFile::Open(std::u16string_view path) {
  std::filesystem::path native;
  try {
    native = std::filesystem::path(std::u16string(path));
  } catch (const std::exception&) {
    return nullptr;  // a path that has no native form (a lone surrogate) names no file
  }
  return OpenPath(native);
}

std::unique_ptr<DxfFile> DxfFile::OpenPath(const std::filesystem::path& path) {
#ifdef _WIN32
  std::FILE* file = _wfopen(path.c_str(), L"rb");
#else
  std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
  if (file == nullptr) return nullptr;
  // The scanner reads in large blocks of its own; a stdio buffer would only
  // copy every byte once more.
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::unique_ptr<DxfFile>(new DxfFile(file));
}

DxfFile::~DxfFile() { std::fclose(file_); }

std::size_t DxfFile::Read(char* buffer, std::size_t size) {
  const std::size_t n = std::fread(buffer, 1, size, file_);
  if (n == 0 && std::ferror(file_)) failed_ = true;
  return n;
}

}  // namespace korvel
