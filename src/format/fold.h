// Folding of code page 850 text for comparisons and first-letter searches.
#pragma once

#include <string>
#include <string_view>

namespace format {

// Capital letters in place of small ones, accents kept; while
// plain_letters_mode is true (-1), capital letters without accents and
// blanks for every other character from code 64 to 237. Codes below 64 and
// above 237 are never changed.
std::string fold_text(std::string_view text);

}  // namespace format
