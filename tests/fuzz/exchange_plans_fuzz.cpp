// Any patient values, settings and computer name: every exchange file keeps its framing (line count, fields,
// well-formed XML, Sidexis records that parse back).

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "fakes/best_fit_ansi.h"
#include "imaging/bridges/exchange_file_bridges.h"

namespace {

using namespace veltrane;
using namespace veltrane::imaging;

#define CHECK(condition)                                                                \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "check failed: %s (line %d)\n", #condition, __LINE__); \
            std::abort();                                                               \
        }                                                                               \
    } while (0)

// Multi-byte characters, as under an East Asian or UTF-8 code page.
class MultiByte final : public platform::AnsiCodec {
public:
    int codePage() const override { return 65001; }
    std::string encode(std::u16string_view text, bool) override { return utf16ToUtf8(text); }
    std::u16string decode(std::string_view) override { return {}; }
};

struct Shape {
    const BridgeDefinition* bridge;
    std::vector<std::string> linePrefixes;  // line-based files: each line's fixed start
};

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> all{
        {&kScanoraBridge,
         {"[PracticeManagementInterface]", "CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY = 1", "USE_PRACTICE_MANAGEMENT = 1",
          "PATID=", "PATLNAME=", "PATMNAME=0", "PATFNAME=", "PATBD=", "PROVIDER1 = 0", "PROVIDER2 = 0", "ADDRESS1 = 0",
          "ADDRESS2 = 0", "CITY = 0", "STATE = 0", "ZIP = 0", "HOMEPHONE = 0", "WORKPHONE = 0", "EMAIL1 = 0"}},
        {&kCliniviewBridge,
         {"[PracticeManagementInterface]", "CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY = 1", "USE_PRACTICE_MANAGEMENT = 1",
          "PATID=", "PATLNAME=", "PATMNAME=0", "PATFNAME=", "PATBD=", "PROVIDER1 = 0", "PROVIDER2 = 0", "ADDRESS1 = 0",
          "ADDRESS2 = 0", "CITY = 0", "STATE = 0", "ZIP = 0", "HOMEPHONE = 0", "WORKPHONE = 0", "EMAIL1 = 0"}},
        {&kIcatRegBridge,
         {"[PATIENT]", "BVS=KAVO_3DeXam", "PVS=VELTRANE",
          "PATID=", "LASTNAME=", "FIRSTNAME=", "BIRTHDAY=", "SEX=", "READY=0", "ERRORLEVEL=0"}},
        {&kIcatViewBridge,
         {"[PATIENT]", "BVS=KAVO_3DeXam", "PVS=VELTRANE",
          "PATID=", "LASTNAME=", "FIRSTNAME=", "BIRTHDAY=", "SEX=", "READY=0", "ERRORLEVEL=0"}},
        {&kDexisBridge, {"", "PN=", "LN=", "FN=", "BD=", "SX="}},
        {&kIntegratorBridge, {"PN=", "LN=", "FN=", "BD=", "SX="}},
        {&kDbswinBridge, {""}},
        {&kIdixelBridge, {"C,"}},
        {&kEasydentBridge, {"<LinkageParameter><Patient LastName=\""}},
        {&kEzdentiBridge, {"<LinkageParameter><Patient LastName=\""}},
        {&kSironaBridge, {}},
    };
    return all;
}

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        out.push_back(bytes.substr(start, end - start));
    }
    CHECK(start == bytes.size());
    for (const auto& line : out) CHECK(line.find_first_of("\r\n") == std::string::npos);
    return out;
}

// A small well-formedness check: one root element, nested tags, double-quoted attributes, only predefined entity
// references, no raw '<' or '&' in text, and no control characters but tab.
void checkWellFormedXml(const std::string& xml) {
    std::vector<std::string> open;
    bool rootClosed = false;
    std::size_t i = 0;
    auto checkEntity = [&](std::size_t at) {
        for (const char* entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
            if (xml.compare(at, std::char_traits<char>::length(entity), entity) == 0) return;
        }
        CHECK(false && "unknown entity reference");
    };
    auto checkChar = [&](char c) { CHECK(static_cast<unsigned char>(c) >= 0x20 || c == '\t'); };
    auto name = [&] {
        const std::size_t start = i;
        while (i < xml.size() && (std::isalnum(static_cast<unsigned char>(xml[i])) || xml[i] == '_')) ++i;
        CHECK(i > start);
        return xml.substr(start, i - start);
    };
    while (i < xml.size()) {
        if (xml[i] != '<') {
            CHECK(!open.empty());  // no text outside the root
            if (xml[i] == '&') checkEntity(i);
            CHECK(xml[i] != '>');
            checkChar(xml[i++]);
            continue;
        }
        ++i;
        if (i < xml.size() && xml[i] == '/') {
            ++i;
            const std::string tag = name();
            CHECK(i < xml.size() && xml[i] == '>');
            ++i;
            CHECK(!open.empty() && open.back() == tag);
            open.pop_back();
            rootClosed = open.empty();
            continue;
        }
        CHECK(!rootClosed);
        open.push_back(name());
        while (i < xml.size() && xml[i] == ' ') {
            ++i;
            name();
            CHECK(i + 1 < xml.size() && xml[i] == '=' && xml[i + 1] == '"');
            i += 2;
            for (; i < xml.size() && xml[i] != '"'; ++i) {
                CHECK(xml[i] != '<');
                if (xml[i] == '&') checkEntity(i);
                checkChar(xml[i]);
            }
            CHECK(i < xml.size());
            ++i;
        }
        CHECK(i < xml.size() && xml[i] == '>');
        ++i;
    }
    CHECK(rootClosed && open.empty());
}

