#include <gtest/gtest.h>

#include <optional>

#include "base/error.h"
#include "base/text.h"
#include "bridge_test_records.h"
#include "fakes/fake_platform.h"
#include "imaging/bridge_table.h"
#include "imaging/bridges/command_line_bridges.h"
#include "imaging/bridges/digora_clipboard.h"
#include "platform/common/windows_command_line.h"

namespace veltrane {
namespace {

using imaging::BridgeDefinition;
using imaging::BridgeSettings;
using imaging::PatientRecord;

using testing::kAnna;
using testing::with;

struct LaunchCase {
    const char* name;
    const BridgeDefinition& bridge;
    BridgeSettings settings;
    PatientRecord patient;
    std::u16string file;
    std::u16string parameters;
    std::optional<std::u16string> trace;
};

imaging::BridgePlan planOf(const BridgeDefinition& bridge, const BridgeSettings& settings, const PatientRecord& p) {
    fakes::FakeAnsi ansi;
    imaging::BridgeContext context{ansi, u"WS-1", {}};
    return bridge.plan(settings, p, context);
}

TEST(CommandLineBridges, BuildTheProductsCommandLines) {
    const std::u16string dt = u"/opt/img/";
    // clang-format off
    const LaunchCase cases[] = {
        // Slash switches.
        {"dentaleye", imaging::kDentaleyeBridge, {{u"dentaleye_program", dt}}, kAnna, dt + u"cmdlink.exe",
         u"/ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F", {}},
        {"dentaleye no dob", imaging::kDentaleyeBridge, {}, with(kAnna, &PatientRecord::dob, u""), u"cmdlink.exe",
         u"/ID=1042 /FN=Anna /LN=Berg /BD= /Sex=F", {}},
        {"schick padded", imaging::kDicomBridge, {{u"dicom_program", dt}, {u"dicom_idpad", u"6"}}, kAnna,
         dt + u"cdrstart.exe", u"/LastName Berg /FirstName Anna /IDNumber 001042 ", {}},
        {"schick no pad", imaging::kDicomBridge, {{u"dicom_idpad", u""}}, kAnna, u"cdrstart.exe",
         u"/LastName Berg /FirstName Anna /IDNumber 1042 ", {}},
        {"schick negative pad", imaging::kDicomBridge, {{u"dicom_idpad", u"-3"}}, kAnna, u"cdrstart.exe",
         u"/LastName Berg /FirstName Anna /IDNumber 1042 ", {}},
        {"schick never shortens", imaging::kDicomBridge, {{u"dicom_idpad", u"6"}},
         with(kAnna, &PatientRecord::patientId, u"1234567"), u"cdrstart.exe",
         u"/LastName Berg /FirstName Anna /IDNumber 1234567 ", {}},
        {"myray", imaging::kMyrayBridge, {{u"myray_program", dt}}, kAnna, dt + u"NNTBridge.exe",
         u"/PATID 1042 /name Anna /surname Berg /dateb 01,02,1980 /sex F", {}},
        {"myray no dob", imaging::kMyrayBridge, {}, with(kAnna, &PatientRecord::dob, u""), u"NNTBridge.exe",
         u"/PATID 1042 /name Anna /surname Berg /sex F", {}},
        {"myray short dob", imaging::kMyrayBridge, {}, with(kAnna, &PatientRecord::dob, u"1980"), u"NNTBridge.exe",
         u"/PATID 1042 /name Anna /surname Berg /dateb ,,1980 /sex F", {}},
        {"mediadent", imaging::kMediadentBridge, {{u"mediadent_program", dt}, {u"mediadent_images", u"C:\\MD\\Images\\"}},
         kAnna, dt + u"mediadent.exe", u"/PAnna Berg /FC:\\MD\\Images\\\\1042 /B02011980", {}},
        {"mediadent no dob", imaging::kMediadentBridge, {{u"mediadent_images", u"C:\\MD\\Images\\"}},
         with(kAnna, &PatientRecord::dob, u""), u"mediadent.exe", u"/PAnna Berg /FC:\\MD\\Images\\\\1042 /B", {}},
        {"mediadent short dob, no images", imaging::kMediadentBridge, {}, with(kAnna, &PatientRecord::dob, u"1980"),
         u"mediadent.exe", u"/PAnna Berg /F\\1042 /B1980", {}},
        {"examine pro", imaging::kExamineproBridge,
         {{u"examinepro_program", u"/opt/ex/"}, {u"examinepro_images", u"/srv/x/"}}, kAnna, u"/opt/ex/expro.exe",
         u"/PAnna Berg /F/srv/x/\\1042 /B02011980", {}},
        {"dr suni", imaging::kSuniBridge, {{u"suni_program", u"C:\\Suni\\"}}, kAnna, u"C:\\Suni\\DrSuni.exe",
         u"/p\"Berg, Anna::::1042::01-02-80::F\"", u"C:\\Suni\\DrSuni.exe /p\"Berg, Anna::::1042::01-02-80::F\""},
        {"dr suni no dob", imaging::kSuniBridge, {}, with(kAnna, &PatientRecord::dob, u""), u"DrSuni.exe",
         u"/p\"Berg, Anna::::1042::::F\"", u"DrSuni.exe /p\"Berg, Anna::::1042::::F\""},
        {"dr suni short dob, no gender", imaging::kSuniBridge, {},
         with(with(kAnna, &PatientRecord::dob, u"1980"), &PatientRecord::gender, u""), u"DrSuni.exe",
         u"/p\"Berg, Anna::::1042::--80::\"", u"DrSuni.exe /p\"Berg, Anna::::1042::--80::\""},
        // Dash switches.
        {"trophy", imaging::kTrophyBridge, {{u"trophy_program", dt}, {u"trophy_images", u"C:\\TW\\Patients\\"}}, kAnna,
         dt + u"tw.exe", u"-PC:\\TW\\Patients\\1042 -NAnna Berg", {}},
        {"trophy folder without delimiter", imaging::kTrophyBridge, {{u"trophy_program", u"C:\\Imaging"}},
         with(kAnna, &PatientRecord::surname, u"van Dijk"), u"C:\\Imagingtw.exe", u"-P1042 -NAnna van Dijk", {}},
        {"vixwin", imaging::kVixwinBridge, {{u"vixwin_program", dt}, {u"vixwin_images", u"C:\\VixWin\\Images\\"}},
         kAnna, dt + u"vixwin.exe", u"-I 1042 -N Anna^Berg -P C:\\VixWin\\Images\\", {}},
        {"vixwin no images", imaging::kVixwinBridge, {}, with(kAnna, &PatientRecord::surname, u"van Dijk"),
         u"vixwin.exe", u"-I 1042 -N Anna^van Dijk -P ", {}},
        {"dtx studio", imaging::kDtxstudioBridge, {{u"dtxstudio_program", dt}, {u"dtxstudio_idpad", u"6"}}, kAnna,
         dt + u"DTXSync.exe",
         u"-c \"UPDATE_CREATE\" -r \"001042\" -f \"Anna\" -l \"Berg\" -b \"1980-01-02\" -g \"FEMALE\"", {}},
        {"dtx studio no pad, dob or gender", imaging::kDtxstudioBridge, {},
         with(with(kAnna, &PatientRecord::dob, u""), &PatientRecord::gender, u""), u"DTXSync.exe",
         u"-c \"UPDATE_CREATE\" -r \"1042\" -f \"Anna\" -l \"Berg\" -g \"OTHER\"", {}},
        {"dtx studio lower-case gender, short dob", imaging::kDtxstudioBridge, {{u"dtxstudio_idpad", u"0"}},
         with(with(kAnna, &PatientRecord::dob, u"1980"), &PatientRecord::gender, u"m"), u"DTXSync.exe",
         u"-c \"UPDATE_CREATE\" -r \"1042\" -f \"Anna\" -l \"Berg\" -b \"1980--\" -g \"OTHER\"", {}},
        {"dtx studio male", imaging::kDtxstudioBridge, {}, with(kAnna, &PatientRecord::gender, u"M"), u"DTXSync.exe",
         u"-c \"UPDATE_CREATE\" -r \"1042\" -f \"Anna\" -l \"Berg\" -b \"1980-01-02\" -g \"MALE\"", {}},
        // Quoted positional arguments.
        {"sopro", imaging::kSoproBridge, {{u"sopro_program", dt}}, kAnna, dt + u"SOPRO Imaging.exe",
         u"1042 \"Berg\" \"Anna\" \"02/01/1980\"", {}},
        {"sopro no dob", imaging::kSoproBridge, {}, with(kAnna, &PatientRecord::dob, u""), u"SOPRO Imaging.exe",
         u"1042 \"Berg\" \"Anna\"", {}},
        {"sopro short dob", imaging::kSoproBridge, {}, with(kAnna, &PatientRecord::dob, u"1980"), u"SOPRO Imaging.exe",
         u"1042 \"Berg\" \"Anna\" \"//1980\"", {}},
        {"romexis", imaging::kRomexisBridge, {{u"romexis_program", u"/opt/romexis/run"}}, kAnna, u"/opt/romexis/run",
         u"\"1042\" \"Berg\" \"Anna\" \"19800102\"", u"/opt/romexis/run \"1042\" \"Berg\" \"Anna\" \"19800102\""},
        {"romexis no dob, no program", imaging::kRomexisBridge, {}, with(kAnna, &PatientRecord::dob, u""), u"",
         u"\"1042\" \"Berg\" \"Anna\"", u" \"1042\" \"Berg\" \"Anna\""},
        {"acteon", imaging::kActeonBridge, {{u"acteon_program", u"C:\\Acteon\\ac.exe"}}, kAnna, u"C:\\Acteon\\ac.exe",
         u"1042 \"Berg\" \"Anna\" \"19800102\"", {}},
        {"acteon quote in name dropped", imaging::kActeonBridge, {}, with(kAnna, &PatientRecord::surname, u"O\"Neil"),
         u"", u"1042 \"ONeil\" \"Anna\" \"19800102\"", {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto plan = planOf(c.bridge, c.settings, c.patient);
        ASSERT_TRUE(plan.launch);
        EXPECT_EQ(utf16ToUtf8(plan.launch->file), utf16ToUtf8(c.file));
        EXPECT_EQ(utf16ToUtf8(plan.launch->parameters), utf16ToUtf8(c.parameters));
        EXPECT_EQ(plan.launch->verb, u"open");
        EXPECT_EQ(plan.launch->directory, u"");
        EXPECT_EQ(plan.launch->showCommand, platform::kShowNormal);
        EXPECT_EQ(plan.traceLine, c.trace);
        EXPECT_FALSE(plan.file);
        EXPECT_FALSE(plan.clipboardText);
    }
}

TEST(CommandLineBridges, PatientValuesAreNeverEscaped) {
    // Shell metacharacters and non-ASCII letters are data; they reach the command line as received, but for the
    // double quotes, which could start or end an argument.
    const PatientRecord odd{u"$(id)", u"Zoë `x`", u"O'Brien; \\ \"q\"", u"19800102", u"F", u""};
    const auto dentaleye = planOf(imaging::kDentaleyeBridge, {}, odd);
    EXPECT_EQ(utf16ToUtf8(dentaleye.launch->parameters), "/ID=$(id) /FN=Zoë `x` /LN=O'Brien; \\ q /BD=19800102 /Sex=F");
    const auto romexis = planOf(imaging::kRomexisBridge, {}, odd);
    EXPECT_EQ(utf16ToUtf8(romexis.launch->parameters), "\"$(id)\" \"O'Brien; \\ q\" \"Zoë `x`\" \"19800102\"");
}

TEST(CommandLineBridges, AQuoteInAPatientValueAddsNoArgument) {
    const std::u16string evil = u"Berg\" \"--evil-option=/tmp/x";
    const BridgeDefinition* quoting[] = {&imaging::kRomexisBridge, &imaging::kSoproBridge, &imaging::kActeonBridge,
                                         &imaging::kDtxstudioBridge, &imaging::kSuniBridge};
    for (const auto* bridge : quoting) {
        SCOPED_TRACE(utf16ToUtf8(bridge->shortName));
        const auto plain = platform::splitWindowsCommandLine(planOf(*bridge, {}, kAnna).launch->parameters);
        // SOPRO and Acteon send the id outside quotes, where a blank in it separates arguments.
        const bool idQuoted = bridge != &imaging::kSoproBridge && bridge != &imaging::kActeonBridge;
        for (auto field :
             {&PatientRecord::surname, &PatientRecord::forenames, &PatientRecord::patientId, &PatientRecord::dob}) {
            if (field == &PatientRecord::patientId && !idQuoted) continue;
            const auto args =
                platform::splitWindowsCommandLine(planOf(*bridge, {}, with(kAnna, field, evil)).launch->parameters);
            EXPECT_EQ(args.size(), plain.size());
            for (const auto& arg : args) EXPECT_NE(utf16ToUtf8(arg), "--evil-option=/tmp/x");
        }
        // Backslashes before a closing quote would make it a literal quote and open the way for the next value.
        auto slashed = with(with(kAnna, &PatientRecord::surname, u"Berg\\"), &PatientRecord::forenames,
                            u" --evil-option=/tmp/x \\");
        slashed.dob = u"1980010\\";
        const auto slashedArgs = platform::splitWindowsCommandLine(planOf(*bridge, {}, slashed).launch->parameters);
        EXPECT_EQ(slashedArgs.size(), plain.size());
        for (const auto& arg : slashedArgs) EXPECT_NE(utf16ToUtf8(arg), "--evil-option=/tmp/x");
        // A value without quotes is sent byte for byte.
        const auto spaced = planOf(*bridge, {}, with(kAnna, &PatientRecord::surname, u"van der Berg \\ ' ;"));
        EXPECT_NE(spaced.launch->parameters.find(u"van der Berg \\ ' ;"), std::u16string::npos);
    }
}

TEST(CommandLineBridges, APadLengthThatIsNoNumberEndsTheRun) {
    for (const auto* bridge : {&imaging::kDicomBridge, &imaging::kDtxstudioBridge}) {
        const std::u16string padName = bridge == &imaging::kDicomBridge ? u"dicom_idpad" : u"dtxstudio_idpad";
        for (const std::u16string bad : {u"abc", u"6 ", u"1.5", u"", u"99999999999"}) {
            if (bad.empty()) continue;
            try {
                planOf(*bridge, {{padName, bad}}, kAnna);
                ADD_FAILURE() << "accepted " << utf16ToUtf8(bad);
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), "'" + utf16ToUtf8(bad) + "' is not a valid integer value");
            }
        }
    }
}

TEST(DigoraBridge, PutsTheOpenCommandOnTheClipboard) {
    struct Case {
        std::optional<std::u16string> format;
        PatientRecord patient;
        std::string command;
    };
    const Case cases[] = {
        {u"0", kAnna, R"($$DFWIN$$ OPEN -n"Anna Berg" -c"1042" -r -a)"},
        {u"1", kAnna, R"($$DFWIN$$ OPEN -n"Mrs Anna Berg" -c"1042" -r -a)"},
        {u"2", kAnna, R"($$DFWIN$$ OPEN -n"Berg, Anna" -c"1042" -r -a)"},
        {{}, kAnna, R"($$DFWIN$$ OPEN -n"" -c"1042" -r -a)"},
        {u"1", with(kAnna, &PatientRecord::title, u""), R"($$DFWIN$$ OPEN -n" Anna Berg" -c"1042" -r -a)"},
        {u"2", with(kAnna, &PatientRecord::forenames, u""), R"($$DFWIN$$ OPEN -n"Berg, " -c"1042" -r -a)"},
        {u"-1", kAnna, R"($$DFWIN$$ OPEN -n"" -c"1042" -r -a)"},
        {u"3", kAnna, R"($$DFWIN$$ OPEN -n"" -c"1042" -r -a)"},
        {u" 0", kAnna, R"($$DFWIN$$ OPEN -n"" -c"1042" -r -a)"},
    };
    for (const auto& c : cases) {
        BridgeSettings settings;
        if (c.format) settings[u"digora_nameformat"] = *c.format;
        const auto plan = planOf(imaging::kDigoraBridge, settings, c.patient);
        ASSERT_TRUE(plan.clipboardText);
        EXPECT_EQ(utf16ToUtf8(*plan.clipboardText), c.command);
        EXPECT_FALSE(plan.launch);
        EXPECT_FALSE(plan.file);
        EXPECT_FALSE(plan.traceLine);
    }
}

TEST(DispatchTable, ListsEachBridgeOnceInDispatchOrder) {
    std::vector<std::string> names;
    for (const auto* bridge : imaging::dispatchTable()) names.push_back(utf16ToUtf8(bridge->shortName));
    const std::vector<std::string> expected = {
        "digora",  "scanora",  "idixel",  "trophy",    "dbswin",    "dentaleye",  "dexis",   "integrator", "dicom",
        "vixwin",  "easydent", "icatreg", "icatview",  "mediadent", "examinepro", "apexnrg", "myray",      "sopro",
        "romexis", "suni",     "sirona",  "dtxstudio", "acteon",    "cliniview",  "ezdenti"};
    EXPECT_EQ(names, expected);
    // Only Digora, Scanora and Cliniview receive the title.
    for (const auto* bridge : imaging::dispatchTable()) {
        const bool takesTitle =
            bridge->shortName == u"digora" || bridge->shortName == u"scanora" || bridge->shortName == u"cliniview";
        EXPECT_EQ(bridge->takesTitle, takesTitle) << utf16ToUtf8(bridge->shortName);
    }
}

}  // namespace
}  // namespace veltrane
