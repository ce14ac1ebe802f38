// Code page 850 texts to and from the wide strings of the Windows calls,
// through our own table, so the result never depends on the system's code
// pages. Windows only.
#pragma once

#include <string>
#include <string_view>

#include "platform/cp850.h"

namespace platform {

inline std::wstring to_wide(std::string_view cp850) {
    const std::u16string u = cp850_to_utf16(cp850);
    return std::wstring(u.begin(), u.end());
}

inline std::string from_wide(std::wstring_view wide) {
    const std::u16string u(wide.begin(), wide.end());
    return utf16_to_cp850(u);
}

}  // namespace platform
