// A simulated desktop bound to the test's thread, with helpers to check the
// link library's result together with its error record.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "link/errors.h"
#include "link/mdl_common.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "platform/sim/desktop.h"
#include "support/scripted_acad.h"

namespace plendra_test {

class LinkTest : public ::testing::Test {
 protected:
  explicit LinkTest(std::uint32_t start_tick = 1000) : desktop(start_tick), bind(desktop) {}

  // Finds the scripted AutoCAD and returns its channel.
  std::shared_ptr<korvel::PwControl> Connect(korvel::PwAcad& acad) {
    EXPECT_EQ(acad.Search(), -1) << "search failed";
    return acad.Control();
  }

  platform::sim::Desktop desktop;
  platform::ScopedPlatform bind;
};

// The number returned equals ErrNumber, with the expected source and text.
inline ::testing::AssertionResult Failed(std::int32_t result, std::int32_t number, std::u16string_view source,
                                         std::u16string_view description) {
  const korvel::ErrorRecord& e = korvel::Shared().ErrorInfo;
  if (result == number && e.Number == number && e.Source == source && e.Description == description)
    return ::testing::AssertionSuccess();
  auto narrow = [](std::u16string_view t) {
    std::string out;
    for (char16_t c : t) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
  };
  return ::testing::AssertionFailure()
         << "result " << result << ", record {" << e.Number << ", " << narrow(e.Source) << ", "
         << narrow(e.Description) << "}; expected " << number << ", " << narrow(source);
}

// After success: -1 and an empty record.
inline ::testing::AssertionResult Succeeded(std::int32_t result) {
  const korvel::ErrorRecord& e = korvel::Shared().ErrorInfo;
  if (result == -1 && e.Number == 0 && e.Source.empty() && e.Description.empty())
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "result " << result << ", ErrNumber " << e.Number;
}

}  // namespace plendra_test
