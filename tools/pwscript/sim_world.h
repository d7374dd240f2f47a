// The simulated desktop with cadsim on it, for the native build: the drawing,
// the release and the scripted user come from pwscript's options.
#pragma once

#include <memory>
#include <string>

#include "arguments.h"

namespace pwscript {

class SimWorld {
 public:
  // Binds the simulated desktop to the calling thread while it lives. Fails
  // (nothing, and *error) when the drawing cannot be read.
  static std::unique_ptr<SimWorld> Make(const Arguments& arguments, std::u16string* error);
  virtual ~SimWorld() = default;
};

}  // namespace pwscript
