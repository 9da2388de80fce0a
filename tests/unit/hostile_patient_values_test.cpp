// Patient values come from a request file anyone on the workstation (or a patient filling an online form) can
// shape. Whatever they hold, they must not add a switch, an argument, a command or a path step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "bridge_test_records.h"
#include "fakes/best_fit_ansi.h"
#include "fakes/fake_platform.h"
#include "imaging/bridge_executor.h"
#include "imaging/bridge_table.h"
#include "imaging/bridges/command_line_bridges.h"
#include "imaging/bridges/digora_clipboard.h"
#include "imaging/value_rules.h"
#include "platform/common/windows_command_line.h"
#include "settings/settings_store.h"

namespace veltrane {
namespace {

using imaging::BridgeDefinition;
using imaging::BridgeSettings;
using imaging::PatientRecord;

using testing::kAnna;
using testing::with;

// The command line as a program that reads the ANSI command line receives it.
std::u16string asAnsiProgramReadsIt(const std::u16string& line) {
    fakes::BestFitAnsi ansi;
    std::u16string out;
    for (char16_t c : line) out.push_back(imaging::readAs(c, ansi));
    return out;
}

imaging::BridgePlan planOf(const BridgeDefinition& bridge, const BridgeSettings& settings, const PatientRecord& p) {
    fakes::BestFitAnsi ansi;
    imaging::BridgeContext context{ansi, u"WS-1", {}};
    return bridge.plan(settings, p, context);
}

// Every switch: '/' or '-' at the start of the line or after a blank, outside quotes, with its first letter.
std::vector<std::u16string> switchesOf(const std::u16string& line) {
    std::vector<std::u16string> out;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == u'"') quoted = !quoted;
        const bool afterBlank = i == 0 || line[i - 1] <= u' ';
        if (!quoted && afterBlank && (line[i] == u'/' || line[i] == u'-')) {
            out.push_back(line.substr(i, 2));  // the switch's letter; its value is the patient's
        }
    }
    return out;
}

struct SwitchBridge {
    const BridgeDefinition& bridge;
    std::vector<std::u16string PatientRecord::*> unquotedFields;
};

TEST(HostilePatientValues, AddNoSwitchToASwitchCommandLine) {
    const auto id = &PatientRecord::patientId;
    const auto fn = &PatientRecord::forenames;
    const auto ln = &PatientRecord::surname;
    const auto dob = &PatientRecord::dob;
    const auto sex = &PatientRecord::gender;
    const SwitchBridge bridges[] = {
        {imaging::kDentaleyeBridge, {id, fn, ln, dob, sex}},
        {imaging::kDicomBridge, {id, fn, ln}},
        {imaging::kMyrayBridge, {id, fn, ln, dob, sex}},
        {imaging::kMediadentBridge, {id, fn, ln, dob}},
        {imaging::kExamineproBridge, {id, fn, ln, dob}},
        {imaging::kTrophyBridge, {id, fn, ln}},
        {imaging::kVixwinBridge, {id, fn, ln}},
    };
    const std::u16string hostile[] = {
        u"Anna /ID=9999",   u"Anna -P C:\\other", u"x\t/ID=9999",       u"x \"/ID=9999\"",
        u"x --delete 77",   u"-I 9999",           u"/ID=9999",          u"x\u3000/ID=9999",
        u"x \uFF0FID=9999", u"x \uFF0DP 9",       u"x \uFF02 /ID=9999", u"x \" -I 9 \"",
    };
    for (const auto& b : bridges) {
        const auto plain = switchesOf(asAnsiProgramReadsIt(planOf(b.bridge, {}, kAnna).launch->parameters));
        for (auto field : b.unquotedFields) {
            for (const auto& value : hostile) {
                SCOPED_TRACE(utf16ToUtf8(b.bridge.shortName) + " with " + utf16ToUtf8(value));
                const auto line = planOf(b.bridge, {}, with(kAnna, field, value)).launch->parameters;
                EXPECT_EQ(switchesOf(asAnsiProgramReadsIt(line)), plain) << utf16ToUtf8(line);
                EXPECT_EQ(asAnsiProgramReadsIt(line).find(u'"'), std::u16string::npos) << utf16ToUtf8(line);
            }
        }
    }
}

