#pragma once

#include <cstdint>
#include <string>

namespace format {

// The number's decimal text without its sign, with zeros in front up to
// `width` and cut to its last `width` characters; empty for a width below 1.
std::string zero_pad(double value, std::int16_t width);

}  // namespace format
