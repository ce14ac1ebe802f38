// A stack of texts kept in one text, for saving values around a call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace format {

// Pushes an item; one of 65,536 bytes or more cannot have its length
// stored, so it is refused (false) and the stack stays as it was.
bool push_text(std::string_view item);
// The top item, removed from the stack. An empty stack gives an empty text.
std::string pop_text();

// The 2-byte form in which numbers are stacked (low byte first), and back;
// a text shorter than two bytes gives 0.
std::string two_byte_text(int number);
std::int16_t from_two_byte_text(std::string_view bytes);

}  // namespace format
