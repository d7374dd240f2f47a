// The message boxes Plendra shows through the link library, whose
// ShowMessage takes MessageBox's style bits and returns its answer code, and
// the bits each kind of its own boxes carries (the simulated desktop records
// them as the link library's boxes). The values are the platform's.
#pragma once

#include <cstdint>

#include "app/view.h"
#include "platform/dialogs.h"

namespace plendra {

inline constexpr std::int32_t kWarningBox = platform::kMbIconExclamation;  // with an OK button
inline constexpr std::int32_t kInformationBox = platform::kMbIconInformation;
inline constexpr std::int32_t kYesNoQuestionBox = platform::kMbYesNo | platform::kMbIconQuestion;
inline constexpr std::int32_t kAnswerYes = platform::kIdYes;

constexpr std::uint32_t BoxStyle(BoxKind kind) {
  return kind == BoxKind::kWarning ? kWarningBox : kInformationBox;
}

}  // namespace plendra
