// The link library's arrays as COM passes them: the DXF scan's table as a
// two-dimensional SAFEARRAY(BSTR), a script's variables as a one-dimensional
// one. Both directions, for the [in, out] arguments of DxfScan and RunScript.
#pragma once

#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <optional>
#include <string>
#include <vector>

#include "link/dxf_table.h"

namespace plendra_gui {

// A table without bounds is no array at all (null). Element (k, r) of the
// table is element (k, r) of the array, the first index the one that varies
// fastest, as the array's own indexing counts. HRESULT of the failure.
HRESULT TableToArray(const korvel::DxfTable& table, SAFEARRAY** out);

// The table an array holds; null gives a table without bounds. nullopt for
// an array that is not two-dimensional BSTR with lower bounds 0.
std::optional<korvel::DxfTable> ArrayToTable(SAFEARRAY* array);

// Strings as a one-dimensional SAFEARRAY(BSTR) from index 0, and back
// (nullopt for anything else).
HRESULT StringsToArray(const std::vector<std::u16string>& strings, SAFEARRAY** out);
std::optional<std::vector<std::u16string>> ArrayToStrings(SAFEARRAY* array);

}  // namespace plendra_gui
