#include "format/text_stack.h"

#include <cstdint>

#include "format/state.h"

namespace format {

bool push_text(std::string_view item) {
    if (item.size() > 0xFFFF) return false;
    std::string& stack = format_state.text_stack;
    const auto length = static_cast<std::uint16_t>(item.size());
    stack += item;
    stack += static_cast<char>(length & 0xFF);
    stack += static_cast<char>(length >> 8);
    return true;
}

std::string pop_text() {
    std::string& stack = format_state.text_stack;
    if (stack.size() < 2) return {};
    const std::size_t n = static_cast<unsigned char>(stack[stack.size() - 2]) |
                          static_cast<std::size_t>(static_cast<unsigned char>(stack.back())) << 8;
    const std::size_t end = stack.size() - 2;
    const std::size_t start = n <= end ? end - n : 0;
    std::string item = stack.substr(start, end - start);
    stack.resize(start);
    return item;
}

std::string two_byte_text(int number) {
    return {static_cast<char>(number & 0xFF), static_cast<char>((number >> 8) & 0xFF)};
}

std::int16_t from_two_byte_text(std::string_view bytes) {
    if (bytes.size() < 2) return 0;
    const auto low = static_cast<unsigned char>(bytes[0]);
    const auto high = static_cast<unsigned char>(bytes[1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
}

}  // namespace format