// Sidexis: three records U, N, A with 4, 5 and 7 zero-led fields and four closing zeros.
void checkSidexis(const std::string& bytes) {
    std::vector<std::string> bodies;
    CHECK(parseSidexisRecords(bytes, &bodies));
    CHECK(bodies.size() == 3);
    const char types[] = {'U', 'N', 'A'};
    const std::size_t fields[] = {4, 5, 7};
    for (std::size_t r = 0; r < 3; ++r) {
        const std::string& body = bodies[r];
        CHECK(body.size() >= 5 && body[0] == types[r]);
        CHECK(body.compare(body.size() - 4, 4, std::string(4, '\0')) == 0);
        const std::string inner = body.substr(1, body.size() - 5);
        CHECK(static_cast<std::size_t>(std::count(inner.begin(), inner.end(), '\0')) == fields[r]);
        CHECK(inner.empty() || inner[0] == '\0');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const Shape& shape = shapes()[data[0] % shapes().size()];
    fakes::BestFitAnsi singleByte;  // full-width forms fit their ASCII letters: separators through the code page
    MultiByte multiByte;
    platform::AnsiCodec& ansi = data[1] % 2 ? static_cast<platform::AnsiCodec&>(multiByte) : singleByte;

    // The rest: patient fields, computer name and settings values, separated by 0xFE (never valid UTF-8).
    std::vector<std::u16string> pieces;
    std::string piece;
    for (std::size_t i = 2; i < size; ++i) {
        if (data[i] == 0xFE) {
            pieces.push_back(utf8ToUtf16(piece));
            piece.clear();
        } else {
            piece.push_back(static_cast<char>(data[i]));
        }
    }
    pieces.push_back(utf8ToUtf16(piece));
    pieces.resize(10 + shape.bridge->settingNames.size());

    PatientRecord patient{pieces[0], pieces[1], pieces[2], pieces[3], pieces[4], pieces[5]};
    BridgeSettings settings;
    for (std::size_t s = 0; s < shape.bridge->settingNames.size(); ++s) {
        settings[shape.bridge->settingNames[s]] = pieces[10 + s];
    }
    BridgeContext context{ansi, pieces[6], {2024, 3, 5, 14, 7, 9, 0}};

    BridgePlan plan;
    try {
        plan = shape.bridge->plan(settings, patient, context);
    } catch (const Error&) {
        CHECK(shape.bridge == &kSironaBridge && size > 65000);  // only an oversized Sidexis record is refused
        return 0;
    }
    CHECK(plan.file.has_value());
    CHECK(plan.launch.has_value() == (shape.bridge != &kIntegratorBridge));
    const std::string& bytes = plan.file->bytes;

    if (shape.bridge == &kSironaBridge) {
        checkSidexis(bytes);
        return 0;
    }
    const auto fileLines = lines(bytes);
    if (shape.bridge == &kEasydentBridge || shape.bridge == &kEzdentiBridge) {
        CHECK(fileLines.size() == 1);
        checkWellFormedXml(fileLines[0]);
        return 0;
    }
    CHECK(fileLines.size() == shape.linePrefixes.size());
    for (std::size_t l = 0; l < fileLines.size(); ++l) CHECK(fileLines[l].rfind(shape.linePrefixes[l], 0) == 0);
    if (shape.bridge == &kDexisBridge) CHECK(!fileLines[0].empty() && fileLines[0].back() == ')');
    if (shape.bridge == &kDbswinBridge) CHECK(std::count(bytes.begin(), bytes.end(), ';') == 10);
    if (shape.bridge == &kIdixelBridge) CHECK(std::count(bytes.begin(), bytes.end(), ',') == 7);
    return 0;
}
