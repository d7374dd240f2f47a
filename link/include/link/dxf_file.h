// Opening a DXF file for the scanner by its path as text.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

#include "link/dxf_scanner.h"

namespace korvel {

class DxfFile final : public DxfSource {
 public:
  // Null when the file cannot be opened for reading. Windows opens it by its
  // wide path, so a folder name with double-byte characters needs no round
  // trip through the code page; elsewhere the path is opened as UTF-8.
  static std::unique_ptr<DxfFile> Open(std::u16string_view path);
  static std::unique_ptr<DxfFile> OpenPath(const std::filesystem::path& path);
  // The same, but where the system allows, the file is mapped into memory
  // (privately, so the scanner's changes never reach it) and offered whole,
  // which spares copying every byte. For a program that reads one file once
  // (tools/dxfscan): a file cut short by another program while mapped ends
  // the reading program, so the library's own scans do not map.
  static std::unique_ptr<DxfFile> MapPath(const std::filesystem::path& path);
  ~DxfFile() override;
  DxfFile(const DxfFile&) = delete;
  DxfFile& operator=(const DxfFile&) = delete;

  std::size_t Read(char* buffer, std::size_t size) override;
  bool Failed() const override { return failed_; }
  std::string_view Whole() override { return std::string_view(mapped_, mapped_size_); }
  void Passed(std::size_t bytes) override;

 private:
  explicit DxfFile(std::FILE* file) : file_(file) {}

  std::FILE* file_;
  bool failed_ = false;
  char* mapped_ = nullptr;  // the whole file, when mapped; Read then copies from it
  std::size_t mapped_size_ = 0;
  std::size_t mapped_read_ = 0;
  std::size_t released_ = 0;  // the front of the mapping given back
};

}  // namespace korvel
