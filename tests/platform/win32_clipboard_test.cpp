#include "platform/win32_clipboard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/cp850.h"

using namespace platform;

namespace {

TEST(Win32Clipboard, TextGoesThroughAsUnicode) {
    ASSERT_TRUE(put_clipboard_text("Descripció 5 € ñ"_cp850));
    EXPECT_EQ(clipboard_text(), "Descripció 5 € ñ"_cp850.str());

    // What another program sees is Unicode, whatever the code pages.
    ASSERT_TRUE(::OpenClipboard(nullptr));
    const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(data, nullptr);
    const std::wstring seen(static_cast<const wchar_t*>(::GlobalLock(data)));
    ::GlobalUnlock(data);
    ::CloseClipboard();
    EXPECT_EQ(seen, L"Descripci\u00f3 5 \u20ac \u00f1");
}

TEST(Win32Clipboard, EmptyWithoutText) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::CloseClipboard();
    EXPECT_EQ(clipboard_text(), "");
}

}  // namespace
