// Modal message boxes.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/types.h"

namespace platform {

// MessageBox style bits and answer codes, with user32's values.
enum MessageBoxStyle : std::uint32_t {
  kMbOk = 0,
  kMbOkCancel = 1,
  kMbYesNoCancel = 3,
  kMbYesNo = 4,
  kMbIconStop = 16,
  kMbIconQuestion = 32,
  kMbIconExclamation = 48,
  kMbIconInformation = 64,
};

enum MessageBoxAnswer : std::int32_t {
  kIdOk = 1,
  kIdCancel = 2,
  kIdAbort = 3,
  kIdRetry = 4,
  kIdIgnore = 5,
  kIdYes = 6,
  kIdNo = 7,
};

struct Dialogs {
  virtual ~Dialogs() = default;
  // MessageBoxA: owner 0 means no owner. Returns the answer code; 0 on failure.
  virtual std::int32_t ShowBox(Hwnd owner, std::u16string_view text, std::u16string_view caption,
                               std::uint32_t style) = 0;
};

}  // namespace platform
