#include "base/text.h"

#include <gtest/gtest.h>

namespace veltrane {
namespace {

TEST(Utf8ToUtf16, DecodesWellFormedAndReplacesMalformedInput) {
    struct Case {
        std::string utf8;
        std::u16string lenient;
        bool strictAccepts;
    };
    const Case cases[] = {
        {"plain", u"plain", true},
        {"B\xC3\xBCro \xC5\x81\xC3\xB3\xC5\xBA", u"Büro Łóź", true},
        {"\xE4\xB8\xAD", u"\u4E2D", true},
        {"\xF0\x9F\x98\x80", u"\U0001F600", true},                       // becomes a surrogate pair
        {"a\xFF" "b", u"a\uFFFDb", false},                               // a byte that starts nothing
        {"\xC3", u"\uFFFD", false},                                      // cut short at the end
        {"\xE4\xB8" "x", u"\uFFFDx", false},                             // cut short before a letter
        {"\xC0\xAF", u"\uFFFD", false},                                  // overlong form of '/'
        {"\xED\xA0\x80", u"\uFFFD", false},                              // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD", false},                          // beyond U+10FFFF
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3), true},     // zero characters are data
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToUtf16(c.utf8), c.lenient) << c.utf8;
        std::u16string strict;
        EXPECT_EQ(utf8ToUtf16Strict(c.utf8, strict), c.strictAccepts) << c.utf8;
        if (c.strictAccepts) {
            EXPECT_EQ(strict, c.lenient);
        }
    }
}

TEST(Utf16ToUtf8, RoundTripsAndReplacesLoneSurrogates) {
    const std::u16string texts[] = {u"", u"Anna Berg", u"Ärzte € 中", u"\U0001F600 x"};
    for (const auto& t : texts) EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(t)), t);
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(utf16ToUtf8(u"a\xDC00"), "a\xEF\xBF\xBD");
}

TEST(EqualsIgnoreCase, FoldsLettersOfTheCommonScriptsOnly) {
    struct Case {
        std::u16string a, b;
        bool equal;
    };
    const Case cases[] = {
        {u"Logging_Enabled", u"logging_enabled", true}, {u"ÄÖÜ", u"äöü", true},  {u"ŁÓDŹ", u"łódź", true},
        {u"ΑΒΓ", u"αβγ", true},                          {u"ДОМ", u"дом", true},  {u"Ёж", u"ёж", true},
        {u"dexis", u"dexis ", false},                    {u"ß", u"SS", false},    {u"×", u"÷", false},
    };
    for (const auto& c : cases) EXPECT_EQ(equalsIgnoreCase(c.a, c.b), c.equal) << utf16ToUtf8(c.a);
}

}  // namespace
}  // namespace veltrane
