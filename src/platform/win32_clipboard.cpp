#include "platform/win32_clipboard.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32_text.h"

namespace platform {

namespace {

template <typename F>
bool with_clipboard(F&& use) {
    // Another program may hold the clipboard for a moment.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (::OpenClipboard(nullptr)) {
            use();
            ::CloseClipboard();
            return true;
        }
        ::Sleep(20);
    }
    return false;
}

}  // namespace

bool put_clipboard_text(std::string_view text) {
    const std::wstring wide = to_wide(text);
    bool put = false;
    const bool opened = with_clipboard([&] {
        ::EmptyClipboard();
        const HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
        if (!mem) return;
        if (auto* p = static_cast<wchar_t*>(::GlobalLock(mem))) {
            std::copy(wide.begin(), wide.end(), p);
            p[wide.size()] = L'\0';
            ::GlobalUnlock(mem);
            if (::SetClipboardData(CF_UNICODETEXT, mem)) {
                put = true;  // the clipboard owns it now
                return;
            }
        }
        ::GlobalFree(mem);
    });
    return opened && put;
}

std::string clipboard_text() {
    std::string text;
    with_clipboard([&] {
        const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
        if (!data) return;
        if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = from_wide(p);
            ::GlobalUnlock(data);
        }
    });
    return text;
}

}  // namespace platform
