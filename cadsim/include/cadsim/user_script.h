// The scripted user written as text, for programs that take it on their
// command line (cadsim.exe --picks ...):
//
//   2000:pick:2F     pick the entity with handle 2F, 2000 ms after being asked
//   1500:at:615;-212.5  pick whatever lies at that point
//   800:miss         pick empty space
//   1200:esc         press Esc
//
// Items are separated by commas.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "cadsim/cad.h"

namespace cadsim {

// Empty text gives no actions; nullopt when an item cannot be read.
std::optional<std::vector<UserAction>> ParseUserScript(std::u16string_view text);

}  // namespace cadsim
