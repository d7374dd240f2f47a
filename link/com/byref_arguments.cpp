#include "byref_arguments.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace korvel::com {

namespace {

enum class Kind { kNone, kString, kDouble, kObject, kStringArray };

// The kinds of in/out parameter the interfaces declare, from the type
// library: a pointer to BSTR, to double, to an interface pointer, or to a
// SAFEARRAY of BSTR.
Kind KindOf(const TYPEDESC& declared) {
  if (declared.vt != VT_PTR || declared.lptdesc == nullptr) return Kind::kNone;
  const TYPEDESC& pointee = *declared.lptdesc;
  switch (pointee.vt) {
    case VT_BSTR:
      return Kind::kString;
    case VT_R8:
      return Kind::kDouble;
    case VT_SAFEARRAY:
      return pointee.lptdesc != nullptr && pointee.lptdesc->vt == VT_BSTR ? Kind::kStringArray : Kind::kNone;
    case VT_PTR:
      return pointee.lptdesc != nullptr && pointee.lptdesc->vt == VT_USERDEFINED ? Kind::kObject
                                                                                 : Kind::kNone;
    default:
      return Kind::kNone;
  }
}

bool IsNumber(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_CY:
    case VT_DECIMAL:
      return true;
    default:
      return false;
  }
}

// What an Empty variable's Double starts as: a NaN no conversion produces,
// so that any value the member stores, 0 included, shows as written.
constexpr std::uint64_t kUnwrittenBits = 0x7ff8dead0000beefULL;

double Unwritten() {
  double value = 0;
  std::memcpy(&value, &kUnwrittenBits, sizeof value);
  return value;
}

bool IsUnwritten(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits == kUnwrittenBits;
}

std::wstring Text(BSTR text) {
  return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

// The bounds of every dimension, first dimension first, as SafeArrayCreate
// takes them.
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
      texts.push_back(Text(to[i]));
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

// A SAFEARRAY(VARIANT) of the same shape holding the strings, which are
// moved out of strings.
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

}  // namespace

// One argument handed to the member through a temporary of the declared
// type. target is the caller's variable, or null for an array passed by value.
struct ByRefArguments::Slot {
  Kind kind = Kind::kNone;
  VARIANT* target = nullptr;
  BSTR text = nullptr;
  double number = 0;
  IUnknown* object = nullptr;
  SAFEARRAY* array = nullptr;
  // The array handed over (the member may replace it) and its texts.
  SAFEARRAY* sent = nullptr;
  std::vector<std::wstring> sent_texts;

  HRESULT WriteBack();

 private:
  HRESULT WriteBackArray();
  // The caller's array of VARIANT: where the variable keeps its pointer.
  SAFEARRAY** CallersArray() const {
    return (V_VT(target) & VT_BYREF) != 0 ? V_ARRAYREF(target) : &V_ARRAY(target);
  }
};

HRESULT ByRefArguments::Slot::WriteBack() {
  switch (kind) {
    case Kind::kString:
      // Only an Empty variable gets a slot; it stays Empty if nothing came.
      if (text != nullptr) {
        V_VT(target) = VT_BSTR;
        V_BSTR(target) = text;
        text = nullptr;
      }
      return S_OK;
    case Kind::kDouble:
      if (!IsUnwritten(number)) {
        V_VT(target) = VT_R8;
        V_R8(target) = number;
      }
      return S_OK;
    case Kind::kObject:
      if (object != nullptr) {
        V_VT(target) = VT_UNKNOWN;
        V_UNKNOWN(target) = object;
        IDispatch* dispatch = nullptr;
        if (SUCCEEDED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
          object->Release();
          V_VT(target) = VT_DISPATCH;
          V_DISPATCH(target) = dispatch;
        }
        object = nullptr;
      }
      return S_OK;
    case Kind::kStringArray:
      return WriteBackArray();
    case Kind::kNone:
      break;
  }
  return S_OK;
}