TEST(HostilePatientValues, TheReportedLinesLoseTheirExtraSwitches) {
    struct Case {
        const BridgeDefinition& bridge;
        PatientRecord patient;
        std::string parameters;
    };
    const Case cases[] = {
        {imaging::kDentaleyeBridge, with(kAnna, &PatientRecord::forenames, u"Anna /ID=9999"),
         "/ID=1042 /FN=Anna ID=9999 /LN=Berg /BD=19800102 /Sex=F"},
        {imaging::kTrophyBridge, with(kAnna, &PatientRecord::surname, u"Berg -PC:\\evil"),
         "-P1042 -NAnna Berg PC:\\evil"},
        {imaging::kVixwinBridge, with(kAnna, &PatientRecord::forenames, u"-P C:\\x"), "-I 1042 -N P C:\\x^Berg -P "},
        {imaging::kMyrayBridge, with(kAnna, &PatientRecord::gender, u"F\" /PATID 9"),
         "/PATID 1042 /name Anna /surname Berg /dateb 01,02,1980 /sex F PATID 9"},
        // A dash inside a word, or right after a switch's '=' (iDixel's unknown date), is no switch.
        {imaging::kDentaleyeBridge, with(kAnna, &PatientRecord::dob, u"-1"),
         "/ID=1042 /FN=Anna /LN=Berg /BD=-1 /Sex=F"},
        {imaging::kSoproBridge, with(kAnna, &PatientRecord::patientId, u"--delete-patient"),
         "delete-patient \"Berg\" \"Anna\" \"02/01/1980\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.parameters);
        EXPECT_EQ(utf16ToUtf8(planOf(c.bridge, {}, c.patient).launch->parameters), c.parameters);
    }
}

TEST(HostilePatientValues, AnUnquotedPositionalIdWithABlankFailsTheBridge) {
    for (const auto* bridge : {&imaging::kSoproBridge, &imaging::kActeonBridge}) {
        for (const std::u16string id : {u"1042 --delete-patient 77", u"10\t42", u"1042\u3000-x", u"10 42"}) {
            SCOPED_TRACE(utf16ToUtf8(id));
            try {
                planOf(*bridge, {}, with(kAnna, &PatientRecord::patientId, id));
                ADD_FAILURE() << "accepted";
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), "The patient id \"" + utf16ToUtf8(id) +
                                                     "\" contains a blank, which the imaging program would read as "
                                                     "more than one argument; nothing was sent");
            }
        }
    }
}

TEST(HostilePatientValues, QuotesThatTheCodePageMakesCannotCloseAQuotedValue) {
    // Full-width quotes and backslashes pass a plain quote filter and become '"' and '\' for an ANSI program.
    const std::u16string evil[] = {u"Berg\uFF02 --evil-switch \uFF02x\uFF3C", u"Berg\" --evil-switch \"x\\",
                                   u"Berg\uFF3C\uFF02 --evil-switch", u"x\\\\"};
    const BridgeDefinition* quoting[] = {&imaging::kRomexisBridge, &imaging::kSoproBridge, &imaging::kActeonBridge,
                                         &imaging::kDtxstudioBridge, &imaging::kSuniBridge};
    for (const auto* bridge : quoting) {
        const auto plain = platform::splitWindowsCommandLine(planOf(*bridge, {}, kAnna).launch->parameters);
        for (auto field : {&PatientRecord::surname, &PatientRecord::forenames, &PatientRecord::dob}) {
            for (const auto& value : evil) {
                SCOPED_TRACE(utf16ToUtf8(bridge->shortName) + " with " + utf16ToUtf8(value));
                const auto line = planOf(*bridge, {}, with(kAnna, field, value)).launch->parameters;
                const auto args = platform::splitWindowsCommandLine(asAnsiProgramReadsIt(line));
                EXPECT_EQ(args.size(), plain.size()) << utf16ToUtf8(line);
                for (const auto& arg : args) EXPECT_NE(utf16ToUtf8(arg), "--evil-switch");
            }
        }
    }
    EXPECT_EQ(utf16ToUtf8(planOf(imaging::kRomexisBridge, {},
                                 with(kAnna, &PatientRecord::surname, u"Berg\uFF02 --evil-switch \uFF02x\uFF3C"))
                              .launch->parameters),
              "\"1042\" \"Berg --evil-switch x\" \"Anna\" \"19800102\"");
}

