// The Windows clipboard as code page 850 text, converted with our own table.
// Windows only.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Both retry for a moment while another program holds the clipboard.
bool put_clipboard_text(std::string_view text);
// Empty when the clipboard holds no text.
std::string clipboard_text();

}  // namespace platform
