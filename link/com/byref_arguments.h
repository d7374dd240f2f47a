// The in/out parameters of the interfaces as late-bound clients pass them.
//
// VBScript, JScript, and VBA or VB6 code that holds its values in Variant
// variables calls through IDispatch and passes a variable by reference as
// VT_BYREF|VT_VARIANT, whatever the parameter's declared type. oleaut32's
// DispInvoke binds a typed [in, out] parameter (BSTR*, double*, _PwAcad**,
// SAFEARRAY(BSTR)*) only to a reference of exactly that type and answers
// anything else with "type mismatch" (13). This class rewrites such
// arguments into references of the declared type before DispInvoke runs, and
// afterwards puts what the member wrote back into the caller's variables:
//
// - a variable holding the declared type is passed as a reference to its own
//   value, so the member writes straight into it; a number for a Double is
//   first made a Double, as Visual Basic converts a ByRef argument;
// - an Empty variable receives the value, and stays Empty if the member
//   wrote nothing (a failed call leaves the variable as it was);
// - an array of VARIANT (all that VBScript and JScript can make) is passed as
//   an array of BSTR copied from it; elements the member changed are written
//   back as strings, and an array the member replaced arrives as a new array
//   of VARIANT holding strings, which every late-bound client can index. An
//   array passed by value is accepted the same way, its results dropped.
//
// Typed references (early-bound clients, VBA with typed variables) pass
// through untouched.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <oleauto.h>

#include <memory>
#include <vector>

namespace korvel::com {

class ByRefArguments {
 public:
  ByRefArguments();
  ~ByRefArguments();
  ByRefArguments(const ByRefArguments&) = delete;
  ByRefArguments& operator=(const ByRefArguments&) = delete;

  // Looks up member id (invoked as flags) in info and prepares its
  // arguments. DISP_E_TYPEMISMATCH, with *arg_error set to the argument's
  // position in rgvarg, when a variable can neither hold nor receive the
  // declared type. params stays untouched; Params() is what to invoke with.
  HRESULT Prepare(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params, UINT* arg_error);
  DISPPARAMS* Params() { return original_ == nullptr ? nullptr : &params_; }
  // Puts the values the member wrote into the caller's variables and frees
  // what Prepare made. Runs once, also after a failed call.
  HRESULT WriteBack();

  struct Slot;

 private:
  HRESULT PrepareOne(const TYPEDESC& declared, VARIANTARG& arg);

  DISPPARAMS* original_ = nullptr;
  DISPPARAMS params_{};
  std::vector<VARIANTARG> args_;
  std::vector<std::unique_ptr<Slot>> slots_;
};

}  // namespace korvel::com
