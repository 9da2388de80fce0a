#include <gtest/gtest.h>

#include "app/tform1.h"
#include "base/error.h"
#include "fakes/fake_platform.h"
#include "imaging/bridge_executor.h"
#include "imaging/bridges/command_line_bridges.h"

namespace veltrane {
namespace {

using fakes::kVeltraneKey;

const std::u16string kRequest = u"/tmp/request.ini";

struct ImagingFixture : ::testing::Test {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};

    ImagingFixture() {
        p.enableLog();
        p.commandLine.args = {u"prog", u"-x", kRequest};
        setRequest(u"settings", u"action", u"images");
        setRequest(u"settings", u"patient_id", u"1042");
        setRequest(u"settings", u"forenames", u"Anna");
        setRequest(u"settings", u"surname", u"Berg");
        setRequest(u"settings", u"dob", u"19800102");
        setRequest(u"settings", u"gender", u"F");
        setRequest(u"settings", u"title", u"Mrs");
    }
    void setRequest(const std::u16string& section, const std::u16string& key, const std::u16string& value) {
        p.ini.set(kRequest, section, key, value);
    }
    void setting(const std::u16string& name, const std::u16string& value) {
        p.registry.setString(kVeltraneKey, name, value);
    }
    // Runs start-up; returns the exit code when the process would have ended.
    std::optional<int> start() {
        try {
            form.FormCreate();
        } catch (const fakes::ProcessExited& e) {
            return e.code;
        }
        return std::nullopt;
    }
    std::vector<std::string> launchedParameters() const {
        std::vector<std::string> out;
        for (const auto& r : p.launcher.launched) out.push_back(utf16ToUtf8(r.file + u"|" + r.parameters));
        return out;
    }
    std::vector<std::string> linesFrom(const std::string& first) const {
        auto lines = p.logLines();
        auto it = std::find(lines.begin(), lines.end(), first);
        return {it, lines.end()};
    }
};

TEST_F(ImagingFixture, OneEnabledSystemRunsAtOnceAndEndsTheProcess) {
    setting(u"dentaleye_enabled", u"True");
    setting(u"dentaleye_program", u"/opt/de/");
    setting(u"trophy_enabled", u"true");  // only the exact text counts
    EXPECT_EQ(start(), 0);
    EXPECT_EQ(launchedParameters(),
              std::vector<std::string>{"/opt/de/cmdlink.exe|/ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F"});
    EXPECT_EQ(form.Label4.Caption, u"dentaleye:1042");
    EXPECT_EQ(form.PageControl1.ActivePageIndex, 0);
    EXPECT_TRUE(form.FlowPanel1.Buttons.empty());
    EXPECT_EQ(linesFrom("images"), (std::vector<std::string>{"images", "Start loading imaging dentaleye",
                                                             "resetProgram", "*** Done resetProgram + close ***"}));
}

// A program that cannot be started is said, logged as one line, and the exit code says so; a later run that
// works (the user picks again) ends the process as a success.
TEST_F(ImagingFixture, ABridgeThatCannotStartItsProgramIsSaidLoggedAndEndsInFailure) {
    setting(u"dentaleye_enabled", u"True");
    setting(u"dentaleye_program", u"/opt/de/");
    p.launcher.failWith = "File not found";
    try {
        start();
        FAIL() << "the failure passed in silence";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "File not found\nDentalEye: cannot start /opt/de/cmdlink.exe");
    }
    EXPECT_EQ(linesFrom("images"),
              (std::vector<std::string>{"images", "Start loading imaging dentaleye",
                                        "Imaging dentaleye failed: File not found - DentalEye: cannot start "
                                        "/opt/de/cmdlink.exe"}));
    // The window stays; DONE then ends the process with the failure's code.
    try {
        form.ColorButton1Click();
        FAIL() << "DONE did not end the process";
    } catch (const fakes::ProcessExited& e) {
        EXPECT_EQ(e.code, 1);
    }
    // Picked again once the program is there: a success.
    p.launcher.failWith.reset();
    try {
        form.imagingButtonClick(u"DentalEye");
        FAIL() << "the run did not end the process";
    } catch (const fakes::ProcessExited& e) {
        EXPECT_EQ(e.code, 0);
    }
}

