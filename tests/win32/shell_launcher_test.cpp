#include "windows/services/shell_launcher.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "base/error.h"
#include "base/text.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"
#include "win32_test_support.h"
#include "windows/common/system_message.h"

namespace veltrane::platform::win32 {
namespace {

using veltrane::testing::readFile;
using veltrane::testing::TempDir;
using veltrane::testing::u16path;
using veltrane::testing::waitFor;

class ShellLauncherFixture : public ::testing::Test {
protected:
    TempDir dir;
    ShellLauncher launcher;
    const std::u16string recorder = utf8ToUtf16(VELTRANE_WIN32_RECORDER);

    // Starts request with the recorder writing to name; returns what it recorded, or "" after the deadline.
    std::string launchAndRecord(LaunchRequest request, const std::string& name) {
        const auto out = dir.path() / name;
        SetEnvironmentVariableW(L"VELTRANE_RECORDER_OUT", out.c_str());
        launcher.launch(request);
        if (!waitFor([&] { return std::filesystem::exists(out); })) return "";
        return readFile(out);
    }
};

// The imaging program gets the parameters exactly as the bridge built them, after its own quoted path.
TEST_F(ShellLauncherFixture, ProgramGetsTheParametersExactly) {
    const std::u16string parameters[] = {
        u"/ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F",
        u"-p \"C:\\Images Folder\\x.txt\" -n \"O'Brien\"",
        u"\"a \\\" b\" \\\\server\\share\\",
        u"Łódź 日本 \U0001F9B7",
        u"",
    };
    int run = 0;
    for (const std::u16string& p : parameters) {
        SCOPED_TRACE(utf16ToUtf8(p));
        LaunchRequest request;
        request.file = recorder;
        request.parameters = p;
        const std::string record = launchAndRecord(request, "record" + std::to_string(++run));
        ASSERT_FALSE(record.empty()) << "the recorder did not run";
        const std::string commandLine = record.substr(4, record.find('\n') - 4);
        const std::string program = "\"" + utf16ToUtf8(recorder) + "\"";
        EXPECT_EQ(commandLine, p.empty() ? program : program + " " + utf16ToUtf8(p));
    }
}

TEST_F(ShellLauncherFixture, ProgramStartsInTheGivenFolder) {
    std::filesystem::create_directories(dir.path() / L"Working Ø");
    LaunchRequest request;
    request.file = recorder;
    request.directory = u16path(dir.path() / L"Working Ø");
    const std::string record = launchAndRecord(request, "record");
    ASSERT_FALSE(record.empty()) << "the recorder did not run";
    EXPECT_NE(record.find("\ncwd " + utf16ToUtf8(request.directory) + "\n"), std::string::npos) << record;
}

// A zero inside a text would cut it and start something other than what was asked: nothing starts. The
// recorder started right after proves the launcher is working, so the absence of the first record means something.
TEST_F(ShellLauncherFixture, TextHoldingAZeroStartsNothing) {
    LaunchRequest cut;
    cut.file = recorder + std::u16string(u"\0.txt", 5);
    const auto refused = dir.path() / "refused";
    SetEnvironmentVariableW(L"VELTRANE_RECORDER_OUT", refused.c_str());
    EXPECT_THROW(launcher.launch(cut), Error);
    LaunchRequest whole;
    whole.file = recorder;
    whole.parameters = std::u16string(u"a\0b", 3);
    EXPECT_THROW(launcher.launch(whole), Error);
    LaunchRequest fine;
    fine.file = recorder;
    EXPECT_FALSE(launchAndRecord(fine, "afterwards").empty());
    EXPECT_FALSE(std::filesystem::exists(refused));
}

// A program that the shell cannot start is told with the system's own text, never passed over in silence.
TEST_F(ShellLauncherFixture, AProgramThatCannotStartIsReportedWithTheSystemsText) {
    const std::u16string root = u16path(dir.path());
    struct Case {
        const char* what;
        std::u16string file, directory;
        DWORD error;
    };
    const Case cases[] = {
        {"no such program", root + u"\\missing.exe", u"", ERROR_FILE_NOT_FOUND},
        {"no such folder", root + u"\\missing\\DentalEye.exe", u"", ERROR_FILE_NOT_FOUND},
        {"no program named", u"", u"", ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        LaunchRequest request;
        request.file = c.file;
        request.directory = c.directory;
        try {
            launcher.launch(request);
            ADD_FAILURE() << c.what << ": reported as started";
        } catch (const Error& e) {
            const std::string text = e.what();
            EXPECT_FALSE(text.empty()) << c.what;
            // The system's text for that error (Wine answers a missing folder as a missing file, as Windows
            // sometimes does: either is the system's own word).
            EXPECT_TRUE(text == systemMessage(c.error) || text == systemMessage(ERROR_PATH_NOT_FOUND))
                << c.what << ": " << text;
        }
    }
}

// cmd runs a batch file and would run commands from its parameters, even inside quotes: those are refused, also
// when the shell would find the batch file for a name without its extension; the rest reach it as they are.
TEST_F(ShellLauncherFixture, ABatchFileIsNeverGivenWhatItsCommandProcessorWouldRun) {
    const auto batch = dir.path() / L"run.bat";
    ASSERT_TRUE(veltrane::testing::writeFile(batch, "@\"" + utf16ToUtf8(recorder) + "\" %*\r\n"));
    const std::u16string withoutExtension = u16path(dir.path() / L"run");
    const auto refused = dir.path() / "refused";
    SetEnvironmentVariableW(L"VELTRANE_RECORDER_OUT", refused.c_str());
    // A shortcut to the batch file starts it the same way, so it is held to the same rule.
    const std::u16string shortcut = u16path(dir.path() / L"Imaging.lnk");
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IShellLinkW* link = nullptr;
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                               reinterpret_cast<void**>(&link))));
        link->SetPath(batch.c_str());
        IPersistFile* persist = nullptr;
        ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))));
        ASSERT_TRUE(SUCCEEDED(persist->Save(reinterpret_cast<const wchar_t*>(shortcut.c_str()), TRUE)));
        persist->Release();
        link->Release();
        CoUninitialize();
    }
    for (const std::u16string& file : {u16path(batch), withoutExtension, shortcut}) {
        for (const std::u16string parameters : {u"\"1&echo INJECTED>pwned.txt&rem\"", u"\"%USERNAME%\"", u"a!b!"}) {
            SCOPED_TRACE(utf16ToUtf8(file + u" " + parameters));
            LaunchRequest request;
            request.file = file;
            request.parameters = parameters;
            try {
                launcher.launch(request);
                ADD_FAILURE() << "started";
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find("The imaging program is a batch file"), std::string::npos);
            }
        }
    }
    LaunchRequest fine;
    fine.file = u16path(batch);
    fine.parameters = u"1042 \"O'Brien\" \"Anna Maria\"";
    const std::string record = launchAndRecord(fine, "started");
    ASSERT_FALSE(record.empty()) << "the batch file did not run";
    EXPECT_NE(record.find("1042 \"O'Brien\" \"Anna Maria\""), std::string::npos) << record;
    EXPECT_FALSE(std::filesystem::exists(refused));
}

}  // namespace
}  // namespace veltrane::platform::win32
