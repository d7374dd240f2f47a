// Folders the product reads and writes.
#pragma once

#include <string>

namespace platform {

struct Files {
  virtual ~Files() = default;
  // GetTempPathA into a buffer of buffer_bytes bytes preset to NUL: exactly the
  // bytes the call reports (ending with the path separator), not yet converted,
  // so that double-byte characters stay whole. Empty on failure.
  virtual std::string TempPathAnsi(int buffer_bytes) = 0;
  // The folder of the running program, ending with the path separator.
  virtual std::u16string ProgramFolder() = 0;
};

}  // namespace platform