HRESULT ByRefArguments::Slot::WriteBackArray() {
  HRESULT hr = S_OK;
  if (target != nullptr && array != nullptr) {
    // A new array may come back at the address of the freed one; its shape
    // tells them apart.
    if (array != sent || !SameShape(array, *CallersArray())) {
      // The member made a new array (a scan's table): it replaces the
      // caller's, as an array of VARIANT.
      SAFEARRAY* variants = nullptr;
      hr = VariantsFromStrings(array, &variants);
      if (SUCCEEDED(hr)) {
        if (V_VT(target) == VT_EMPTY) {
          V_VT(target) = VT_ARRAY | VT_VARIANT;
          V_ARRAY(target) = variants;
        } else {
          SAFEARRAY** held = CallersArray();
          hr = *held != nullptr ? SafeArrayDestroy(*held) : S_OK;
          if (SUCCEEDED(hr)) {
            *held = variants;
          } else {
            SafeArrayDestroy(variants);  // a fixed or locked array stays as it was
          }
        }
      }
    } else {
      // Changed in place (a script's variables): only the elements the
      // member changed become strings; the others keep their own type.
      hr = WithBoth<BSTR, VARIANT>(array, *CallersArray(), [&](BSTR* from, VARIANT* to, std::size_t n) {
        for (std::size_t i = 0; i < n && i < sent_texts.size(); ++i) {
          if (Text(from[i]) == sent_texts[i]) continue;
          VariantClear(&to[i]);
          V_VT(&to[i]) = VT_BSTR;
          V_BSTR(&to[i]) = from[i];
          from[i] = nullptr;
        }
        return S_OK;
      });
    }
  }
  // A member that replaces an in/out array frees the one it was given, so
  // only the array now in the slot is left to free.
  if (array != nullptr) SafeArrayDestroy(array);
  array = nullptr;
  sent = nullptr;
  return hr;
}

ByRefArguments::ByRefArguments() = default;
ByRefArguments::~ByRefArguments() { WriteBack(); }

HRESULT ByRefArguments::Prepare(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params, UINT* arg_error) {
  original_ = params;
  if (params == nullptr) return S_OK;
  params_ = *params;
  if (params->cArgs == 0 || params->rgvarg == nullptr) return S_OK;
  args_.assign(params->rgvarg, params->rgvarg + params->cArgs);
  params_.rgvarg = args_.data();

  TYPEATTR* attributes = nullptr;
  if (FAILED(info->GetTypeAttr(&attributes))) return S_OK;  // DispInvoke reports it
  const WORD functions = attributes->cFuncs;
  info->ReleaseTypeAttr(attributes);
  for (UINT f = 0; f < functions; ++f) {
    FUNCDESC* function = nullptr;
    if (FAILED(info->GetFuncDesc(f, &function))) continue;
    HRESULT hr = S_OK;
    if (function->memid == id && (function->invkind & flags) != 0) {
      // Positional arguments come last first; named ones carry their index.
      for (UINT a = 0; a < params->cArgs && SUCCEEDED(hr); ++a) {
        const LONG index = a >= params->cNamedArgs ? static_cast<LONG>(params->cArgs - 1 - a)
                                                   : static_cast<LONG>(params->rgdispidNamedArgs[a]);
        if (index < 0 || index >= function->cParams) continue;
        hr = PrepareOne(function->lprgelemdescParam[index].tdesc, args_[a]);
        if (FAILED(hr) && arg_error != nullptr) *arg_error = a;
      }
    } else {
      hr = S_FALSE;
    }
    info->ReleaseFuncDesc(function);
    if (hr != S_FALSE) return hr;
  }
  return S_OK;
}

