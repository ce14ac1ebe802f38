// The desktop's clipboard through its command-line tools: wl-copy and
// wl-paste under Wayland, else xclip or xsel under X. Each call waits a
// moment at most; a tool that hangs is killed and counts as absent.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Whether a clipboard tool fits the session (its display is set and the tool
// is on PATH).
bool system_clipboard_available();
// Texts are UTF-8 here; code page 850 stays with the console.
bool put_system_clipboard(std::string_view utf8);
std::optional<std::string> get_system_clipboard();

// The base64 form OSC 52 carries.
std::string base64(std::string_view bytes);

}  // namespace platform
