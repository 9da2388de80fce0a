#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_platform.h"
#include "imaging/bridges/exchange_file_bridges.h"

namespace veltrane::imaging {
namespace {

// Windows-1252 for the characters these tests use, with the best-fit mappings of the platform's conversion.
class Cp1252 final : public platform::AnsiCodec {
public:
    std::vector<bool> bestFitAsked;
    int codePage() const override { return 1252; }
    std::string encode(std::u16string_view text, bool bestFit) override {
        bestFitAsked.push_back(bestFit);
        std::string out;
        for (char16_t c : text) {
            if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
                out.push_back(static_cast<char>(c));
            } else if (c == u'€') {
                out.push_back('\x80');
            } else if (c == u'…') {
                out.push_back('\x85');
            } else if (bestFit && (c == u'Ł' || c == u'ł')) {
                out.push_back(c == u'Ł' ? 'L' : 'l');
            } else if (bestFit && c >= 0xFF01 && c <= 0xFF5E) {  // full-width forms fit their ASCII letters
                out.push_back(static_cast<char>(c - 0xFF01 + 0x21));
            } else {
                out.push_back('?');
            }
        }
        return out;
    }
    std::u16string decode(std::string_view) override { return {}; }
};

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    EXPECT_EQ(start, bytes.size()) << "the last line lacks its CR LF";
    return lines;
}

BridgePlan plan(const BridgeDefinition& bridge, const PatientRecord& patient, platform::AnsiCodec& ansi) {
    BridgeContext context{ansi, u"WS01", {2024, 3, 5, 14, 7, 9, 0}};
    return bridge.plan({}, patient, context);
}

TEST(ExchangeCodePage, ValuesAreConvertedWithBestFit) {
    Cp1252 ansi;
    const PatientRecord patient{u"ü1", u"Łucja €5…", u"Müller 山田", u"19800521", u"F", u""};
    const auto lines = splitLines(plan(kScanoraBridge, patient, ansi).file->bytes);
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[3],
              "PATID=\xFC"
              "1");
    EXPECT_EQ(lines[4], "PATLNAME=M\xFCller ??");
    EXPECT_EQ(lines[6],
              "PATFNAME=Lucja \x80"
              "5\x85");
    ASSERT_FALSE(ansi.bestFitAsked.empty());
    EXPECT_TRUE(std::all_of(ansi.bestFitAsked.begin(), ansi.bestFitAsked.end(), [](bool b) { return b; }));
}

// Line breaks inside values never add lines (a second PATID line, say) to any line-based file.
TEST(ExchangeInjection, LineBreaksInValuesBecomeBlanks) {
    struct Case {
        const BridgeDefinition* bridge;
        std::size_t lines;
        std::size_t lineWithId;
        std::string idLine;
    };
    const Case cases[] = {
        {&kScanoraBridge, 18, 3, "PATID=1  PATID=2"},
        {&kCliniviewBridge, 18, 3, "PATID=1  PATID=2"},
        {&kIcatRegBridge, 10, 3, "PATID=1  PATID=2"},
        {&kIcatViewBridge, 10, 3, "PATID=1  PATID=2"},
        {&kDexisBridge, 6, 1, "PN=1  PATID=2"},
        {&kIntegratorBridge, 5, 0, "PN=1  PATID=2"},
        {&kEasydentBridge, 1, 0, ""},
        {&kEzdentiBridge, 1, 0, ""},
        {&kDbswinBridge, 1, 0, ""},
        {&kIdixelBridge, 1, 0, ""},
    };
    const PatientRecord patient{u"1\r\nPATID=2", u"Jo\rhn", u"Sm\nith", u"1980\n0521", u"M\r\n", u"T\r\nX"};
    fakes::FakeAnsi ansi;
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.bridge->shortName));
        const std::string bytes = plan(*c.bridge, patient, ansi).file->bytes;
        const auto lines = splitLines(bytes);
        ASSERT_EQ(lines.size(), c.lines);
        for (const auto& line : lines) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        if (!c.idLine.empty()) {
            EXPECT_EQ(lines[c.lineWithId], c.idLine);
        }
    }
}

TEST(ExchangeInjection, SeparatorsInValuesCannotShiftFields) {
    Cp1252 ansi;
    // The full-width forms become ';' and ',' only through the code page's best fit.
    const PatientRecord patient{u"1;2,3", u"Jo;hn,Jr", u"Sm；ith，x", u"1980,0;21", u"M", u""};
    const std::string dbswin = plan(kDbswinBridge, patient, ansi).file->bytes;
    EXPECT_EQ(dbswin, "Sm ith,x;Jo hn,Jr; 2.,0.1980;1 2,3;;;;;M;;\r\n");
    EXPECT_EQ(std::count(dbswin.begin(), dbswin.end(), ';'), 10);
    const std::string idixel = plan(kIdixelBridge, patient, ansi).file->bytes;
    EXPECT_EQ(idixel, "C,00000001;2 3,,,Jo;hn Jr Sm;ith x,1,1980 0;21,\r\n");
    EXPECT_EQ(std::count(idixel.begin(), idixel.end(), ','), 7);
}

TEST(ExchangeXml, MarkupInValuesIsEscapedAndPlainValuesStayAsTheyAre) {
    struct Case {
        PatientRecord patient;
        std::string line;
    };
    const Case cases[] = {
        {{u"12&3", u"A <b>", u"O\"Neil", u"19800521", u"F", u""},
         "<LinkageParameter><Patient LastName=\"O&quot;Neil\" FirstName=\"A &lt;b&gt;\" ChartNumber=\"12&amp;3\">"
         "<Birthday>21/05/1980</Birthday><Gender>Female</Gender></Patient></LinkageParameter>"},
        // A full-width '<' becomes one only through best fit; control characters are not allowed in XML.
        {{u"1\x01"
          u"2",
          u"O'Hara\t", u"\uFF1C", u"1980&<\"9", u"\uFF06", u""},
         "<LinkageParameter><Patient LastName=\"&lt;\" FirstName=\"O'Hara\t\" ChartNumber=\"1 2\">"
         "<Birthday>&quot;9/&amp;&lt;/1980</Birthday><Gender>&amp;</Gender></Patient></LinkageParameter>"},
    };
    Cp1252 ansi;
    for (const auto& c : cases) {
        EXPECT_EQ(plan(kEasydentBridge, c.patient, ansi).file->bytes, c.line + "\r\n");
        EXPECT_EQ(plan(kEzdentiBridge, c.patient, ansi).file->bytes, c.line + "\r\n");
    }
}

}  // namespace
}  // namespace veltrane::imaging