TEST_F(ImagingFixture, NoEnabledSystemTellsTheUser) {
    for (auto name : {u"dbswin_enabled", u"dexis_enabled", u"digora_enabled", u"icat_enabled"}) setting(name, u"true");
    setting(u"vixwin_enabled", u"1");
    EXPECT_EQ(start(), std::nullopt);
    ASSERT_EQ(p.dialogs.shown.size(), 1u);
    EXPECT_EQ(p.dialogs.shown[0].text, u"No imaging system set");
    EXPECT_FALSE(p.dialogs.shown[0].error);
    EXPECT_EQ(p.dialogs.shown[0].placement, platform::MessagePlacement::Default);
    EXPECT_EQ(form.PageControl1.ActivePageIndex, 0);
    EXPECT_TRUE(p.launcher.launched.empty());
}

TEST_F(ImagingFixture, WithoutASettingsKeyTheRequestDoesNothing) {
    // The key is created by the first log line unless creating it is refused.
    p.registry.keys.clear();
    p.registry.refuseCreate = true;
    EXPECT_EQ(start(), std::nullopt);
    EXPECT_TRUE(p.dialogs.shown.empty());
    EXPECT_TRUE(p.launcher.launched.empty());
    EXPECT_EQ(form.Label4.Caption, u"---");
}

TEST_F(ImagingFixture, SeveralSystemsShowButtonsInScanOrder) {
    // Catalogue order is MediaDent before VixWin; the scan puts VixWin first.
    for (const std::u16string autoload : {u"", u"False", u"true"}) {
        fakes::FakePlatform q;
        q.ini = p.ini;
        q.commandLine.args = p.commandLine.args;
        q.enableLog();
        q.registry.setString(kVeltraneKey, u"mediadent_enabled", u"True");
        q.registry.setString(kVeltraneKey, u"vixwin_enabled", u"True");
        if (!autoload.empty()) q.registry.setString(kVeltraneKey, u"imaging_autoload", autoload);
        app::TForm1 f(q.bundle);
        f.FormCreate();
        EXPECT_EQ(f.PageControl1.ActivePageIndex, 3);
        ASSERT_EQ(f.FlowPanel1.Buttons.size(), 2u);
        EXPECT_EQ(f.FlowPanel1.Buttons[0].Caption, u"VixWin");
        EXPECT_EQ(f.FlowPanel1.Buttons[1].Caption, u"MediaDent");
        for (const auto& b : f.FlowPanel1.Buttons) {
            EXPECT_EQ(b.Height, 60);
            EXPECT_EQ(b.Width, 543);
            EXPECT_EQ(b.FontSize, 30);
            EXPECT_TRUE(b.FontBold);
        }
        EXPECT_TRUE(q.launcher.launched.empty());
        auto lines = q.logLines();
        EXPECT_EQ(lines.back(), "More than one imaging system, show the selection");
    }
}

TEST_F(ImagingFixture, AutomaticLoadOpensEverySystemThenEnds) {
    setting(u"mediadent_enabled", u"True");
    setting(u"vixwin_enabled", u"True");
    setting(u"romexis_enabled", u"True");
    setting(u"romexis_program", u"/opt/rx/romexis");
    setting(u"imaging_autoload", u"True");
    setRequest(u"IMAGING", u"ROMEXIS", u"R-7");  // names ignore letter case
    setRequest(u"imaging", u"vixwin", u"");      // an empty override keeps patient_id
    EXPECT_EQ(start(), 0);
    EXPECT_EQ(launchedParameters(),
              (std::vector<std::string>{"vixwin.exe|-I 1042 -N Anna^Berg -P ",
                                        "mediadent.exe|/PAnna Berg /F\\1042 /B02011980",
                                        "/opt/rx/romexis|\"R-7\" \"Berg\" \"Anna\" \"19800102\""}));
    EXPECT_EQ(form.FlowPanel1.Buttons.size(), 3u);
    EXPECT_EQ(form.Label4.Caption, u"romexis:R-7");
    EXPECT_EQ(form.Memo1.Lines.back(), u"/opt/rx/romexis \"R-7\" \"Berg\" \"Anna\" \"19800102\"");
    EXPECT_EQ(linesFrom("images"),
              (std::vector<std::string>{"images", "More than one imaging system, load them all",
                                        "Start loading imaging vixwin", "Start loading imaging mediadent",
                                        "Start loading imaging romexis", "resetProgram",
                                        "*** Done resetProgram + close ***"}));
}

