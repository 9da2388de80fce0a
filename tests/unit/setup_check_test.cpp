#include "app/setup_check.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/text.h"
#include "fakes/fake_platform.h"

namespace veltrane::app {
namespace {

using fakes::kVeltraneKey;

// A workstation whose programs, folders, server and log are what the test says; records what it was asked.
class FakeProbe final : public platform::SetupProbe {
public:
    std::set<std::u16string> programs;           // programs that can be started
    std::set<std::u16string> writableFolders;
    std::map<std::u16string, std::string> servers;  // server -> why silent ("" answers)
    std::string logWhy;
    std::vector<std::string> asked;

    std::string whyNotStartable(const platform::LaunchRequest& request) override {
        asked.push_back("program " + utf16ToUtf8(request.file) + " " + utf16ToUtf8(request.parameters));
        return programs.count(request.file) ? "" : "not found";
    }
    std::string whyFolderNotWritable(const std::u16string& folder) override {
        asked.push_back("folder " + utf16ToUtf8(folder));
        return writableFolders.count(folder) ? "" : "Permission denied";
    }
    std::string whyServerSilent(const std::u16string& server, bool tls, int timeoutMs) override {
        asked.push_back("server " + utf16ToUtf8(server) + (tls ? " tls " : " ") + std::to_string(timeoutMs));
        const auto found = servers.find(server);
        return found == servers.end() ? "Connection refused" : found->second;
    }
    std::string whyLogUnusable(const std::u16string& path) override {
        asked.push_back("log " + utf16ToUtf8(path));
        return logWhy;
    }
};

struct Station {
    fakes::FakePlatform p;
    FakeProbe probe;
    settings::SettingsStore store{p.bundle.registry};

