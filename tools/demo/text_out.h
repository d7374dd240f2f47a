// Printing the core's UTF-16 text on a UTF-8 terminal.
#pragma once

#include <string>
#include <string_view>

namespace demo {

// UTF-8, with the control characters of typed input shown as ^C, \r and \n.
std::string Utf8(std::u16string_view text);
// A coordinate or length as the command line takes it: no exponent, no
// trailing zeros.
std::u16string Number(double value);

}  // namespace demo