TEST(HostilePatientValues, TheDigoraCommandKeepsOneIdAndItsFlags) {
    struct Case {
        PatientRecord patient;
        std::string command;
    };
    const Case cases[] = {
        {with(kAnna, &PatientRecord::forenames, u"Anna\" -c\"9999\" -r -a x\""),
         R"($$DFWIN$$ OPEN -n"Anna -c9999 -r -a x Berg" -c"1042" -r -a)"},
        {with(kAnna, &PatientRecord::surname, u"Berg\uFF02 -c\uFF029999"),
         "$$DFWIN$$ OPEN -n\"Anna Berg -c9999\" -c\"1042\" -r -a"},
        {with(kAnna, &PatientRecord::surname, u"Berg\\"), R"($$DFWIN$$ OPEN -n"Anna Berg" -c"1042" -r -a)"},
        {with(kAnna, &PatientRecord::patientId, u"10\"42"), R"($$DFWIN$$ OPEN -n"Anna Berg" -c"1042" -r -a)"},
    };
    for (const auto& c : cases) {
        const auto plan = planOf(imaging::kDigoraBridge, {{u"digora_nameformat", u"0"}}, c.patient);
        ASSERT_TRUE(plan.clipboardText);
        EXPECT_EQ(utf16ToUtf8(*plan.clipboardText), c.command);
    }
}

TEST(HostilePatientValues, NamesAsPracticesWriteThemAreSentUnchanged) {
    // Each name takes Anna's place in every command line and the Digora command, byte for byte.
    const std::u16string names[] = {u"Müller-Łukasiewicz", u"O'Brien", u"Anna Maria", u"Jean-Luc",
                                    u"van der Berg",       u"Zoë",     u"Ångström",   u"D'Arcy-Smith"};
    for (const auto* bridge : imaging::dispatchTable()) {
        if (!bridge->plan) continue;
        BridgeSettings settings{{u"digora_nameformat", u"0"}};
        const auto plain = planOf(*bridge, settings, kAnna);
        const std::u16string* before = plain.launch && !plain.file ? &plain.launch->parameters
                                       : plain.clipboardText       ? &*plain.clipboardText
                                                                   : nullptr;
        if (!before) continue;  // exchange files: their own tests
        for (const auto& name : names) {
            SCOPED_TRACE(utf16ToUtf8(bridge->shortName) + " with " + utf16ToUtf8(name));
            std::u16string expected = *before;
            expected.replace(expected.find(u"Anna"), 4, name);
            const auto plan = planOf(*bridge, settings, with(kAnna, &PatientRecord::forenames, name));
            EXPECT_EQ(utf16ToUtf8(plan.launch ? plan.launch->parameters : *plan.clipboardText), utf16ToUtf8(expected));
        }
    }
}

// planBridge is where every bridge is planned: the id and batch-file rules hold for all of them.
struct PlannedBridge : ::testing::Test {
    fakes::FakePlatform p;
    fakes::BestFitAnsi ansi;

    imaging::BridgePlan plan(std::u16string_view shortName, const PatientRecord& patient) {
        auto key = settings::SettingsStore(p.registry).openExisting();
        for (const auto* bridge : imaging::dispatchTable()) {
            if (bridge->shortName == shortName)
                return imaging::planBridge(*bridge, patient, *key, {ansi, p.system, p.clock});
        }
        throw std::logic_error("no such bridge");
    }
    void setting(const std::u16string& name, const std::u16string& value) {
        p.registry.setString(fakes::kVeltraneKey, name, value);
    }
};

TEST_F(PlannedBridge, AnIdWithAPathStepFailsEveryBridge) {
    setting(u"acteon_program", u"C:\\Acteon\\ac.exe");
    for (const std::u16string id : {u"..\\..\\Windows", u"1042/../9", u"a/b", u"a\\b", u"..", u"10..42"}) {
        for (const auto* bridge : imaging::dispatchTable()) {
            if (!bridge->plan) continue;
            SCOPED_TRACE(utf16ToUtf8(bridge->shortName) + " with " + utf16ToUtf8(id));
            try {
                plan(bridge->shortName, with(kAnna, &PatientRecord::patientId, id));
                ADD_FAILURE() << "accepted";
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), "The patient id \"" + utf16ToUtf8(id) +
                                                     "\" contains a path separator or \"..\", which could lead the "
                                                     "imaging program out of its patient folders; nothing was sent");
            }
        }
    }
    // An id the command lines would change could name another patient: refused too.
    for (const std::u16string id : {u"-1042", u"10\"42", u"1042 -9", u"10\uFF0242", u"\uFF0D1042"}) {
        SCOPED_TRACE(utf16ToUtf8(id));
        try {
            plan(u"sopro", with(kAnna, &PatientRecord::patientId, id));
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "The patient id \"" + utf16ToUtf8(id) +
                                                 "\" contains a quote, or a dash that would start a switch, which the "
                                                 "imaging program's command line cannot carry; nothing was sent");
        }
    }
    // Ids as practices write them pass: letters, digits, dashes, one dot.
    for (const std::u16string id : {u"1042", u"A-1042", u"P.1042", u"000123"}) {
        EXPECT_NO_THROW(plan(u"dentaleye", with(kAnna, &PatientRecord::patientId, id))) << utf16ToUtf8(id);
    }
}

