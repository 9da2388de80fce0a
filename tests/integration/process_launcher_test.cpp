#include "linux/posix/process_launcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>

#include "base/error.h"
#include "base/text.h"
#include "imaging/bridge_plan.h"
#include "imaging/bridges/command_line_bridges.h"
#include "platform/ansi_codec.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"

namespace veltrane {
namespace {

namespace fs = std::filesystem;
using platform::LaunchRequest;
using platform::posix::LaunchCommand;
using testing::readFile;
using testing::TempDir;
using testing::waitFor;
using testing::writeFile;

struct Recorded {
    std::vector<std::string> args;
    std::vector<int> fds;
    std::map<int, std::string> fdTargets;
    std::map<std::string, long> ids;
};

// Waits for the recorder's file; the launch returns before the program has run.
std::optional<Recorded> waitForRecord(const fs::path& file) {
    if (!waitFor([&] { return fs::exists(file); }, std::chrono::seconds(10))) return std::nullopt;
    Recorded r;
    std::istringstream in(readFile(file));
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        const std::string tag = line.substr(0, space), value = line.substr(space + 1);
        if (tag == "arg")
            r.args.push_back(value);
        else if (tag == "fd")
            r.fds.push_back(std::stoi(value));
        else if (tag == "fdlink")
            r.fdTargets[std::stoi(value)] = value.substr(value.find(' ') + 1);
        else
            r.ids[tag] = std::stol(value);
    }
    return r;
}

void installRecorder(const fs::path& as) {
    fs::copy_file(VELTRANE_RECORDER, as, fs::copy_options::overwrite_existing);
    fs::permissions(as, fs::perms::owner_all);
}

class NoAnsi final : public platform::AnsiCodec {
public:
    int codePage() const override { return 1252; }
    std::string encode(std::u16string_view, bool) override { return {}; }
    std::u16string decode(std::string_view) override { return {}; }
};

TEST(PosixLauncher, StartsBridgeCommandLinesWithTheWindowsArgumentRules) {
    TempDir dir;
    const std::string folder = dir.path().string() + "/";
    for (const char* name : {"cmdlink.exe", "DrSuni.exe", "SOPRO Imaging.exe", "DTXSync.exe"}) {
        installRecorder(dir.path() / name);
    }
    const imaging::PatientRecord patient{u"10 42",    u"Anna Maria", u"O'Brien \"Jr\" $(touch x) `id`;",
                                         u"19800102", u"F",          u""};
    struct Case {
        const imaging::BridgeDefinition& bridge;
        imaging::BridgeSettings settings;
        std::vector<std::string> args;  // after argv[0]
    };
    const std::u16string f = utf8ToUtf16(folder);
    const Case cases[] = {
        {imaging::kDentaleyeBridge,
         {{u"dentaleye_program", f}},
         {"/ID=10", "42", "/FN=Anna", "Maria", "/LN=O'Brien", "Jr", "$(touch", "x)", "`id`;", "/BD=19800102",
          "/Sex=F"}},
        {imaging::kSuniBridge,
         {{u"suni_program", f}},
         {"/pO'Brien Jr $(touch x) `id`;, Anna Maria::::10 42::01-02-80::F"}},
        // SOPRO's id stands outside quotes, where a blank is refused: this one has none.
        {imaging::kSoproBridge,
         {{u"sopro_program", f}},
         {"1042", "O'Brien Jr $(touch x) `id`;", "Anna Maria", "02/01/1980"}},
        {imaging::kDtxstudioBridge,
         {{u"dtxstudio_program", f}},
         {"-c", "UPDATE_CREATE", "-r", "10 42", "-f", "Anna Maria", "-l", "O'Brien Jr $(touch x) `id`;", "-b",
          "1980-01-02", "-g", "FEMALE"}},
    };
    NoAnsi ansi;
    int n = 0;
    for (const auto& c : cases) {
        const fs::path out = dir.path() / ("record" + std::to_string(n++));
        setenv("VELTRANE_RECORDER_OUT", out.c_str(), 1);
        imaging::BridgeContext context{ansi, u"WS", {}};
        imaging::PatientRecord record = patient;
        if (&c.bridge == &imaging::kSoproBridge) record.patientId = u"1042";
        const auto plan = c.bridge.plan(c.settings, record, context);
        platform::posix::PosixLauncher().launch(*plan.launch);
        const auto recorded = waitForRecord(out);
        ASSERT_TRUE(recorded) << utf16ToUtf8(plan.launch->file);
        ASSERT_FALSE(recorded->args.empty());
        EXPECT_EQ(recorded->args[0], utf16ToUtf8(plan.launch->file));
        EXPECT_EQ(std::vector<std::string>(recorded->args.begin() + 1, recorded->args.end()), c.args)
            << utf16ToUtf8(plan.launch->parameters);
    }
    unsetenv("VELTRANE_RECORDER_OUT");
    // Nothing ever went through a shell.
    EXPECT_FALSE(fs::exists("x"));
    EXPECT_FALSE(fs::exists(dir.path() / "x"));
}

// wine runs a batch file through its cmd, which would run commands from the parameters: those are refused, the
// rest reach the batch file as they are.
TEST(PosixLauncher, ABatchFileIsNeverGivenWhatItsCommandProcessorWouldRun) {
    TempDir dir;
    installRecorder(dir.path() / "wine");
    writeFile(dir.path() / "run.bat", "@echo off\r\n");
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (dir.path().string() + ":" + oldPath).c_str(), 1);
    const std::u16string batch = utf8ToUtf16((dir.path() / "run.bat").string());
    const fs::path refusedOut = dir.path() / "refused", startedOut = dir.path() / "started";

