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
  ~DxfFile() override;
  DxfFile(const DxfFile&) = delete;
  DxfFile& operator=(const DxfFile&) = delete;

  std::size_t Read(char* buffer, std::size_t size) override;
  bool Failed() const override { return failed_; }

 private:
  explicit DxfFile(std::FILE* file) : file_(file) {}

  std::FILE* file_;
  bool failed_ = false;
};

}  // namespace korvel
