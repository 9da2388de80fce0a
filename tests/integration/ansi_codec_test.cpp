#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "linux/posix/iconv_codec.h"
#include "posix_test_support.h"

namespace veltrane::platform::posix {
namespace {

using veltrane::testing::ScopedEnv;

struct EncodeCase {
    const char* what;
    int codePage;
    std::u16string text;
    bool bestFit;
    std::string expected;
};

TEST(IconvAnsiCodec, EncodesIntoTheCodePageWithReplacementsAndBestFit) {
    const EncodeCase cases[] = {
        {"u umlaut is one byte in 1252", 1252, u"ü", false, "\xFC"},
        {"euro sign lives at 0x80 in 1252", 1252, u"€", false, "\x80"},
        {"1252 lacks L with stroke: replaced", 1252, u"Ł", false, "?"},
        {"1252 lacks L with stroke: best fit", 1252, u"Ł", true, "L"},
        {"best fit of the rest of Latin Extended-A", 1252, u"łĐđőŐŞț", true, "lDdoOSt"},
        {"a letter 1252 has is never replaced by best fit", 1252, u"é", true, "\xE9"},
        {"a CJK letter has no best fit", 1252, u"漢", true, "?"},
        {"a surrogate pair is one character, one '?'", 1252, u"a\U0001F600b", false, "a?b"},
        {"a surrogate pair gets no best fit", 1252, u"\U0001D400", true, "?"},
        {"a lone high surrogate in the middle", 1252, std::u16string(u"a") + char16_t(0xD800) + u"b", false, "a?b"},
        {"a lone high surrogate at the end", 1252, std::u16string(u"ab") + char16_t(0xD83D), false, "ab?"},
        {"a lone low surrogate", 1252, std::u16string(1, char16_t(0xDC00)), false, "?"},
        {"1250 has L with stroke at 0xA3", 1250, u"Łódź", false, "\xA3\xF3\x64\x9F"},
        {"1251 Cyrillic", 1251, u"Иван", false, "\xC8\xE2\xE0\xED"},
        {"1251 lacks e acute: best fit", 1251, u"José", true, "Jose"},
        {"932 is a double-byte code page", 932, u"日本", false, "\x93\xFA\x96\x7B"},
        {"932 replaces what it lacks", 932, u"aŁb", false, "a?b"},
        {"949 lacks the no-break space and the en dash", 949, u"\u00A0\u2013", true, " -"},
        {"1252 lacks some hyphens and quotes", 1252, u"\u2011\u201B\u201F", true, "-'\""},
        {"full-width forms fit their ASCII letters", 1252, u"\uFF02\uFF3C\uFF0F\uFF0D\uFF05\uFF21\uFF5E", true,
         "\"\\/-%A~"},
        {"the ideographic space fits a blank", 1252, u"a\u3000b", true, "a b"},
        {"932 has the full-width forms of its own", 932, u"\uFF02", true, "\xFA\x57"},
        {"a long text with many replacements keeps its length", 1252, std::u16string(3000, u'Ł'), false,
         std::string(3000, '?')},
        {"empty text", 1252, u"", false, ""},
    };
    for (const EncodeCase& c : cases) {
        IconvAnsiCodec codec(c.codePage);
        EXPECT_EQ(codec.encode(c.text, c.bestFit), c.expected) << c.what;
    }
}

TEST(IconvAnsiCodec, DecodeNeverFailsAndMarksUndefinedBytes) {
    IconvAnsiCodec cp1252(1252);
    EXPECT_EQ(cp1252.decode("\x80\xFC"), u"€ü");
    // 0x81 is undefined in 1252.
    EXPECT_EQ(cp1252.decode("a\x81z"), u"a\uFFFDz");

    IconvAnsiCodec cp932(932);
    // A lead byte without its trail byte at the end.
    EXPECT_EQ(cp932.decode("ab\x93"), u"ab\uFFFD");
    EXPECT_EQ(cp932.decode("\x93\xFA\x96\x7B"), u"日本");

    // 1258 holds a letter back in case a combining mark follows; the last letter must still come out.
    IconvAnsiCodec cp1258(1258);
    EXPECT_EQ(cp1258.decode("abc"), u"abc");
}

TEST(IconvAnsiCodec, EveryDefinedByteSurvivesARoundTrip) {
    for (int codePage : {1250, 1251, 1252, 1253, 1254, 1257}) {
        IconvAnsiCodec codec(codePage);
        int defined = 0;
        for (int b = 1; b < 256; ++b) {
            const std::string byte(1, static_cast<char>(b));
            const std::u16string text = codec.decode(byte);
            ASSERT_EQ(text.size(), 1u) << codePage << " byte " << b;
            if (text[0] == 0xFFFD) continue;
            ++defined;
            EXPECT_EQ(codec.encode(text, false), byte) << codePage << " byte " << b;
        }
        EXPECT_GT(defined, 230) << codePage;
    }
}

// Plain ASCII text is converted without iconv; it must come out exactly as iconv gives it in every code page the
// program may use, double-byte ones included.
TEST(IconvAnsiCodec, AsciiTextIsTheSameWithoutTheConverter) {
    std::string ascii;
    std::u16string wide;
    for (int c = 0; c < 0x80; ++c) {
        ascii.push_back(static_cast<char>(c));
        wide.push_back(static_cast<char16_t>(c));
    }
    for (int codePage : {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        IconvAnsiCodec codec(codePage);
        // One character beyond ASCII sends the whole text through iconv; the ASCII part must agree.
        const std::string viaIconv = codec.encode(wide + u"\u00A0", false);
        EXPECT_EQ(codec.encode(wide, false), viaIconv.substr(0, ascii.size())) << codePage;
        EXPECT_EQ(codec.decode(ascii), codec.decode(ascii + "\xA0").substr(0, wide.size())) << codePage;
        EXPECT_EQ(codec.decode(ascii), wide) << codePage;
    }
}

TEST(IconvAnsiCodec, CodePageForLocale) {
    const std::pair<const char*, int> cases[] = {
        {"pl_PL.UTF-8", 1250}, {"cs_CZ", 1250},
        {"hu_HU.UTF-8", 1250}, {"hr_HR", 1250},
        {"ro_RO.UTF-8", 1250}, {"sr_RS@latin", 1250},
        {"sr_RS", 1251},       {"ru_RU.UTF-8", 1251},
        {"uk_UA", 1251},       {"bg_BG.UTF-8", 1251},
        {"el_GR.UTF-8", 1253}, {"tr_TR.UTF-8", 1254},
        {"az_AZ", 1254},       {"he_IL.UTF-8", 1255},
        {"ar_EG.UTF-8", 1256}, {"fa_IR", 1256},
        {"ur_PK", 1256},       {"lt_LT.UTF-8", 1257},
        {"lv_LV", 1257},       {"et_EE", 1257},
        {"vi_VN", 1258},       {"th_TH.UTF-8", 874},
        {"ja_JP.UTF-8", 932},  {"zh_CN.UTF-8", 936},
        {"zh_SG", 936},        {"ko_KR.UTF-8", 949},
        {"zh_TW.UTF-8", 950},  {"zh_HK.UTF-8", 950},
        {"en_US.UTF-8", 1252}, {"de_DE@euro", 1252},
        {"C", 1252},           {"C.UTF-8", 1252},
        {"POSIX", 1252},       {"", 1252},
    };
    for (const auto& [locale, codePage] : cases) EXPECT_EQ(codePageForLocale(locale), codePage) << locale;
}

TEST(IconvAnsiCodec, DefaultCodePageFollowsTheEnvironment) {
    ScopedEnv noOverride("VELTRANE_CODEPAGE", nullptr);
    {
        ScopedEnv all("LC_ALL", nullptr);
        ScopedEnv ctype("LC_CTYPE", "ru_RU.UTF-8");
        ScopedEnv lang("LANG", "pl_PL.UTF-8");
        EXPECT_EQ(userAnsiCodePage(), 1251) << "LC_CTYPE comes before LANG";
        ScopedEnv allSet("LC_ALL", "el_GR.UTF-8");
        EXPECT_EQ(userAnsiCodePage(), 1253) << "LC_ALL comes first";
        EXPECT_EQ(IconvAnsiCodec().codePage(), 1253);
    }
    {
        ScopedEnv all("LC_ALL", nullptr);
        ScopedEnv ctype("LC_CTYPE", nullptr);
        ScopedEnv lang("LANG", nullptr);
        EXPECT_EQ(userAnsiCodePage(), 1252) << "nothing set";
    }
    ScopedEnv all("LC_ALL", "cs_CZ.UTF-8");
    {
        ScopedEnv forced("VELTRANE_CODEPAGE", "1257");
        EXPECT_EQ(IconvAnsiCodec().codePage(), 1257);
    }
    for (const char* unusable : {"banana", "99999", "-1", "1252x"}) {
        ScopedEnv forced("VELTRANE_CODEPAGE", unusable);
        EXPECT_EQ(userAnsiCodePage(), 1250) << unusable;
    }
}

TEST(IconvAnsiCodec, RefusesACodePageIconvDoesNotKnow) { EXPECT_THROW(IconvAnsiCodec(4711), std::invalid_argument); }

}  // namespace
}  // namespace veltrane::platform::posix