    for (const std::u16string parameters : {u"\"1&echo INJECTED>pwned.txt&rem\"", u"\"%USERNAME%\"", u"a^b", u"a\nb"}) {
        SCOPED_TRACE(utf16ToUtf8(parameters));
        setenv("VELTRANE_RECORDER_OUT", refusedOut.c_str(), 1);
        try {
            platform::posix::PosixLauncher().launch({0, u"open", batch, parameters, u"", 1});
            ADD_FAILURE() << "started";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("The imaging program is a batch file"), std::string::npos);
        }
    }
    setenv("VELTRANE_RECORDER_OUT", startedOut.c_str(), 1);
    platform::posix::PosixLauncher().launch({0, u"open", batch, u"1042 \"O'Brien\" \"Anna Maria\"", u"", 1});
    const auto recorded = waitForRecord(startedOut);
    unsetenv("VELTRANE_RECORDER_OUT");
    setenv("PATH", oldPath.c_str(), 1);
    ASSERT_TRUE(recorded) << "the batch file was not started";
    EXPECT_EQ(recorded->args, (std::vector<std::string>{(dir.path() / "wine").string(), utf16ToUtf8(batch), "1042",
                                                        "O'Brien", "Anna Maria"}));
    // The refused launches threw before anything started, and the later one has run: none of them will.
    EXPECT_FALSE(fs::exists(refusedOut));
}

TEST(PosixLauncher, TheProgramOutlivesItsStarterAndInheritsOnlyTheStandardDescriptors) {
    TempDir dir;
    installRecorder(dir.path() / "tw.exe");
    const fs::path out = dir.path() / "record";
    const fs::path gate = dir.path() / "gate";
    // Programs that earlier tests started are not this test's business.
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    // A descriptor the program must not see.
    const int stray = open("/dev/null", O_RDONLY);
    ASSERT_GT(stray, 2);
    const pid_t starter = fork();
    ASSERT_GE(starter, 0);
    if (starter == 0) {
        setenv("VELTRANE_RECORDER_OUT", out.c_str(), 1);
        setenv("VELTRANE_RECORDER_GATE", gate.c_str(), 1);
        LaunchRequest request;
        request.file = utf8ToUtf16((dir.path() / "tw.exe").string());
        request.parameters = u"-P1042";
        platform::posix::PosixLauncher().launch(request);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(starter, &status, 0), starter);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_FALSE(fs::exists(out)) << "the launch waited for the program";
    writeFile(gate, "");
    const auto recorded = waitForRecord(out);
    close(stray);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->args, (std::vector<std::string>{(dir.path() / "tw.exe").string(), "-P1042"}));
    EXPECT_EQ(recorded->fds, (std::vector<int>{0, 1, 2}));
    for (int fd : {0, 1, 2})
        EXPECT_EQ(recorded->fdTargets.count(fd) ? recorded->fdTargets.at(fd) : "", "/dev/null") << fd;
    EXPECT_NE(recorded->ids.at("ppid"), starter);
    EXPECT_NE(recorded->ids.at("sid"), getsid(0));  // a session of its own
    // Our starter was reaped; the program was adopted, so no zombie of ours remains.
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
}

