// korvel's classes as Plendra reaches them on Windows: the COM object
// PwAcadCtrl.PwAcad behind the application's _PwAcad and _PwControl. Every
// member forwards to the COM interface and converts its types (BSTR,
// VARIANT_BOOL, SAFEARRAY). Results and the error record travel as the
// library returns them; a call that fails at the COM level (a failed
// HRESULT) raises AppError with the number and description the caller would
// see as a run-time error.
#pragma once

#include <windows.h>

#include <memory>

#include "link/pw_interfaces.h"

namespace plendra_gui {

// A new PwAcadCtrl.PwAcad (CoCreateInstance, in-process). Null, with the
// HRESULT in *failure, when it cannot be created: korvel.dll not registered
// (REGDB_E_CLASSNOTREG) or not loadable.
std::shared_ptr<korvel::_PwAcad> CreateComPwAcad(HRESULT* failure);

// The number and text a failed HRESULT is reported with: errors of the
// run-time's own range (0x800A0000 + n) by n, any other by the HRESULT.
std::int32_t ErrorNumberOf(HRESULT hr);

}  // namespace plendra_gui