TEST_F(ImagingFixture, ABridgeErrorStopsTheAutomaticLoadButNotTheProcess) {
    setting(u"dicom_enabled", u"True");
    setting(u"dicom_idpad", u"abc");
    setting(u"myray_enabled", u"True");
    setting(u"imaging_autoload", u"True");
    try {
        start();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "'abc' is not a valid integer value");
    }
    EXPECT_TRUE(p.launcher.launched.empty());
    EXPECT_EQ(form.FlowPanel1.Buttons.size(), 1u);  // myRay was never reached
    EXPECT_EQ(form.Label4.Caption, u"dicom:1042");
}

TEST_F(ImagingFixture, ANonTextEnabledValueStopsTheSelection) {
    setting(u"myray_enabled", u"True");
    p.registry.setRaw(kVeltraneKey, u"dentaleye_enabled", platform::RegType::Dword, {1, 0, 0, 0});
    try {
        start();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Invalid data type for 'dentaleye_enabled'");
    }
    EXPECT_TRUE(p.launcher.launched.empty());
}

TEST_F(ImagingFixture, ButtonClickRunsTheChosenSystemOnly) {
    setting(u"suni_enabled", u"True");
    setting(u"suni_program", u"/opt/suni/");
    setting(u"acteon_enabled", u"True");
    EXPECT_EQ(start(), std::nullopt);
    ASSERT_EQ(form.FlowPanel1.Buttons.size(), 2u);
    ASSERT_EQ(form.FlowPanel1.Buttons[0].Caption, u"Dr Suni");
    try {
        form.imagingButtonClick(std::size_t{0});
        FAIL() << "the process did not end";
    } catch (const fakes::ProcessExited& e) {
        EXPECT_EQ(e.code, 0);
    }
    EXPECT_EQ(launchedParameters(),
              std::vector<std::string>{"/opt/suni/DrSuni.exe|/p\"Berg, Anna::::1042::01-02-80::F\""});
    EXPECT_EQ(form.Memo1.Lines.back(), u"/opt/suni/DrSuni.exe /p\"Berg, Anna::::1042::01-02-80::F\"");
    // The caption is matched without regard to letter case.
    EXPECT_THROW(form.imagingButtonClick(u"ACTEON"), fakes::ProcessExited);
    EXPECT_EQ(p.launcher.launched.back().parameters, u"1042 \"Berg\" \"Anna\" \"19800102\"");
    EXPECT_THROW(form.imagingButtonClick(std::size_t{7}), Error);
}

TEST_F(ImagingFixture, ShortNamesWithoutAnEffectStillEndTheLastRun) {
    form.FormCreate();
    for (const std::u16string name : {u"apexnrg", u"nosuchsystem"}) {
        EXPECT_THROW(form.loadImaging(name, 0, 0), fakes::ProcessExited);
        EXPECT_EQ(form.Label4.Caption, name + u":1042");
    }
    form.loadImaging(u"apexnrg", 0, 1);  // not the last run: returns
    EXPECT_TRUE(p.launcher.launched.empty());
    EXPECT_TRUE(p.clipboard.texts.empty());
}

TEST_F(ImagingFixture, AMissingRequestFileGivesEmptyValues) {
    setting(u"vixwin_program", u"/v/");
    form.iniFileName = u"/nowhere.ini";
    EXPECT_THROW(form.loadImaging(u"vixwin", 0, 0), fakes::ProcessExited);
    EXPECT_EQ(launchedParameters(), std::vector<std::string>{"/v/vixwin.exe|-I  -N ^ -P "});
    EXPECT_EQ(form.Label4.Caption, u"vixwin:");
}

TEST_F(ImagingFixture, DigoraGetsTheTitleAndAClipboardFailureKeepsTheProgramRunning) {
    form.FormCreate();
    setting(u"digora_nameformat", u"1");
    EXPECT_THROW(form.loadImaging(u"digora", 0, 0), fakes::ProcessExited);
    EXPECT_EQ(p.clipboard.texts, std::vector<std::u16string>{u"$$DFWIN$$ OPEN -n\"Mrs Anna Berg\" -c\"1042\" -r -a"});
    p.clipboard.failWith = "Cannot open clipboard: busy";
    EXPECT_THROW(form.loadImaging(u"digora", 0, 0), Error);  // no ProcessExited: the window stays
}

