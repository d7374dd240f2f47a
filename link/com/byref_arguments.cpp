#include "byref_arguments.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "safe_arrays.h"

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
          if (BstrText(from[i]) == sent_texts[i]) continue;
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

namespace {

using Slot = ByRefArguments::Slot;

// How an argument reaches the member.
enum class Bound {
  kOwnValue,  // a reference to the variable's own value, written in place
  kSlot,      // a reference to a temporary in the slot, written back after
  kNot,       // the variable neither holds nor can receive the declared type
};

// The variable an argument passes by reference (through any references to
// references: a ByRef parameter of a script's own procedure passed on), or
// an array of VARIANT passed by value; null for what DispInvoke binds by its
// own rules (a typed reference or a value).
VARIANT* VariableOf(Kind kind, VARIANTARG& arg) {
  if (V_VT(&arg) == (VT_BYREF | VT_VARIANT)) {
    VARIANT* value = V_VARIANTREF(&arg);
    while (value != nullptr && V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
    return value;
  }
  if (kind == Kind::kStringArray && (V_VT(&arg) == (VT_ARRAY | VT_VARIANT) || V_VT(&arg) == VT_EMPTY))
    return &arg;  // by value: the member works on a copy whose results are dropped
  return nullptr;
}

HRESULT BindString(VARIANT* value, Slot& slot, VARIANTARG& typed, Bound& bound) {
  V_VT(&typed) = VT_BYREF | VT_BSTR;
  if (V_VT(value) == VT_BSTR) {
    V_BSTRREF(&typed) = &V_BSTR(value);
    bound = Bound::kOwnValue;
  } else if (V_VT(value) == VT_EMPTY) {
    V_BSTRREF(&typed) = &slot.text;
    bound = Bound::kSlot;
  }
  return S_OK;
}

// A number of another type becomes a Double first, as Visual Basic converts
// a ByRef argument.
HRESULT BindDouble(VARIANT* value, Slot& slot, VARIANTARG& typed, Bound& bound) {
  const VARTYPE held = V_VT(value);
  if (IsNumber(held) && FAILED(VariantChangeType(value, value, 0, VT_R8))) return DISP_E_OVERFLOW;
  V_VT(&typed) = VT_BYREF | VT_R8;
  if (V_VT(value) == VT_R8) {
    V_R8REF(&typed) = &V_R8(value);
    bound = Bound::kOwnValue;
  } else if (held == VT_EMPTY) {
    slot.number = Unwritten();
    V_R8REF(&typed) = &slot.number;
    bound = Bound::kSlot;
  }
  return S_OK;
}

HRESULT BindObject(VARIANT* value, Slot& slot, VARIANTARG& typed, Bound& bound) {
  const VARTYPE held = V_VT(value);
  if (held == VT_DISPATCH || held == VT_UNKNOWN) {
    // The member receives the variable's own pointer: it only looks the
    // object up and never stores through it.
    V_VT(&typed) = VT_BYREF | held;
    V_BYREF(&typed) = &V_UNKNOWN(value);
    bound = Bound::kOwnValue;
  } else if (held == VT_EMPTY) {
    V_VT(&typed) = VT_BYREF | VT_DISPATCH;
    V_BYREF(&typed) = &slot.object;
    bound = Bound::kSlot;
  }
  return S_OK;
}

// An array of BSTR is passed as it is; an array of VARIANT as a copy made of
// strings, whose changes go back afterwards.
HRESULT BindStringArray(VARIANT* value, Slot& slot, VARIANTARG& typed, Bound& bound) {
  const VARTYPE held = V_VT(value);
  V_VT(&typed) = VT_BYREF | VT_ARRAY | VT_BSTR;
  if ((held & ~VT_BYREF) == (VT_ARRAY | VT_BSTR)) {
    V_ARRAYREF(&typed) = (held & VT_BYREF) != 0 ? V_ARRAYREF(value) : &V_ARRAY(value);
    bound = Bound::kOwnValue;
    return S_OK;
  }
  if ((held & ~VT_BYREF) == (VT_ARRAY | VT_VARIANT)) {
    SAFEARRAY* variants = (held & VT_BYREF) != 0 ? *V_ARRAYREF(value) : V_ARRAY(value);
    if (variants != nullptr) {
      const HRESULT hr = StringsFromVariants(variants, &slot.array, slot.sent_texts);
      if (FAILED(hr)) return hr;
      slot.sent = slot.array;
    }
  } else if (held != VT_EMPTY) {
    return S_OK;
  }
  V_ARRAYREF(&typed) = &slot.array;
  bound = Bound::kSlot;
  return S_OK;
}

HRESULT Bind(Kind kind, VARIANT* value, Slot& slot, VARIANTARG& typed, Bound& bound) {
  switch (kind) {
    case Kind::kString:
      return BindString(value, slot, typed, bound);
    case Kind::kDouble:
      return BindDouble(value, slot, typed, bound);
    case Kind::kObject:
      return BindObject(value, slot, typed, bound);
    case Kind::kStringArray:
      return BindStringArray(value, slot, typed, bound);
    case Kind::kNone:
      break;
  }
  return S_OK;
}

}  // namespace

HRESULT ByRefArguments::PrepareOne(const TYPEDESC& declared, VARIANTARG& arg) {
  const Kind kind = KindOf(declared);
  VARIANT* value = kind == Kind::kNone ? nullptr : VariableOf(kind, arg);
  if (value == nullptr) return S_OK;
  auto slot = std::make_unique<Slot>();
  slot->kind = kind;
  slot->target = value == &arg ? nullptr : value;
  const VARTYPE held = V_VT(value);
  VARIANTARG typed;
  VariantInit(&typed);
  Bound bound = Bound::kNot;
  const HRESULT hr = Bind(kind, value, *slot, typed, bound);
  if (FAILED(hr)) return hr;
  switch (bound) {
    case Bound::kOwnValue:
      arg = typed;
      return S_OK;
    case Bound::kSlot:
      arg = typed;
      slots_.push_back(std::move(slot));
      return S_OK;
    case Bound::kNot:
      break;
  }
  // A typed reference would not bind either. Variables holding other
  // references go to DispInvoke, which checks them.
  if ((held & VT_BYREF) != 0) {
    arg = *value;
    return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
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
