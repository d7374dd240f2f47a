#include "safe_arrays.h"

namespace korvel::com {

std::wstring BstrText(BSTR text) {
  return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

std::vector<SAFEARRAYBOUND> BoundsOf(SAFEARRAY* array) {
  std::vector<SAFEARRAYBOUND> bounds(SafeArrayGetDim(array));
  for (UINT d = 0; d < bounds.size(); ++d) {
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, d + 1, &lower);
    SafeArrayGetUBound(array, d + 1, &upper);
    bounds[d] = {static_cast<ULONG>(upper - lower + 1), lower};
  }
  return bounds;
}

bool SameShape(SAFEARRAY* a, SAFEARRAY* b) {
  if (a == nullptr || b == nullptr) return false;
  const std::vector<SAFEARRAYBOUND> x = BoundsOf(a), y = BoundsOf(b);
  if (x.size() != y.size()) return false;
  for (std::size_t d = 0; d < x.size(); ++d)
    if (x[d].cElements != y[d].cElements || x[d].lLbound != y[d].lLbound) return false;
  return true;
}

std::size_t ElementCount(const std::vector<SAFEARRAYBOUND>& bounds) {
  std::size_t count = 1;
  for (const SAFEARRAYBOUND& b : bounds) count *= b.cElements;
  return count;
}

HRESULT StringsFromVariants(SAFEARRAY* variants, SAFEARRAY** out, std::vector<std::wstring>& texts) {
  std::vector<SAFEARRAYBOUND> bounds = BoundsOf(variants);
  if (bounds.empty()) return DISP_E_TYPEMISMATCH;
  SAFEARRAY* strings = SafeArrayCreate(VT_BSTR, static_cast<UINT>(bounds.size()), bounds.data());
  if (strings == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = WithBoth<VARIANT, BSTR>(variants, strings, [&](VARIANT* from, BSTR* to, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      VARIANT text;
      VariantInit(&text);
      const HRESULT converted = VariantChangeType(&text, &from[i], 0, VT_BSTR);
      if (FAILED(converted)) return DISP_E_TYPEMISMATCH;
      to[i] = V_BSTR(&text);  // the array owns it now
      texts.push_back(BstrText(to[i]));
    }
    return S_OK;
  });
  if (FAILED(hr)) {
    SafeArrayDestroy(strings);
    return hr;
  }
  *out = strings;
  return S_OK;
}

HRESULT VariantsFromStrings(SAFEARRAY* strings, SAFEARRAY** out) {
  std::vector<SAFEARRAYBOUND> bounds = BoundsOf(strings);
  if (bounds.empty()) return DISP_E_TYPEMISMATCH;
  SAFEARRAY* variants = SafeArrayCreate(VT_VARIANT, static_cast<UINT>(bounds.size()), bounds.data());
  if (variants == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = WithBoth<BSTR, VARIANT>(strings, variants, [](BSTR* from, VARIANT* to, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      V_VT(&to[i]) = VT_BSTR;
      V_BSTR(&to[i]) = from[i];
      from[i] = nullptr;
    }
    return S_OK;
  });
  if (FAILED(hr)) {
    SafeArrayDestroy(variants);
    return hr;
  }
  *out = variants;
  return S_OK;
}

}  // namespace korvel::com