    void setting(const std::u16string& name, const std::u16string& value) {
        p.registry.setString(kVeltraneKey, name, value);
    }
    // A set-up with nothing wrong: one command-line system, one exchange-file system, both printers, the server.
    void goodSetup() {
        setting(u"dentaleye_enabled", u"True");
        setting(u"dentaleye_program", u"/opt/dentaleye/");
        probe.programs.insert(u"/opt/dentaleye/cmdlink.exe");
        setting(u"dexis_enabled", u"True");
        setting(u"dexis_program", u"/opt/dexis/");
        probe.programs.insert(u"/opt/dexis/dexis.exe");
        probe.writableFolders.insert(u"/opt/dexis");  // where the bridge writes its exchange file
        setting(u"apptcard_printer", u"Zebra");
        setting(u"receipt_printer", u"Receipts");
        p.printers.names = {u"Office", u"Zebra", u"Receipts"};
        setting(u"server_ip", u"practice.example:8080");
        probe.servers[u"practice.example:8080"] = "";
    }
    std::string lines(const SetupReport& report) {
        std::string out;
        for (const auto& line : report.lines) out += line + "\n";
        return out;
    }
};

TEST(SetupCheck, AGoodSetUpIsAllWellAndSaysWhatWasChecked) {
    Station t;
    t.goodSetup();
    const SetupReport report = checkSetup(t.store, t.p.bundle, t.probe);
    EXPECT_TRUE(report.allWell) << t.lines(report);
    EXPECT_EQ(t.lines(report),
              "ok: DentalEye: program /opt/dentaleye/cmdlink.exe can be started\n"
              "ok: Dexis: exchange folder /opt/dexis can be written\n"
              "ok: Dexis: program /opt/dexis/dexis.exe can be started\n"
              "ok: appointment card printer Zebra is installed\n"
              "ok: receipt printer Receipts is installed\n"
              "ok: practice server http://practice.example:8080/ answers\n"
              "ok: shared log " + utf16ToUtf8(t.p.logPath()) + " can be written\n");
    // The server gets a few seconds, no more; the log is the one the program writes.
    EXPECT_EQ(t.probe.asked.at(t.probe.asked.size() - 2), "server practice.example:8080 " + std::to_string(kServerAnswerMs));
    EXPECT_LE(kServerAnswerMs, 5000);
    EXPECT_EQ(t.probe.asked.back(), "log " + utf16ToUtf8(t.p.logPath()));
    // No patient data: the stand-in patient's id and names go to the bridge only.
    for (const auto& line : report.lines) EXPECT_EQ(line.find("Check"), std::string::npos) << line;
}

TEST(SetupCheck, EachFaultIsOneProblemLineAndTheReportFails) {
    struct Case {
        const char* fault;
        std::function<void(Station&)> make;
        std::string line;
    };
    const std::string logPath = utf16ToUtf8(Station().p.logPath());  // with this platform's delimiter
    const Case cases[] = {
        {"program missing", [](Station& t) { t.probe.programs.erase(u"/opt/dentaleye/cmdlink.exe"); },
         "PROBLEM: DentalEye: program /opt/dentaleye/cmdlink.exe cannot be started: not found"},
        {"printer not installed", [](Station& t) { t.p.printers.names = {u"Office", u"Zebra"}; },
         "PROBLEM: receipt printer Receipts is not installed"},
        {"server silent", [](Station& t) { t.probe.servers[u"practice.example:8080"] = "no answer within 4 seconds"; },
         "PROBLEM: practice server http://practice.example:8080/ does not answer: no answer within 4 seconds"},
        {"https server",
         [](Station& t) {
             t.setting(u"server_ssl", u"True");
             t.probe.servers[u"practice.example:8080"] = "no connection within 4 seconds";
         },
         "PROBLEM: practice server https://practice.example:8080/ does not answer: no connection within 4 seconds"},
        {"ssl setting unreadable", [](Station& t) { t.setting(u"server_ssl", u"maybe"); },
         "PROBLEM: practice server http://practice.example:8080/ does not answer: its SSL setting cannot be read: "
         "'maybe' is not a valid boolean value"},
        {"no server", [](Station& t) { t.setting(u"server_ip", u""); },
         "PROBLEM: practice server is not stored: start the program once with -s SERVER"},
        {"log", [](Station& t) { t.probe.logWhy = "/shared/clienttools.log is not owned by root"; },
         "PROBLEM: shared log " + logPath + " cannot be written: /shared/clienttools.log is not owned by root"},
        {"settings refused by the bridge", [](Station& t) { t.setting(u"dentaleye_program", u"/opt/x.bat&/"); }, ""},
    };
    for (const auto& c : cases) {
        Station t;
        t.goodSetup();
        c.make(t);
        const SetupReport report = checkSetup(t.store, t.p.bundle, t.probe);
        EXPECT_FALSE(report.allWell) << c.fault;
        std::size_t problems = 0;
        for (const auto& line : report.lines) problems += line.rfind("PROBLEM: ", 0) == 0;
        EXPECT_EQ(problems, 1u) << c.fault << "\n" << t.lines(report);
        if (!c.line.empty()) {
            EXPECT_NE(t.lines(report).find(c.line + "\n"), std::string::npos) << c.fault << "\n" << t.lines(report);
        }
    }
}

TEST(SetupCheck, NothingSetUpYetIsSaidAndNotAFaultWhereNothingIsNeeded) {
    Station t;
    SetupReport report = checkSetup(t.store, t.p.bundle, t.probe);
    EXPECT_FALSE(report.allWell);
    EXPECT_EQ(report.lines.front(),
              "PROBLEM: the program has no settings yet: start it once with -s SERVER and set it up");
    // A key with only a server: no imaging and no printers chosen are choices, not faults.
    t.setting(u"server_ip", u"srv");
    t.probe.servers[u"srv"] = "";
    report = checkSetup(t.store, t.p.bundle, t.probe);
    EXPECT_TRUE(report.allWell) << t.lines(report);
    EXPECT_EQ(report.lines.front(), "ok: imaging: no imaging system is enabled");
}

}  // namespace
}  // namespace veltrane::app
