#include "platform/common/dry_run/dry_run_services.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes/fake_platform.h"
#include "platform/common/dry_run/dry_run_printing.h"

namespace veltrane {
namespace {

using namespace platform::dry_run;

// Captures what the writer writes.
struct Capture {
    std::ostringstream stream;
    EffectWriter printer{stream};
    std::string text() const { return stream.str(); }
};

TEST(DryRun, PrintsEachEffectAsOneJsonLineInOrder) {
    Capture out;
    std::ostringstream notes;
    DryRunLauncher launcher(out.printer);
    DryRunFiles files(out.printer, notes);
    DryRunClipboard clipboard(out.printer);

    files.writeWholeFile(u"/srv/x/patinfo.txt", std::string("A\r\nB\xE9\r\n"));
    platform::LaunchRequest request;
    request.file = u"C:\\Suni\\DrSuni.exe";
    request.parameters = u"/p\"Berg, Anna::::1042::01-02-80::F\"";
    launcher.launch(request);
    // The log is not written: its lines are told on the notes, one by one.
    files.appendToFile(u"/shared/clienttools.log", "09.12.2026 10:00:00: line\r\n09.12.2026 10:00:01: two\r\n");
    clipboard.setText(u"$$DFWIN$$ OPEN -n\"Zoë\" -c\"1042\" -r -a");

    EXPECT_EQ(out.text(),
              "{\"effect\":\"file\",\"path\":\"/srv/x/patinfo.txt\",\"content_base64\":\"QQ0KQukNCg==\"}\n"
              "{\"effect\":\"launch\",\"verb\":\"open\",\"file\":\"C:\\\\Suni\\\\DrSuni.exe\","
              "\"parameters\":\"/p\\\"Berg, Anna::::1042::01-02-80::F\\\"\",\"directory\":\"\",\"showCommand\":1}\n"
              "{\"effect\":\"clipboard\",\"text\":\"$$DFWIN$$ OPEN -n\\\"Zoë\\\" -c\\\"1042\\\" -r -a\"}\n");
    EXPECT_EQ(notes.str(), "log: 09.12.2026 10:00:00: line\nlog: 09.12.2026 10:00:01: two\n");
}

// The dry run's own writes are listed and read back with their types; a shown key prints them, a silent one
// does not; the real registry never sees them.
TEST(DryRun, OverlaidKeysKeepTypedWritesInTheProcess) {
    Capture out;
    fakes::FakeRegistry real;
    real.setString(u"\\Shown", u"old", u"1");
    DryRunRegistry registry(real, out.printer, {{u"\\Shown", "page-setup"}, {u"\\Silent", ""}});

    auto shown = registry.openKey(u"\\Shown", true);
    shown->setValues(
        {{u"header", {platform::RegType::Sz, {'H', 0, 0, 0}}}, {u"count", {platform::RegType::Dword, {1, 0, 0, 0}}}});
    EXPECT_EQ(shown->valueNames(), (std::vector<std::u16string>{u"old", u"count", u"header"}));
    EXPECT_EQ(shown->queryValue(u"count")->type, platform::RegType::Dword);
    EXPECT_EQ(registry.openKey(u"\\Silent", false), nullptr) << "a key nobody made does not exist";
    registry.openKey(u"\\Silent", true)->setValues({{u"owner", {platform::RegType::Sz, {'x', 0, 0, 0}}}});
    EXPECT_EQ(registry.openKey(u"\\Silent", false)->valueNames(), std::vector<std::u16string>{u"owner"});

    EXPECT_EQ(out.text(),
              "{\"effect\":\"page-setup\",\"name\":\"header\",\"value\":\"H\"}\n"
              "{\"effect\":\"page-setup\",\"name\":\"count\",\"data_base64\":\"AQAAAA==\",\"type\":4}\n");
    EXPECT_TRUE(real.writeLog.empty());
    EXPECT_FALSE(real.keys.count(u"\\Silent"));
}

TEST(DryRun, JsonStringsEscapeWhatJsonRequires) {
    struct Case {
        std::u16string text;
        std::string json;
    };
    const Case cases[] = {
        {u"", "\"\""},
        {u"plain / text", "\"plain / text\""},
        {u"q\"b\\", "\"q\\\"b\\\\\""},
        {u"\n\r\t\b\f", "\"\\n\\r\\t\\b\\f\""},
        {std::u16string{u'\x01', u'\x1f', u'\x7f'}, "\"\\u0001\\u001f\x7f\""},
        {u"Łódź €", "\"Łódź €\""},
        {std::u16string{u'a', char16_t(0xD800), u'b'},
         "\"a\xEF\xBF\xBD"
         "b\""},  // a lone surrogate
        {std::u16string(1, u'\0'), "\"\\u0000\""},
    };
    for (const auto& c : cases) EXPECT_EQ(jsonString(c.text), c.json);
}

TEST(DryRun, Base64OfExactBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xFF\x00\xFE", 3), "/wD+"},
    };
    for (const auto& [bytes, encoded] : cases) EXPECT_EQ(base64(bytes), encoded);
}

}  // namespace
}  // namespace veltrane