TEST(PosixLauncher, ACallerReadingOurOutputIsNotHeldByTheProgram) {
    TempDir dir;
    installRecorder(dir.path() / "tw.exe");
    const fs::path out = dir.path() / "record";
    const fs::path gate = dir.path() / "gate";
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t starter = fork();
    ASSERT_GE(starter, 0);
    if (starter == 0) {
        // Like a web application's starter, which reads our standard output and error to their end.
        dup2(output[1], 1);
        dup2(output[1], 2);
        close(output[0]);
        close(output[1]);
        setenv("VELTRANE_RECORDER_OUT", out.c_str(), 1);
        setenv("VELTRANE_RECORDER_GATE", gate.c_str(), 1);
        LaunchRequest request;
        request.file = utf8ToUtf16((dir.path() / "tw.exe").string());
        platform::posix::PosixLauncher().launch(request);
        _exit(0);
    }
    close(output[1]);
    char buffer[256];
    while (read(output[0], buffer, sizeof buffer) > 0) {
    }
    // The end of our output came while the program was still running.
    EXPECT_FALSE(fs::exists(out)) << "the program held the caller's pipe until it ended";
    writeFile(gate, "");
    close(output[0]);
    int status = 0;
    waitpid(starter, &status, 0);
    EXPECT_TRUE(waitForRecord(out)) << "the program did run";
}

// A program that cannot be started is told to the caller with the file error text, whether the start fails
// before the fork (nothing there) or in the started process (a folder or interpreter that is missing).
TEST(PosixLauncher, AProgramThatCannotStartIsReportedWithTheSystemsText) {
    TempDir dir;
    installRecorder(dir.path() / "tw.exe");
    writeFile(dir.path() / "no-interpreter", "#!/nonexistent/interpreter\n");
    fs::permissions(dir.path() / "no-interpreter", fs::perms::owner_all);
    const std::string d = dir.path().string();
    struct Case {
        std::string file, directory, message;
    };
    const Case cases[] = {
        {d + "/missing.exe", "", "File not found"},
        {d + "/missing", "", "File not found"},
        {"", "", "File not found"},
        {d + "/no-interpreter", "", "File not found"},
        {d + "/tw.exe", d + "/missing-folder", "File not found"},
    };
    for (const auto& c : cases) {
        LaunchRequest request;
        request.file = utf8ToUtf16(c.file);
        request.directory = utf8ToUtf16(c.directory);
        try {
            platform::posix::PosixLauncher().launch(request);
            ADD_FAILURE() << c.file << " in " << c.directory << ": reported as started";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message) << c.file << " in " << c.directory;
        }
    }
    // And one that starts is not reported as failed.
    setenv("VELTRANE_RECORDER_OUT", (dir.path() / "record").c_str(), 1);
    LaunchRequest fine;
    fine.file = utf8ToUtf16(d + "/tw.exe");
    fine.directory = utf8ToUtf16(d);
    EXPECT_NO_THROW(platform::posix::PosixLauncher().launch(fine));
    EXPECT_TRUE(waitForRecord(dir.path() / "record"));
    unsetenv("VELTRANE_RECORDER_OUT");
}