HRESULT ByRefArguments::PrepareOne(const TYPEDESC& declared, VARIANTARG& arg) {
  const Kind kind = KindOf(declared);
  if (kind == Kind::kNone) return S_OK;

  VARIANT* value = nullptr;
  if (V_VT(&arg) == (VT_BYREF | VT_VARIANT)) {
    // A variable may itself refer to another (a ByRef parameter of a
    // script's own procedure passed on).
    value = V_VARIANTREF(&arg);
    while (value != nullptr && V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
    if (value == nullptr) return S_OK;
  } else if (kind == Kind::kStringArray &&
             (V_VT(&arg) == (VT_ARRAY | VT_VARIANT) || V_VT(&arg) == VT_EMPTY)) {
    value = &arg;  // by value: the member works on a copy whose results are dropped
  } else {
    return S_OK;  // a typed reference or a value: DispInvoke's own rules apply
  }
  const bool by_value = value == &arg;

  auto slot = std::make_unique<Slot>();
  slot->kind = kind;
  slot->target = by_value ? nullptr : value;
  VARIANTARG typed;
  VariantInit(&typed);
  const VARTYPE held = V_VT(value);
  switch (kind) {
    case Kind::kString:
      if (held == VT_BSTR) {
        V_VT(&typed) = VT_BYREF | VT_BSTR;
        V_BSTRREF(&typed) = &V_BSTR(value);
        arg = typed;
        return S_OK;
      }
      if (held != VT_EMPTY) break;
      V_VT(&typed) = VT_BYREF | VT_BSTR;
      V_BSTRREF(&typed) = &slot->text;
      break;
    case Kind::kDouble:
      if (IsNumber(held) && FAILED(VariantChangeType(value, value, 0, VT_R8))) return DISP_E_OVERFLOW;
      if (V_VT(value) == VT_R8) {
        V_VT(&typed) = VT_BYREF | VT_R8;
        V_R8REF(&typed) = &V_R8(value);
        arg = typed;
        return S_OK;
      }
      if (held != VT_EMPTY) break;
      slot->number = Unwritten();
      V_VT(&typed) = VT_BYREF | VT_R8;
      V_R8REF(&typed) = &slot->number;
      break;
    case Kind::kObject:
      if (held == VT_DISPATCH || held == VT_UNKNOWN) {
        // The member receives the variable's own pointer: it only looks the
        // object up and never stores through it.
        V_VT(&typed) = VT_BYREF | held;
        V_BYREF(&typed) = &V_UNKNOWN(value);
        arg = typed;
        return S_OK;
      }
      if (held != VT_EMPTY) break;
      V_VT(&typed) = VT_BYREF | VT_DISPATCH;
      V_BYREF(&typed) = &slot->object;
      break;
    case Kind::kStringArray:
      if ((held & ~VT_BYREF) == (VT_ARRAY | VT_BSTR)) {
        V_VT(&typed) = VT_BYREF | VT_ARRAY | VT_BSTR;
        V_ARRAYREF(&typed) = (held & VT_BYREF) != 0 ? V_ARRAYREF(value) : &V_ARRAY(value);
        arg = typed;
        return S_OK;
      }
      if ((held & ~VT_BYREF) == (VT_ARRAY | VT_VARIANT)) {
        SAFEARRAY* variants = (held & VT_BYREF) != 0 ? *V_ARRAYREF(value) : V_ARRAY(value);
        if (variants != nullptr) {
          const HRESULT hr = StringsFromVariants(variants, &slot->array, slot->sent_texts);
          if (FAILED(hr)) return hr;
          slot->sent = slot->array;
        }
      } else if (held != VT_EMPTY) {
        break;
      }
      V_VT(&typed) = VT_BYREF | VT_ARRAY | VT_BSTR;
      V_ARRAYREF(&typed) = &slot->array;
      break;
    case Kind::kNone:
      return S_OK;
  }
  if (V_VT(&typed) == VT_EMPTY) {
    // Neither holds nor can receive the declared type: a typed reference
    // would not bind either. Variables holding other references go to
    // DispInvoke, which checks them.
    if ((held & VT_BYREF) != 0) {
      arg = *value;
      return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
  }
  arg = typed;
  slots_.push_back(std::move(slot));
  return S_OK;
}

HRESULT ByRefArguments::WriteBack() {
  HRESULT result = S_OK;
  for (auto& slot : slots_) {
    const HRESULT hr = slot->WriteBack();
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  for (auto& slot : slots_) {
    SysFreeString(slot->text);
    if (slot->object != nullptr) slot->object->Release();
  }
  slots_.clear();
  return result;
}

}  // namespace korvel::com
