#include "scenario_data.h"

#include <cstdlib>
#include <system_error>

namespace scenario {
namespace {

bool HoldsData(const std::filesystem::path& folder) {
  std::error_code e;
  return std::filesystem::is_regular_file(folder / "Plendra1.dxf", e);
}

// data/ in folder or in one of its parents.
std::optional<std::filesystem::path> DataAbove(std::filesystem::path folder, DataSearch& search) {
  for (; !folder.empty(); folder = folder.parent_path()) {
    search.tried.push_back(folder / "data");
    if (HoldsData(folder / "data")) return folder / "data";
    if (folder == folder.parent_path()) break;
  }
  return std::nullopt;
}

}  // namespace

DataSearch FindDataFolder(const std::filesystem::path& scenario_folder) {
  DataSearch search;
  const auto found = [&](std::optional<std::filesystem::path> folder) {
    search.folder = std::move(folder);
    return search.folder.has_value();
  };
  if (const char* root = std::getenv("PLENDRA_SOURCE_DIR")) {
    const std::filesystem::path data = std::filesystem::path(root) / "data";
    search.tried.push_back(data);
    if (HoldsData(data)) search.folder = data;
    return search;
  }
  const std::filesystem::path built = std::filesystem::path(PLENDRA_BUILT_FROM) / "data";
  search.tried.push_back(built);
  if (HoldsData(built)) {
    search.folder = built;
    return search;
  }
  // A tree moved or copied after the build: the program lies in its
  // build/<preset>/bin.
  std::error_code e;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", e);
  if (!e && found(DataAbove(self.parent_path(), search))) return search;
  const std::filesystem::path base = std::filesystem::absolute(scenario_folder, e);
  if (!e) found(DataAbove(base, search));
  return search;
}

}  // namespace scenario