TEST(ResolveLaunch, PicksDirectStartWineOrTheDesktopOpener) {
    TempDir dir;
    const std::string bin = dir.path().string() + "/bin";
    fs::create_directory(bin);
    auto script = [](const fs::path& p, bool executable) {
        writeFile(p, "#!/bin/sh\nexit 0\n");
        fs::permissions(p, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    };
    script(bin + "/wine", true);
    script(bin + "/xdg-open", true);
    script(bin + "/native-tool", true);
    installRecorder(dir.path() / "native.EXE");  // an ELF program with a Windows name still starts directly
    script(dir.path() / "program.exe", false);   // a Windows program
    script(dir.path() / "Setup.BAT", false);
    script(dir.path() / "report.pdf", false);  // a document
    const std::string d = dir.path().string();
    struct Case {
        std::u16string file, parameters;
        std::optional<std::vector<std::string>> argv;
    };
    const Case cases[] = {
        {utf8ToUtf16(d + "/native.EXE"), u"a \"b c\"", std::vector<std::string>{d + "/native.EXE", "a", "b c"}},
        {u"native-tool", u"x", std::vector<std::string>{bin + "/native-tool", "x"}},
        {utf8ToUtf16(d + "/program.exe"), u"/ID=1 /LN=van Dijk",
         std::vector<std::string>{bin + "/wine", d + "/program.exe", "/ID=1", "/LN=van", "Dijk"}},
        {utf8ToUtf16(d + "/Setup.BAT"), u"", std::vector<std::string>{bin + "/wine", d + "/Setup.BAT"}},
        {u"C:\\Program Files\\Romexis\\romexis.exe", u"\"1042\" \"Berg\"",
         std::vector<std::string>{bin + "/wine", "C:\\Program Files\\Romexis\\romexis.exe", "1042", "Berg"}},
        {u"cmdlink.exe", u"/ID=1", std::vector<std::string>{bin + "/wine", "cmdlink.exe", "/ID=1"}},
        {utf8ToUtf16(d + "/report.pdf"), u"ignored", std::vector<std::string>{bin + "/xdg-open", d + "/report.pdf"}},
        {utf8ToUtf16(d + "/missing-document.pdf"), u"", std::nullopt},
        {u"", u"/ID=1", std::nullopt},
        {utf8ToUtf16(d + "/native.EXE") + std::u16string(1, u'\0') + u"junk", u"a\0b",
         std::vector<std::string>{d + "/native.EXE", "a"}},  // wide strings end at their first zero
    };
    for (const auto& c : cases) {
        LaunchRequest request;
        request.file = c.file;
        request.parameters = c.parameters;
        const auto command = platform::posix::resolveLaunch(request, bin);
        if (!c.argv) {
            EXPECT_FALSE(command) << utf16ToUtf8(c.file);
            continue;
        }
        ASSERT_TRUE(command) << utf16ToUtf8(c.file);
        EXPECT_EQ(command->argv, *c.argv) << utf16ToUtf8(c.file);
        EXPECT_EQ(command->program, c.argv->front());
    }
    // Without wine on the PATH a Windows program that is not native cannot be started.
    LaunchRequest request;
    request.file = utf8ToUtf16(d + "/program.exe");
    EXPECT_FALSE(platform::posix::resolveLaunch(request, d + "/nothing-here"));
}

// The programs we start are our children until we end; one that has ended does not stay a zombie of ours
// beyond the next launch.
TEST(PosixLauncher, AProgramThatHasEndedIsReapedAtTheNextLaunch) {
    TempDir dir;
    const fs::path program = dir.path() / "ends";
    writeFile(program, "#!/bin/sh\nexit 0\n");
    fs::permissions(program, fs::perms::owner_all);
    LaunchRequest request;
    request.file = utf8ToUtf16(program.string());
    // Children that earlier tests left are not this test's business.
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    platform::posix::PosixLauncher launcher;
    launcher.launch(request);
    siginfo_t first{};
    ASSERT_TRUE(waitFor(
        [&] {
            first = {};
            return waitid(P_ALL, 0, &first, WEXITED | WNOHANG | WNOWAIT) == 0 && first.si_pid != 0;
        },
        std::chrono::seconds(10)))
        << "the program did not end";
    launcher.launch(request);
    siginfo_t again{};
    EXPECT_EQ(waitid(P_PID, static_cast<id_t>(first.si_pid), &again, WEXITED | WNOHANG | WNOWAIT), -1)
        << "the first program is still a zombie of ours";
    EXPECT_EQ(errno, ECHILD);
    while (waitpid(-1, nullptr, 0) > 0) {
    }
}

}  // namespace
}  // namespace veltrane
