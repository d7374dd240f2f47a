// Small value types shared by every platform interface.
#pragma once

#include <cstdint>

namespace platform {

// A window handle as the link library records it. Windows keeps handle values
// within 32 bits (64-bit Windows sign-extends them), so the records and the COM
// interface use a 32-bit Long for them.
using Hwnd = std::int32_t;

// A process handle handed out by Processes; 0 means none.
using ProcessHandle = std::uint64_t;

}  // namespace platform
