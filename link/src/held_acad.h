// A PwAcad as a call that waits may still use it.
//
// Waits pump the client's messages, and a handler run there may release the
// client's last reference to the PwAcad the call works for: Plendra's
// Form_Unload releases Acad_Obj when the user closes the window during an
// export. A PwAcad the client holds by shared_ptr (PwAcad::Create, the COM
// object) is kept for the call, which then finishes its work. One owned any
// other way cannot be kept; the call watches its lifetime instead and, once
// it is gone, fails its next step with LinkFailed without touching it. Another
// implementation of _PwAcad not held by shared_ptr is the caller's to keep.
#pragma once

#include <memory>

#include "link/pw_acad.h"
#include "link/pw_interfaces.h"

namespace korvel {

class HeldAcad {
 public:
  explicit HeldAcad(_PwAcad* acad) : acad_(acad) {
    if (acad_ == nullptr) return;
    owner_ = acad_->weak_from_this().lock();
    if (owner_) return;
    if (const auto* own = dynamic_cast<const PwAcad*>(acad_)) {
      lifetime_ = own->Lifetime();
      watched_ = true;
    }
  }

  // The object, or null when there was none or it has been destroyed since.
  _PwAcad* Get() const { return watched_ && lifetime_.expired() ? nullptr : acad_; }

 private:
  _PwAcad* acad_;
  std::shared_ptr<_PwAcad> owner_;
  std::weak_ptr<const void> lifetime_;
  bool watched_ = false;
};

}  // namespace korvel
