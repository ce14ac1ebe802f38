#include "format/text_stack.h"

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

}  // namespace format
