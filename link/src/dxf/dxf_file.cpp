#include "link/dxf_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

std::unique_ptr<DxfFile> DxfFile::MapPath(const std::filesystem::path& path) {
  std::unique_ptr<DxfFile> file = OpenPath(path);
#ifndef _WIN32
  // Small files are read as they are: mapping costs more than it saves.
  constexpr off_t kMapFrom = off_t{1} << 20;
  struct stat status {};
  if (file && fstat(fileno(file->file_), &status) == 0 && S_ISREG(status.st_mode) &&
      status.st_size >= kMapFrom && static_cast<std::uintmax_t>(status.st_size) <= SIZE_MAX) {
    const auto size = static_cast<std::size_t>(status.st_size);
    void* bytes = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fileno(file->file_), 0);
    if (bytes != MAP_FAILED) {
      madvise(bytes, size, MADV_SEQUENTIAL);
      file->mapped_ = static_cast<char*>(bytes);
      file->mapped_size_ = size;
    }
  }
#endif
  return file;
}

DxfFile::~DxfFile() {
#ifndef _WIN32
  if (mapped_ != nullptr) munmap(mapped_, mapped_size_);
#endif
  std::fclose(file_);
}

void DxfFile::Passed(std::size_t bytes) {
#ifndef _WIN32
  // Whole pages only, and each page once.
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t upto = std::min(bytes, mapped_size_) / page * page;
  if (mapped_ != nullptr && upto > released_) {
    madvise(mapped_ + released_, upto - released_, MADV_DONTNEED);
    released_ = upto;
  }
#else
  (void)bytes;
#endif
}

std::size_t DxfFile::Read(char* buffer, std::size_t size) {
  if (mapped_ != nullptr) {
    const std::size_t n = std::min(size, mapped_size_ - mapped_read_);
    std::memcpy(buffer, mapped_ + mapped_read_, n);
    mapped_read_ += n;
    return n;
  }
  const std::size_t n = std::fread(buffer, 1, size, file_);
  if (n == 0 && std::ferror(file_)) failed_ = true;
  return n;
}

}  // namespace korvel
