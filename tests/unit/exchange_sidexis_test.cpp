#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "imaging/bridges/exchange_file_bridges.h"

namespace veltrane::imaging {
namespace {

using namespace std::string_literals;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

// A code page with multi-byte characters (UTF-8 stands in for one).
class MultiByteAnsi final : public platform::AnsiCodec {
public:
    int codePage() const override { return 65001; }
    std::string encode(std::u16string_view text, bool) override { return utf16ToUtf8(text); }
    std::u16string decode(std::string_view b) override { return utf8ToUtf16(b); }
};

const PatientRecord kSmith{u"1234", u"John", u"Smith", u"19800521", u"M", u""};
const platform::LocalDateTime kFifthOfMarch{2024, 3, 5, 14, 7, 9, 0};

BridgePlan planFor(const PatientRecord& patient, platform::AnsiCodec& ansi, const BridgeSettings& settings = {},
                   std::u16string computer = u"WS01") {
    BridgeContext context{ansi, std::move(computer), kFifthOfMarch};
    return kSironaBridge.plan(settings, patient, context);
}

// The fields of a record body: type letter, then zero-led fields, then four zeros.
std::vector<std::string> fieldsOf(const std::string& body) {
    EXPECT_GE(body.size(), 5u);
    EXPECT_EQ(body.substr(body.size() - 4), "\0\0\0\0"s);
    std::vector<std::string> fields;
    const std::string inner = body.substr(1, body.size() - 5);
    EXPECT_EQ(inner.empty() ? '\0' : inner[0], '\0');
    std::size_t start = 1;
    for (std::size_t zero; (zero = inner.find('\0', start)) != std::string::npos; start = zero + 1) {
        fields.push_back(inner.substr(start, zero - start));
    }
    fields.push_back(inner.substr(std::min(start, inner.size())));
    return fields;
}

std::vector<std::string> recordsOf(const std::string& file) {
    std::vector<std::string> bodies;
    EXPECT_TRUE(parseSidexisRecords(file, &bodies));
    return bodies;
}

TEST(SidexisBridge, WorkedExampleByteForByte) {
    fakes::FakeAnsi ansi;
    const BridgePlan plan = planFor(kSmith, ansi);
    const std::string u =
        bytes({0x20, 0x00, 'U', 0}) + "Smith"s + '\0' + "John"s + '\0' + "21.05.1980"s + "\0\0\0\0\0\r\n"s;
    const std::string n = bytes({0x26, 0x00, 0x4E, 0x00, 0x53, 0x6D, 0x69, 0x74, 0x68, 0x00, 0x4A, 0x6F, 0x68,
                                 0x6E, 0x00, 0x32, 0x31, 0x2E, 0x30, 0x35, 0x2E, 0x31, 0x39, 0x38, 0x30, 0x00,
                                 0x31, 0x32, 0x33, 0x34, 0x00, 0x4D, 0x00, 0x00, 0x00, 0x00, 0x0D, 0x0A});
    const std::string a = bytes({0x39, 0x00, 'A', 0}) + "Smith"s + '\0' + "John"s + '\0' + "21.05.1980"s + '\0' + '\0' +
                          "WS01"s + '\0' + "05.03.2024"s + '\0' + "14.07.09"s + "\0\0\0\0\r\n"s;
    ASSERT_EQ(u.size(), 32u);
    ASSERT_EQ(a.size(), 57u);
    ASSERT_TRUE(plan.file.has_value());
    EXPECT_EQ(plan.file->bytes, u + n + a);
    EXPECT_EQ(plan.file->path, u"sidexis.sdx");
    ASSERT_TRUE(plan.launch.has_value());
    EXPECT_EQ(plan.launch->file, u"sidexis.exe");
    EXPECT_EQ(plan.launch->parameters, u"");
    EXPECT_EQ(plan.launch->showCommand, platform::kShowNormal);
}

TEST(SidexisBridge, ProgramAndExchangeFileTakeTheirDefaultNameOnlyWhenMissing) {
    struct Case {
        std::u16string program, images, expectedProgram, expectedFile;
    };
    const Case cases[] = {
        {u"/opt/sidexis/", u"/srv/pdata/", u"/opt/sidexis/sidexis.exe", u"/srv/pdata/sidexis.sdx"},
        {u"/opt/sidexis/sidexis.exe", u"/srv/pdata/sidexis.sdx", u"/opt/sidexis/sidexis.exe",
         u"/srv/pdata/sidexis.sdx"},
        {u"/opt/sidexis/SiDeXiS.exe", u"/srv/other.sdx", u"/opt/sidexis/SiDeXiS.exe", u"/srv/other.sdx"},
        {u"/opt/my.exe.d/", u"/srv/a.sdx.d/", u"/opt/my.exe.d/", u"/srv/a.sdx.d/"},  // contained anywhere
        {u"/opt/SIDEXIS.EXE", u"/srv/X.SDX", u"/opt/SIDEXIS.EXEsidexis.exe", u"/srv/X.SDXsidexis.sdx"},
        {u"/opt/sidexis", u"/srv/pdata", u"/opt/sidexissidexis.exe", u"/srv/pdatasidexis.sdx"},
    };
    fakes::FakeAnsi ansi;
    for (const auto& c : cases) {
        const BridgePlan plan = planFor(kSmith, ansi, {{u"sirona_program", c.program}, {u"sirona_images", c.images}});
        EXPECT_EQ(utf16ToUtf8(plan.launch->file), utf16ToUtf8(c.expectedProgram));
        EXPECT_EQ(utf16ToUtf8(plan.file->path), utf16ToUtf8(c.expectedFile));
    }
}

TEST(SidexisBridge, FieldsGoToTheirRecordsAndOnlyExactFIsFemale) {
    struct Case {
        std::u16string gender;
        std::string sex;
    };
    const Case cases[] = {{u"M", "M"}, {u"", "M"}, {u"U", "M"}, {u"f", "M"}, {u"F", "F"}, {u"Female", "M"}};
    fakes::FakeAnsi ansi;
    for (const auto& c : cases) {
        PatientRecord patient = kSmith;
        patient.gender = c.gender;
        patient.patientId = u"";
        const auto records = recordsOf(planFor(patient, ansi, {}, u"front-desk.example.org").file->bytes);
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[0][0], 'U');
        EXPECT_EQ(records[1][0], 'N');
        EXPECT_EQ(records[2][0], 'A');
        const std::vector<std::string> u{"Smith", "John", "21.05.1980", ""};
        const std::vector<std::string> n{"Smith", "John", "21.05.1980", "", c.sex};
        const std::vector<std::string> a{"Smith", "John", "21.05.1980", "", "FRONT-DESK", "05.03.2024", "14.07.09"};
        EXPECT_EQ(fieldsOf(records[0]), u);
        EXPECT_EQ(fieldsOf(records[1]), n);
        EXPECT_EQ(fieldsOf(records[2]), a);
    }
}

TEST(SidexisBridge, RecordsOutsideOneByteLengthsKeepTheirFraming) {
    fakes::FakeAnsi ansi;
    // All patient fields empty: the "U" record is 15 bytes, which a one-byte length pair cannot express.
    const std::string empty = planFor({}, ansi, {}, u"").file->bytes;
    EXPECT_EQ(empty.substr(0, 15), bytes({0x0F, 0x00, 'U', 0, 0, 0, '.', '.', 0, 0, 0, 0, 0, '\r', '\n'}));
    const auto shortRecords = recordsOf(empty);
    ASSERT_EQ(shortRecords.size(), 3u);
    EXPECT_GE(shortRecords[1].size() + 4, 16u);
    EXPECT_GE(shortRecords[2].size() + 4, 16u);

    // Long names: the length is 16-bit little-endian, low byte first.
    PatientRecord patient = kSmith;
    patient.surname = std::u16string(300, u'a');
    const std::string file = planFor(patient, ansi).file->bytes;
    const std::size_t uLength = 1 + 1 + 300 + 1 + 4 + 1 + 10 + 1 + 4 + 4;  // body + length + CR LF
    EXPECT_EQ(file.substr(0, 2), bytes({static_cast<int>(uLength & 0xFF), static_cast<int>(uLength >> 8)}));
    const auto records = recordsOf(file);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(fieldsOf(records[1])[0], std::string(300, 'a'));
}

TEST(SidexisBridge, LengthCountsBytesUnderMultiByteCodePages) {
    MultiByteAnsi ansi;
    PatientRecord patient = kSmith;
    patient.surname = u"Müller";  // 6 characters, 7 bytes
    const std::string file = planFor(patient, ansi).file->bytes;
    EXPECT_EQ(static_cast<unsigned char>(file[0]), 32 + 2);
    const auto records = recordsOf(file);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(fieldsOf(records[0])[0], "M\xC3\xBCller");
}

TEST(SidexisBridge, ZeroBytesAndLineBreaksInValuesCannotShiftFields) {
    fakes::FakeAnsi ansi;
    PatientRecord patient{u"", u"Jo\r\nhn", u"", u"19800521", u"F", u""};
    patient.patientId = std::u16string(
        u"12\0"
        u"34",
        5);
    patient.surname = std::u16string(u"Sm\0ith", 6);
    const auto records = recordsOf(planFor(patient, ansi, {}, std::u16string(u"W\0S", 3)).file->bytes);
    ASSERT_EQ(records.size(), 3u);
    const std::vector<std::string> n{"Sm ith", "Jo  hn", "21.05.1980", "12 34", "F"};
    EXPECT_EQ(fieldsOf(records[1]), n);
    EXPECT_EQ(fieldsOf(records[2])[4], "W S");
}

TEST(SidexisBridge, ARecordBeyondSixtyFourKilobytesIsRefusedNotCorrupted) {
    fakes::FakeAnsi ansi;
    PatientRecord patient = kSmith;
    patient.surname = std::u16string(70000, u'a');
    try {
        planFor(patient, ansi);
        ADD_FAILURE() << "an oversized record was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "The patient's details are too long for the Sidexis exchange file");
    }
}

TEST(SidexisLength, EveryOneByteLengthFramesAsLengthThenZero) {
    for (std::size_t length = 16; length <= 255; ++length) {
        const std::string record = frameSidexisRecord(std::string(length - 4, 'x'));
        ASSERT_EQ(record.size(), length);
        EXPECT_EQ(static_cast<unsigned char>(record[0]), length);
        EXPECT_EQ(record[1], '\0');
    }
    EXPECT_EQ(frameSidexisRecord(std::string(65531, 'x')).substr(0, 2), bytes({0xFF, 0xFF}));
    EXPECT_THROW(frameSidexisRecord(std::string(65532, 'x')), Error);
}

TEST(SidexisLength, HexToTextTakesCompletePairsFromTheLeft) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"", u""},
        {u"26", u"\x26"},
        {u"FF", u"\xFF"},
        {u"4a6B", u"Jk"},
        {u"414", u"A"},
        {u"7", u""},
        {u"2600", std::u16string(u"\x26\0", 2)},
        {u"41G1", u"A"},
    };
    for (const auto& [hex, text] : cases) EXPECT_EQ(hexToText(hex), text) << utf16ToUtf8(hex);
}

TEST(SidexisComputerName, IsTheShortUpperCaseName) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"WS01", u"WS01"},
        {u"reception-2", u"RECEPTION-2"},
        {u"surgery3.practice.local", u"SURGERY3"},
        {u"a-very-long-workstation-name", u"A-VERY-LONG-WOR"},
        {u"", u""},
    };
    for (const auto& [platformName, name] : cases) EXPECT_EQ(getComputerName(platformName), name);
}

}  // namespace
}  // namespace veltrane::imaging
