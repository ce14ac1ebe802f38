// Numbers as text through picture masks: "9", "Z" and "*" take digits, "."
// is the decimal point, "," the thousands separator, "-" and "+" the sign;
// every other character is copied.
#pragma once

#include <string>

namespace format {

// The value filled into the mask; always as long as the mask. A value that
// does not fit gives the plain number cut to the mask's length, or a row of
// "!" when not even its integer part fits.
std::string format_number(const std::string& mask, double value);

}  // namespace format
