// Word wrapping of a paragraph into lines of one width, aligned.
#pragma once

#include <cstdint>
#include <string>

namespace format {

// Breaks `text` into lines of `width` characters and replaces it by the
// lines joined one after another. A positive indent indents the first line,
// a negative one every later line. Control characters (codes below 32) stay
// in the lines and take no width. `align`, in either case: "E", "L", "I"
// left, "N" left filled with "-", "D", "R" right, "C" centred, "A", "B"
// justified; any other leaves each line as it was taken.
void wrap_text(std::string& text, std::int16_t indent, std::int16_t width, const std::string& align);

}  // namespace format
