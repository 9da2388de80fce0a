// A dry run of a print request shows the printer switch, the page-setup writes and the page request, and makes
// none of them.

#include <gtest/gtest.h>

#include <sstream>

#include "app/dry_run_keys.h"
#include "app/tform1.h"
#include "fakes/fake_platform.h"
#include "platform/common/dry_run/dry_run_platform.h"
#include "platform/printers.h"
#include "printing/page_setup.h"
#include "printing/restore_journal.h"

namespace veltrane {
namespace {

using fakes::kVeltraneKey;

TEST(DryRunPrinting, ShowsEveryChangeOfAPrintRequestAndMakesNone) {
    fakes::FakePlatform p;
    p.enableLog();
    p.printers.names = {u"Office", u"Zebra"};
    p.printers.defaultName = u"Office";
    p.registry.setString(kVeltraneKey, u"apptcard_printer", u"Zebra");
    p.registry.setString(kVeltraneKey, u"appt_type", u"Dedicated");
    p.registry.setString(printing::kPageSetupKeyPath, u"header", u"H \"quoted\"\t");
    p.ini.set(u"r.ini", u"settings", u"action", u"print");
    p.ini.set(u"r.ini", u"settings", u"type", u"apptcard");
    p.ini.set(u"r.ini", u"settings", u"patient_id", u"12 34");
    p.commandLine.args = {u"prog", u"-x", u"r.ini", u"-s", u"srv"};

    std::ostringstream out, notes;
    platform::dry_run::DryRunPlatform dryRun(p.bundle, out, notes, app::dryRunOverlaidKeys());
    app::TForm1 form(dryRun.platform());
    form.FormCreate();
    // No page to wait for: printed as if loaded, then ended as DONE ends it.
    EXPECT_THROW(form.finishDryRunPrint(), fakes::ProcessExited);

    const std::string usualMargins =
        "{\"effect\":\"page-setup\",\"name\":\"margin_bottom\",\"value\":\"0.750000\"}\n"
        "{\"effect\":\"page-setup\",\"name\":\"margin_top\",\"value\":\"0.750000\"}\n"
        "{\"effect\":\"page-setup\",\"name\":\"margin_left\",\"value\":\"0.750000\"}\n"
        "{\"effect\":\"page-setup\",\"name\":\"margin_right\",\"value\":\"0.750000\"}\n";
    EXPECT_EQ(out.str(),
              "{\"effect\":\"default-printer\",\"value\":\"Zebra,winspool,Ne00:\"}\n"
              // What was never stored gets the engine's usual values first, so DONE can put them back.
              "{\"effect\":\"page-setup\",\"name\":\"footer\",\"value\":\"&u&b&d\"}\n" +
                  usualMargins +
                  "{\"effect\":\"page-setup\",\"name\":\"margin_bottom\",\"value\":\"0\"}\n"
                  "{\"effect\":\"page-setup\",\"name\":\"margin_top\",\"value\":\"0\"}\n"
                  "{\"effect\":\"page-setup\",\"name\":\"margin_left\",\"value\":\"0\"}\n"
                  "{\"effect\":\"page-setup\",\"name\":\"margin_right\",\"value\":\"0\"}\n"
                  "{\"effect\":\"page-setup\",\"name\":\"header\",\"value\":\"\"}\n"
                  "{\"effect\":\"page-setup\",\"name\":\"footer\",\"value\":\"\"}\n"
                  "{\"effect\":\"navigate\",\"url\":\"http://srv/veltrane_docs/store/12%2034/apptcard.html\",\"flags\":4}\n"
                  "{\"effect\":\"print\",\"printer\":\"Zebra\",\"header\":\"\",\"footer\":\"\",\"margin_top\":\"0\","
                  "\"margin_bottom\":\"0\","
                  "\"margin_left\":\"0\",\"margin_right\":\"0\"}\n"
                  "{\"effect\":\"default-printer\",\"value\":\"Office,winspool,Ne00:\"}\n"
                  "{\"effect\":\"page-setup\",\"name\":\"footer\",\"value\":\"&u&b&d\"}\n"
                  "{\"effect\":\"page-setup\",\"name\":\"header\",\"value\":\"H \\\"quoted\\\"\\t\"}\n" +
                  usualMargins);
    // Nothing reached the workstation: no printer entry, no page-setup value, no journal, no stored server, no
    // log line.
    EXPECT_TRUE(p.printers.profileWrites.empty());
    EXPECT_EQ(p.printers.defaultName, u"Office");
    for (const auto& write : p.registry.writeLog) ADD_FAILURE() << "written: " << utf16ToUtf8(write);
    EXPECT_FALSE(p.registry.getString(kVeltraneKey, u"server_ip"));
    EXPECT_TRUE(p.logLines().empty());
    // The log's story is told instead, line by line, as a real run would write it.
    const std::string told = notes.str();
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 19);
    EXPECT_NE(told.find(": Initial set new printer to Zebra\n"), std::string::npos) << told;
    EXPECT_NE(told.find(": *** Done resetProgram + close ***\n"), std::string::npos) << told;
}

TEST(DeviceEntry, DeviceIsEverythingBeforeDriverAndPort) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"Zebra,,", u"Zebra"}, {u"A,B,,", u"A,B"}, {u"Zebra,drv,port", u"Zebra"}, {u"Zebra", u"Zebra"}, {u",,", u""}};
    for (const auto& [entry, device] : cases) EXPECT_EQ(platform::deviceOfEntry(entry), device);
}

}  // namespace
}  // namespace veltrane