TEST_F(ImagingFixture, ABridgeWithoutSettingsKeyHasNoEffect) {
    p.registry.keys.clear();
    form.runBridge(imaging::kRomexisBridge, {u"1", u"A", u"B", u"", u"", u""});
    EXPECT_TRUE(p.launcher.launched.empty());
    EXPECT_TRUE(form.Memo1.Lines.empty());
    EXPECT_TRUE(p.registry.keys.empty());  // opened only, never created
}

TEST_F(ImagingFixture, ANonTextBridgeSettingEndsTheRunBeforeAnyEffect) {
    p.registry.setRaw(kVeltraneKey, u"romexis_program", platform::RegType::Binary, {1, 2});
    try {
        form.runBridge(imaging::kRomexisBridge, {u"1", u"A", u"B", u"", u"", u""});
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Invalid data type for 'romexis_program'");
    }
    EXPECT_TRUE(p.launcher.launched.empty());
    EXPECT_TRUE(form.Memo1.Lines.empty());
}

TEST(ExecutePlan, AFailureKeepsTheSystemsTextAndNamesTheSystemAndTheFileOrProgram) {
    struct Case {
        const char* what;
        std::optional<std::string> fileError, launchError, clipboardError;
        std::string message;
    };
    const Case cases[] = {
        {"file",
         "File access denied",
         {},
         {},
         "File access denied\nDexis: cannot write the exchange file /x/patient.txt"},
        // A second line of the system's own (a file's owner) stays, after the one that names the system.
        {"file with detail",
         "File access denied\n/x/patient.txt belongs to user mallory",
         {},
         {},
         "File access denied\nDexis: cannot write the exchange file /x/patient.txt\n/x/patient.txt belongs to user "
         "mallory"},
        {"program", {}, "File not found", {}, "File not found\nDexis: cannot start /x/p.exe"},
        {"clipboard",
         {},
         {},
         "Cannot open clipboard: busy",
         "Cannot open clipboard: busy\nDexis: cannot put the command on the clipboard"},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform p;
        imaging::BridgePlan plan;
        plan.file = imaging::ExchangeFile{u"/x/patient.txt", "A\r\n"};
        plan.launch = platform::LaunchRequest{0, u"open", u"/x/p.exe", u"/x/patient.txt", u"", 1};
        plan.clipboardText = u"OPEN";
        plan.traceLine = u"trace";
        p.files.failWith = c.fileError;
        p.launcher.failWith = c.launchError;
        p.clipboard.failWith = c.clipboardError;
        std::vector<std::u16string> memo;
        try {
            imaging::executePlan(plan, u"Dexis", p.bundle, memo);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message) << c.what;
        }
        EXPECT_TRUE(memo.empty()) << c.what;
        // A file that could not be written is never handed to a program.
        if (c.fileError) {
            EXPECT_TRUE(p.launcher.launched.empty()) << c.what;
        }
    }
}

TEST(ExecutePlan, AFileThatCannotBeWrittenStartsNothing) {
    fakes::FakePlatform p;
    imaging::BridgePlan plan;
    plan.file = imaging::ExchangeFile{u"/x/patient.txt", "A\r\n"};
    plan.launch = platform::LaunchRequest{0, u"open", u"/x/p.exe", u"/x/patient.txt", u"", 1};
    plan.traceLine = u"trace";
    std::vector<std::u16string> memo;
    p.files.failWith = "File access denied";
    EXPECT_THROW(imaging::executePlan(plan, u"Dexis", p.bundle, memo), Error);
    EXPECT_TRUE(p.launcher.launched.empty());
    EXPECT_TRUE(memo.empty());
    p.files.failWith.reset();
    imaging::executePlan(plan, u"Dexis", p.bundle, memo);
    EXPECT_EQ(p.files.operations, std::vector<std::u16string>{u"write:/x/patient.txt"});
    EXPECT_EQ(p.launcher.launched.size(), 1u);
    EXPECT_EQ(memo, std::vector<std::u16string>{u"trace"});
}

}  // namespace
}  // namespace veltrane
