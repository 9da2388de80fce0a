#include "imaging/launch_conventions.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"

namespace veltrane {
namespace {

TEST(SplitBirthDate, CutsByPositionAndNeverFails) {
    struct Case {
        std::u16string dob, year, month, day;
    };
    const Case cases[] = {
        {u"19800102", u"1980", u"01", u"02"},
        {u"1980", u"1980", u"", u""},
        {u"", u"", u"", u""},
        {u"1980-01-02", u"1980", u"-0", u"1-"},
        {u"198001021234", u"1980", u"01", u"02"},
        {u"19800", u"1980", u"0", u""},
        {u"1980010", u"1980", u"01", u"0"},
    };
    for (const auto& c : cases) {
        const auto parts = imaging::splitBirthDate(c.dob);
        EXPECT_EQ(parts.year, c.year) << utf16ToUtf8(c.dob);
        EXPECT_EQ(parts.month, c.month) << utf16ToUtf8(c.dob);
        EXPECT_EQ(parts.day, c.day) << utf16ToUtf8(c.dob);
    }
}

TEST(PadPatientId, PadsToLengthButNeverShortens) {
    struct Case {
        std::u16string id;
        long long length;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"123", 6, u"000123"},
        {u"1234567", 6, u"1234567"},
        {u"123", 0, u"123"},
        {u"123", -3, u"123"},
        {u"", 4, u"0000"},
        {u"AB", 3, u"0AB"},
        {u"\U0001F600", 3, u"0\U0001F600"},  // lengths count UTF-16 units: the emoji is two
    };
    for (const auto& c : cases) EXPECT_EQ(imaging::padPatientId(c.id, c.length), c.expected) << utf16ToUtf8(c.id);
}

TEST(PadPatientId, AbsurdLengthFailsInsteadOfExhaustingMemory) {
    EXPECT_EQ(imaging::padPatientId(u"1", imaging::kMaxPaddedIdLength).size(), 32767u);
    try {
        imaging::padPatientId(u"1", 2000000000);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Out of system resources");
    }
}

TEST(PadLengthFromSetting, ReadsWholeNumbersOnly) {
    struct Case {
        std::u16string text;
        long long expected;
    };
    const Case good[] = {{u"", 0},
                         {u"6", 6},
                         {u"-3", -3},
                         {u"+4", 4},
                         {u" 7", 7},
                         {u"$10", 16},
                         {u"0x1F", 31},
                         {u"2147483647", 2147483647},
                         {u"-2147483648", -2147483648LL},
                         {u"$FFFFFFFF", -1}};  // all 32 bits, as the radio-group index reads them
    for (const auto& c : good) EXPECT_EQ(imaging::padLengthFromSetting(c.text), c.expected) << utf16ToUtf8(c.text);
    for (const std::u16string bad : {u"abc", u"6 ", u"1.5", u"-", u" ", u"2147483648", u"12a", u"١٢"}) {
        try {
            imaging::padLengthFromSetting(bad);
            ADD_FAILURE() << "accepted " << utf16ToUtf8(bad);
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "'" + utf16ToUtf8(bad) + "' is not a valid integer value");
        }
    }
}

TEST(ProgramInFolder, AppendsTheFileNameWithoutRepairingTheFolder) {
    EXPECT_EQ(imaging::programInFolder(u"C:\\Imaging", u"tw.exe"), u"C:\\Imagingtw.exe");
    EXPECT_EQ(imaging::programInFolder(u"/opt/img/", u"SOPRO Imaging.exe"), u"/opt/img/SOPRO Imaging.exe");
    EXPECT_EQ(imaging::programInFolder(u"", u"tw.exe"), u"tw.exe");
}

}  // namespace
}  // namespace veltrane