TEST_F(PlannedBridge, ABatchFileIsNeverGivenWhatItsCommandProcessorWouldRun) {
    const std::string pathStep =
        "The patient id \"1&echo INJECTED>C:\\x\\pwned.txt&rem\" contains a path separator or \"..\", which could "
        "lead the imaging program out of its patient folders; nothing was sent";
    const std::string refused =
        "The imaging program is a batch file, and the patient's details hold a character that its command processor "
        "would run as a command (one of % ! ^ & | < > ( ) or a control character); the batch file was not started";
    struct Case {
        std::u16string program;
        PatientRecord patient;
        std::string error;  // empty: started
    };
    const Case cases[] = {
        {u"C:\\Acteon\\run.bat", with(kAnna, &PatientRecord::patientId, u"1&echo INJECTED>C:\\x\\pwned.txt&rem"),
         pathStep},
        {u"C:\\Acteon\\run.bat", with(kAnna, &PatientRecord::patientId, u"1&calc&rem"), refused},
        {u"C:\\Acteon\\run.bat", with(kAnna, &PatientRecord::surname, u"%USERNAME%"), refused},
        {u"C:\\Acteon\\RUN.CMD", with(kAnna, &PatientRecord::forenames, u"Anna!PATH!"), refused},
        {u"C:\\Acteon\\run.bat. ", with(kAnna, &PatientRecord::surname, u"Berg ^& calc"), refused},
        {u"C:\\Acteon\\run.cmd", with(kAnna, &PatientRecord::surname, u"Berg | calc"), refused},
        {u"C:\\Acteon\\run.bat", with(kAnna, &PatientRecord::surname, u"Berg\nrem"), refused},
        {u"C:\\Acteon\\run.bat", with(kAnna, &PatientRecord::surname, u"Berg\uFF05USERNAME\uFF05"), refused},
        {u"C:\\Acteon\\run.bat", with(kAnna, &PatientRecord::surname, u"Berg (geb. Meyer)"), refused},
        // What cmd leaves alone goes through.
        {u"C:\\Acteon\\run.bat", with(kAnna, &PatientRecord::surname, u"O'Brien-Łukasiewicz"), ""},
        // Any other program receives its values as before.
        {u"C:\\Acteon\\ac.exe", with(kAnna, &PatientRecord::surname, u"%USERNAME% & (x)"), ""},
        {u"C:\\Acteon\\batch.exe", with(kAnna, &PatientRecord::surname, u"50% ^"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.program + u" with " + c.patient.patientId + u" " + c.patient.surname));
        setting(u"acteon_program", c.program);
        setting(u"romexis_program", c.program);
        for (const auto* name : {u"acteon", u"romexis"}) {
            SCOPED_TRACE(utf16ToUtf8(name));
            try {
                const auto planned = plan(name, c.patient);
                EXPECT_EQ(c.error, "");
                ASSERT_TRUE(planned.launch);
                EXPECT_EQ(planned.launch->file, c.program);
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), c.error);
            }
        }
    }
}

TEST(IsBatchFile, NamesWhatCmdRuns) {
    for (const std::u16string yes : {u"a.bat", u"C:\\x\\RUN.Cmd", u"run.bat.", u"run.bat  ", u"run.BAT. . "}) {
        EXPECT_TRUE(platform::isBatchFile(yes)) << utf16ToUtf8(yes);
    }
    for (const std::u16string no : {u"a.exe", u"bat", u".bat.exe", u"run.batx", u"", u"C:\\x.bat\\run.exe"}) {
        EXPECT_FALSE(platform::isBatchFile(no)) << utf16ToUtf8(no);
    }
}

}  // namespace
}  // namespace veltrane
