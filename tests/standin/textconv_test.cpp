// The stand-in's text conversions: the cases where UTF-8, UTF-16 and 32-bit
// wide text part ways.
#include "textconv.h"

#include <gtest/gtest.h>

namespace {

using namespace standin;

// "aé€" and U+1F600, beyond the Basic Multilingual Plane.
const std::string bmpUtf8 = "a\xC3\xA9\xE2\x82\xAC";
const std::string emojiUtf8 = "\xF0\x9F\x98\x80";

TEST(TextConv, BasicPlaneAndBeyondRoundTrip)
{
    EXPECT_EQ(u"a\u00E9\u20AC", utf8ToUtf16(bmpUtf8));
    EXPECT_EQ(std::u16string({0xD83D, 0xDE00}), utf8ToUtf16(emojiUtf8));
    EXPECT_EQ(bmpUtf8 + emojiUtf8, utf16ToUtf8(utf8ToUtf16(bmpUtf8 + emojiUtf8)));
    // Wide text holds the character beyond the plane as one unit, or as the
    // pair a 16-bit WCHAR would hold; both are the same character.
    EXPECT_EQ(L"a\u00E9\u20AC\U0001F600", utf8ToWide(bmpUtf8 + emojiUtf8));
    EXPECT_EQ(emojiUtf8, wideToUtf8(L"\U0001F600"));
    const wchar_t pair[] = {0xD83D, 0xDE00, 0};
    EXPECT_EQ(emojiUtf8, wideToUtf8(pair));
    EXPECT_EQ(std::vector<uint8_t>({0x3D, 0xD8, 0x00, 0xDE}), utf16Bytes(u"\U0001F600"));
    const uint8_t oddBytes[] = {0x41, 0x00, 0x42};
    EXPECT_EQ(u"A", utf16FromBytes(oddBytes, sizeof oddBytes));
}

TEST(TextConv, LoneSurrogatesJoinNothingAndUtf8HoldsNone)
{
    const std::u16string lone = {0xD800, u'x', 0xDC00};
    size_t i = 0;
    EXPECT_EQ(0xD800u, nextUtf16(lone.data(), lone.size(), i));
    EXPECT_EQ(1u, i);
    EXPECT_EQ("\xEF\xBF\xBDx\xEF\xBF\xBD", utf16ToUtf8(lone));
    const wchar_t wide[] = {0xDBFF, L'x', 0xDFFF, 0x110000, 0};
    EXPECT_EQ("\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD", wideToUtf8(wide));
    std::u16string beyond;
    appendUtf16(beyond, 0x110000);
    EXPECT_EQ(u"\uFFFD", beyond);
}

TEST(TextConv, InvalidUtf8BecomesOneReplacementPerByte)
{
    const std::string cases[] = {
        "\x80",             // stray continuation byte
        "\xC3",             // sequence cut short
        "\xC0\xAF",         // overlong '/'
        "\xED\xA0\x80",     // encoded surrogate
        "\xF4\x90\x80\x80", // beyond U+10FFFF
        "\xFF",
    };
    for (const std::string &bad : cases) {
        EXPECT_FALSE(isValidUtf8(bad)) << testing::PrintToString(bad);
        EXPECT_EQ(std::u16string(bad.size(), u'\uFFFD'), utf8ToUtf16(bad)) << testing::PrintToString(bad);
        EXPECT_EQ(std::wstring(bad.size(), L'\uFFFD'), utf8ToWide(bad)) << testing::PrintToString(bad);
    }
    EXPECT_EQ(u"a\uFFFDb", utf8ToUtf16("a\x80" "b"));
    EXPECT_TRUE(isValidUtf8(bmpUtf8 + emojiUtf8));
}

TEST(TextConv, Latin1IsTheFirstPlaneByteForByte)
{
    EXPECT_EQ("a\xC3\xA9\xC3\xBF", latin1ToUtf8("a\xE9\xFF"));
    EXPECT_EQ("a\xE9?", utf16ToLatin1(u"a\u00E9\u20AC"));
}

TEST(TextConv, OnlyAsciiLettersFold)
{
    EXPECT_EQ("hkey_classes_root\xC3\x84@[", foldAscii("HKEY_Classes_ROOT\xC3\x84@["));
}

} // namespace
