// Where the runner finds the data Plendra ships with (the source tree's data/
// folder): the system list, the settings file, the parts-table block and its
// script, the sample drawing.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace scenario {

struct DataSearch {
  // The data folder, when one was found.
  std::optional<std::filesystem::path> folder;
  // Every folder looked in, in order, for a message when none held the data.
  std::vector<std::filesystem::path> tried;
};

// PLENDRA_SOURCE_DIR when it is set (and then only there); otherwise the
// source tree the program was built from, then a tree above the program
// itself, then a tree above the scenario's folder. A folder counts when it
// holds the parts-table block.
DataSearch FindDataFolder(const std::filesystem::path& scenario_folder);

}  // namespace scenario
