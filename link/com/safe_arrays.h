// Conversions between the arrays late-bound clients make (SAFEARRAY of
// VARIANT, the only kind VBScript and JScript have) and the SAFEARRAY of BSTR
// the interfaces declare.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <oleauto.h>

#include <cstddef>
#include <string>
#include <vector>

namespace korvel::com {

std::wstring BstrText(BSTR text);

// The bounds of every dimension, first dimension first, as SafeArrayCreate
// takes them.
std::vector<SAFEARRAYBOUND> BoundsOf(SAFEARRAY* array);
bool SameShape(SAFEARRAY* a, SAFEARRAY* b);
std::size_t ElementCount(const std::vector<SAFEARRAYBOUND>& bounds);

// Calls use(data of from, data of to, element count) with both arrays'
// elements accessed; they have the same shape, so elements pair up in order.
template <typename From, typename To, typename Use>
HRESULT WithBoth(SAFEARRAY* from, SAFEARRAY* to, Use&& use) {
  const std::size_t count = ElementCount(BoundsOf(from));
  From* source = nullptr;
  HRESULT hr = SafeArrayAccessData(from, reinterpret_cast<void**>(&source));
  if (FAILED(hr)) return hr;
  To* target = nullptr;
  hr = SafeArrayAccessData(to, reinterpret_cast<void**>(&target));
  if (SUCCEEDED(hr)) {
    hr = use(source, target, count);
    SafeArrayUnaccessData(to);
  }
  SafeArrayUnaccessData(from);
  return hr;
}

// A SAFEARRAY(BSTR) of the same shape as an array of VARIANT, each element
// converted to text as Visual Basic converts (Empty gives ""); texts gets
// what was sent, in order.
HRESULT StringsFromVariants(SAFEARRAY* variants, SAFEARRAY** out, std::vector<std::wstring>& texts);

// A SAFEARRAY(VARIANT) of the same shape holding the strings, which are
// moved out of strings.
HRESULT VariantsFromStrings(SAFEARRAY* strings, SAFEARRAY** out);

}  // namespace korvel::com
