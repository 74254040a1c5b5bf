#pragma once

#include <string_view>

namespace tintwell::engine {

// Reads the leading number of a text leniently: blanks, tabs and line feeds are skipped
// wherever they stand; a sign, digits with one decimal point and an E or D exponent, or an
// &H / &O radix prefix with its digits. Anything that is not a number reads as 0. A value too
// large for a double reads as an infinity of its sign.
double Val(std::string_view text);

}  // namespace tintwell::engine
