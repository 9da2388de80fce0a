#include "app/program_options.h"

#include <gtest/gtest.h>

namespace veltrane {
namespace {

using V = std::vector<std::string>;

// The options a run asked for, as one line: "dry-run help version export=F import=F" where set.
std::string describe(const app::ProgramOptions& o) {
    std::string out;
    auto add = [&](bool on, const std::string& word) {
        if (on) out += (out.empty() ? "" : " ") + word;
    };
    add(o.dryRun, "dry-run");
    add(o.help, "help");
    add(o.version, "version");
    add(!o.exportSettings.empty(), "export=" + o.exportSettings);
    add(!o.importSettings.empty(), "import=" + o.importSettings);
    return out;
}

TEST(ProgramOptions, OwnOptionsAreTakenOutAndThePracticeServersArgumentsPassUnchanged) {
    struct Case {
        V argv;
        V args;  // what start-up sees
        std::string options;
    };
    const Case cases[] = {
        {{"prog"}, {"prog"}, ""},
        {{"prog", "-s", "practice.example", "-x", "/tmp/r.ini"},
         {"prog", "-s", "practice.example", "-x", "/tmp/r.ini"},
         ""},
        {{"prog", "--dry-run", "-x", "r.ini"}, {"prog", "-x", "r.ini"}, "dry-run"},
        {{"prog", "-x", "r.ini", "--dry-run"}, {"prog", "-x", "r.ini"}, "dry-run"},
        // A value is a value, whatever it looks like: start-up's own scan decides what it means.
        {{"prog", "-x", "--dry-run"}, {"prog", "-x", "--dry-run"}, ""},
        {{"prog", "-s", "--help", "-x", "r.ini"}, {"prog", "-s", "--help", "-x", "r.ini"}, ""},
        {{"prog", "-s", "-x", "r.ini"}, {"prog", "-s", "-x", "r.ini"}, ""},
        {{"prog", "-c", "--version"}, {"prog", "-c", "--version"}, ""},
        // Options are case-sensitive and stand alone; these are ordinary arguments, listed and ignored.
        {{"prog", "-X", "/x", "-xr.ini", "-", "--", "--1"}, {"prog", "-X", "/x", "-xr.ini", "-", "--", "--1"}, ""},
        {{"prog", "--help"}, {"prog"}, "help"},
        {{"prog", "--version", "-s", "a"}, {"prog", "-s", "a"}, "version"},
        {{"prog", "--export-settings", "-"}, {"prog"}, "export=-"},
        {{"prog", "--import-settings", "-s"}, {"prog"}, "import=-s"},
        // The option's value is not read as the next option's: "-x" here is a file name.
        {{"prog", "--export-settings", "-x", "r.ini"}, {"prog", "r.ini"}, "export=-x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.argv));
        app::ProgramOptions options;
        EXPECT_EQ(app::splitProgramOptions(c.argv, options), c.args);
        EXPECT_EQ(options.error, "");
        EXPECT_EQ(describe(options), c.options);
    }
}

TEST(ProgramOptions, AMistypedOrIncompleteOptionIsAnErrorWithAHint) {
    struct Case {
        V argv;
        std::string error;
    };
    const Case cases[] = {
        {{"prog", "--dryrun", "-x", "r.ini"}, "unknown option --dryrun (--help lists the options)"},
        {{"prog", "-x", "r.ini", "--Help"}, "unknown option --Help (--help lists the options)"},
        {{"prog", "--export-settings"}, "--export-settings needs a file name (- for standard output)"},
        {{"prog", "-s", "a", "--import-settings"}, "--import-settings needs a file name (- for standard output)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.argv));
        app::ProgramOptions options;
        app::splitProgramOptions(c.argv, options);
        EXPECT_EQ(options.error, c.error);
    }
}

TEST(ProgramOptions, HelpNamesTheOptionsTheRequestKeysEverySystemAndTheFiles) {
    const std::string help = app::helpText("/home/anna/.config/veltrane-client-tools/registry.reg", "/var/log/x.log");
    for (const char* expected :
         {"-s SERVER", "-x FILE", "-c CLIENT", "--dry-run", "--export-settings FILE", "--import-settings FILE",
          "--help", "--version", "action=images | print", "patient_id=", "dob=YYYYMMDD", "[imaging]", " dbswin ",
          " icatreg ", " ezdenti", "/home/anna/.config/veltrane-client-tools/registry.reg", "/var/log/x.log"}) {
        EXPECT_NE(help.find(expected), std::string::npos) << expected;
    }
    for (std::size_t start = 0, end; start < help.size(); start = end + 1) {
        end = help.find('\n', start);
        EXPECT_LE(end - start, 110u) << help.substr(start, end - start);
    }
}

}  // namespace
}  // namespace veltrane
