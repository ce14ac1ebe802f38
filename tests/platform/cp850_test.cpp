#include "platform/cp850.h"

#include <gtest/gtest.h>

#include <set>

using namespace platform;

namespace {

TEST(Cp850, EveryByteHasOneCharacterThatLeadsBack) {
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char32_t text = cp850_to_unicode(static_cast<std::uint8_t>(b));
        EXPECT_TRUE(seen.insert(text).second) << "byte " << b;
        EXPECT_EQ(unicode_to_cp850(text), static_cast<std::uint8_t>(b)) << "byte " << b;
        const char32_t glyph = cp850_glyph(static_cast<std::uint8_t>(b));
        EXPECT_GE(glyph, 0x20u) << "byte " << b << " has no visible glyph";
        // 0 shows as a blank, 0x14 and 0x15 share their pictures with 0xF4
        // and 0xF5, and the soft hyphen shows as a hyphen.
        const bool shared_glyph = b == 0 || b == 0x14 || b == 0x15 || b == 0xF0;
        if (!shared_glyph) {
            EXPECT_EQ(unicode_to_cp850(glyph), static_cast<std::uint8_t>(b)) << "byte " << b;
        }
    }
}

TEST(Cp850, KnownPositions) {
    EXPECT_EQ(cp850_to_unicode(0xD5), U'€');
    EXPECT_EQ(cp850_to_unicode(0xA4), U'ñ');
    EXPECT_EQ(cp850_to_unicode(0xE0), U'Ó');
    EXPECT_EQ(cp850_to_unicode(0xC4), U'─');
    EXPECT_EQ(cp850_to_unicode(0xC9), U'╔');
    EXPECT_EQ(cp850_to_unicode(0xFF), U'\u00A0');
    EXPECT_EQ(cp850_glyph(0x10), U'►');
    EXPECT_EQ(cp850_glyph(0x11), U'◄');
    EXPECT_EQ(unicode_to_cp850(U'ı'), std::nullopt);  // 0xD5 is the euro here
    EXPECT_EQ(unicode_to_cp850(U'中'), std::nullopt);
}

TEST(Cp850, LiteralsAreConvertedAtCompileTime) {
    constexpr auto heading = "CODI    DESCRIPCIÓ"_cp850;
    static_assert(heading.view().size() == 18);
    static_assert(heading.view()[17] == '\xE0');
    EXPECT_EQ(std::string("Añy €"_cp850), "A\xA4y \xD5");
    EXPECT_EQ(std::string("◄►"_cp850), "\x11\x10");
    EXPECT_EQ(std::string(""_cp850), "");
}

TEST(Cp850, Utf8TextConversion) {
    EXPECT_EQ(utf8_to_cp850("Peó €"), "Pe\xA2 \xD5");
    EXPECT_EQ(utf8_to_cp850("a中b"), "ab");  // not in the code page: dropped
    EXPECT_EQ(utf8_to_cp850("\xA4\x80x"), "\xA4\x80x");  // not UTF-8: already code page 850
    EXPECT_EQ(cp850_to_utf8("Pe\xA2 \xD5"), "Peó €");
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8_to_cp850(cp850_to_utf8(all)), all);
}

TEST(Cp850, UpperCaseRule) {
    std::string lower, upper;
    for (int b = 0; b < 256; ++b) lower += static_cast<char>(b);
    upper = upper_case(lower);
    for (int b = 0; b < 256; ++b) {
        int expected = b;
        if (b >= 'a' && b <= 'z') expected = b - 32;
        const std::pair<int, int> letters[] = {{0x84, 0x8E}, {0x94, 0x99}, {0x81, 0x9A}, {0x82, 0x90},
                                               {0xA4, 0xA5}, {0x86, 0x8F}, {0x87, 0x80}};
        for (const auto& [small, capital] : letters)
            if (b == small) expected = capital;
        EXPECT_EQ(static_cast<unsigned char>(upper[static_cast<std::size_t>(b)]), expected) << "byte " << b;
    }
    EXPECT_EQ(upper_case("àéñç"_cp850.str()), "àÉÑÇ"_cp850.str());
}

TEST(Cp850, Utf16BothWays) {
    // Every byte has one UTF-16 unit, and it leads back to the byte.
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::u16string wide = cp850_to_utf16(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[0xD5], u'€');
    EXPECT_EQ(wide[0xA4], u'ñ');
    EXPECT_EQ(wide[0x10], u'\x10');  // text, not the glyph
    EXPECT_EQ(utf16_to_cp850(wide), all);
    // Outside the code page: dropped, lone surrogates and pairs alike.
    EXPECT_EQ(utf16_to_cp850(u"Pe\u00f3 \u03c9\U0001F600 \xD800€"), "Peó  €"_cp850.str());
}

TEST(Cp850, TrimAndFixedLength) {
    EXPECT_EQ(trim_blanks("  a b  "), "a b");
    EXPECT_EQ(trim_blanks("\t a\t "), "\t a\t");
    EXPECT_EQ(trim_blanks("    "), "");
    EXPECT_EQ(trim_leading_blanks("  a "), "a ");
    EXPECT_EQ(trim_trailing_blanks("  a "), "  a");
    EXPECT_EQ(fixed_length("ES", 3), "ES ");
    EXPECT_EQ(fixed_length("SPANISH", 3), "SPA");
    EXPECT_EQ(fixed_length("", 2), "  ");
}

}  // namespace
