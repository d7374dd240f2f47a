// Helpers shared by the application's tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "app/app_error.h"

namespace plendra {

// The number of the AppError `f` raises, or 0 when it raises none.
template <typename F>
std::int32_t ErrorOf(F f) {
  try {
    f();
  } catch (const AppError& e) {
    return e.number;
  }
  return 0;
}

// The source tree: ctest names it; a test run by hand from the tree's root
// finds it there.
inline std::filesystem::path SourceDir() {
  const char* dir = std::getenv("PLENDRA_SOURCE_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::current_path();
}

}  // namespace plendra
