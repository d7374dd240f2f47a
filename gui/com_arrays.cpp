#include "com_arrays.h"

namespace plendra_gui {
namespace {

BSTR ToBstr(const std::u16string& text) {
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

std::u16string FromBstr(BSTR text) {
  return text == nullptr ? std::u16string()
                         : std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

bool IsBstrArray(SAFEARRAY* array, UINT dimensions) {
  VARTYPE type = VT_EMPTY;
  return SafeArrayGetDim(array) == dimensions && SUCCEEDED(SafeArrayGetVartype(array, &type)) &&
         type == VT_BSTR;
}

// Fills an array of BSTR elements from strings, in memory order.
HRESULT Fill(SAFEARRAY* array, const std::vector<std::u16string>& strings) {
  BSTR* data = nullptr;
  HRESULT hr = SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
  if (FAILED(hr)) return hr;
  for (std::size_t i = 0; i < strings.size() && SUCCEEDED(hr); ++i) {
    data[i] = ToBstr(strings[i]);
    if (data[i] == nullptr) hr = E_OUTOFMEMORY;
  }
  SafeArrayUnaccessData(array);
  return hr;
}

}  // namespace

HRESULT TableToArray(const korvel::DxfTable& table, SAFEARRAY** out) {
  *out = nullptr;
  if (table.IsEmpty()) return S_OK;
  // The bounds are listed leftmost first; the leftmost index varies fastest.
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(table.UBound(1) + 1), 0},
                              {static_cast<ULONG>(table.UBound(2) + 1), 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_BSTR, 2, bounds);
  if (array == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = Fill(array, table.Cells());
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return hr;
  }
  *out = array;
  return S_OK;
}

std::optional<korvel::DxfTable> ArrayToTable(SAFEARRAY* array) {
  if (array == nullptr) return korvel::DxfTable();
  if (!IsBstrArray(array, 2)) return std::nullopt;
  LONG lower1 = 0, upper1 = -1, lower2 = 0, upper2 = -1;
  SafeArrayGetLBound(array, 1, &lower1);
  SafeArrayGetUBound(array, 1, &upper1);
  SafeArrayGetLBound(array, 2, &lower2);
  SafeArrayGetUBound(array, 2, &upper2);
  if (lower1 != 0 || lower2 != 0 || upper1 < 0 || upper2 < 0) return std::nullopt;
  korvel::DxfTable table(upper1, upper2);
  BSTR* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)))) return std::nullopt;
  std::size_t i = 0;
  for (LONG r = 0; r <= upper2; ++r)
    for (LONG k = 0; k <= upper1; ++k) table.At(k, r) = FromBstr(data[i++]);
  SafeArrayUnaccessData(array);
  return table;
}

HRESULT StringsToArray(const std::vector<std::u16string>& strings, SAFEARRAY** out) {
  *out = nullptr;
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(strings.size()));
  if (array == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = Fill(array, strings);
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return hr;
  }
  *out = array;
  return S_OK;
}

std::optional<std::vector<std::u16string>> ArrayToStrings(SAFEARRAY* array) {
  if (array == nullptr || !IsBstrArray(array, 1)) return std::nullopt;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  std::vector<std::u16string> strings;
  BSTR* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)))) return std::nullopt;
  for (LONG i = 0; i <= upper - lower; ++i) strings.push_back(FromBstr(data[i]));
  SafeArrayUnaccessData(array);
  return strings;
}

}  // namespace plendra_gui
