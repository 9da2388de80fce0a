#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/error.h"
#include "support/error_text.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "win32_test_support.h"
#include "windows/services/win32_files.h"

namespace veltrane::platform::win32 {
namespace {

using veltrane::testing::errorText;
using veltrane::testing::readFile;
using veltrane::testing::TempDir;
using veltrane::testing::u16path;
using veltrane::testing::writeFile;

TEST(Win32Files, AppendAddsAndWriteWholeReplaces) {
    TempDir dir;
    Win32Files files;
    const std::u16string log = u16path(dir.path() / "clienttools.log");
    files.appendToFile(log, "one\r\n");
    files.appendToFile(log, "two\r\n");
    EXPECT_EQ(readFile(dir.path() / "clienttools.log"), "one\r\ntwo\r\n");

    const std::u16string exchange = u16path(dir.path()) + u"\\Patient Łódź.txt";
    files.writeWholeFile(exchange, "a longer first content\r\n");
    files.writeWholeFile(exchange, "short\r\n");
    EXPECT_EQ(readFile(dir.path() / L"Patient Łódź.txt"), "short\r\n");
    files.writeWholeFile(exchange, "");
    EXPECT_EQ(readFile(dir.path() / L"Patient Łódź.txt"), "");
}

// Every way a file operation fails here carries the text the user is shown.
TEST(Win32Files, FailuresCarryTheFileTexts) {
    TempDir dir;
    Win32Files files;
    const std::u16string root = u16path(dir.path());
    // No read-only case: Wine keeps that attribute in the Unix mode bits, which the tests' root user ignores.
    writeFile(dir.path() / "locked.txt", "keep");
    // Another program holding the file without sharing it.
    HANDLE locked = CreateFileW((dir.path() / "locked.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);

    struct Case {
        const char* what;
        std::u16string path;
        const char* expected;
    };
    const Case cases[] = {
        {"the folder does not exist", root + u"\\missing\\x.txt", "File not found"},
        {"an empty path", u"", "Invalid filename"},
        {"a zero inside the path", root + std::u16string(u"\\a\0b", 4), "Invalid filename"},
        {"characters no file name may hold", root + u"\\a<b>|?.txt", "Invalid filename"},
        {"the path is a folder", root, "File access denied"},
        {"a file another program holds", root + u"\\locked.txt", "File access denied"},
        {"a device, not a file", u"NUL", "File access denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(errorText([&] { files.appendToFile(c.path, "x"); }), c.expected);
        EXPECT_EQ(errorText([&] { files.writeWholeFile(c.path, "x"); }), c.expected);
    }
    CloseHandle(locked);
    // Nothing was written into the file that refused.
    EXPECT_EQ(readFile(dir.path() / "locked.txt"), "keep");
}

TEST(Win32Files, ErrorCodesMapOntoTheFileTexts) {
    const std::pair<unsigned long, const char*> cases[] = {
        {ERROR_FILE_NOT_FOUND, "File not found"},
        {ERROR_PATH_NOT_FOUND, "File not found"},
        {ERROR_INVALID_NAME, "Invalid filename"},
        {ERROR_FILENAME_EXCED_RANGE, "Invalid filename"},
        {ERROR_TOO_MANY_OPEN_FILES, "Too many open files"},
        {ERROR_ACCESS_DENIED, "File access denied"},
        {ERROR_SHARING_VIOLATION, "File access denied"},
        {ERROR_WRITE_PROTECT, "File access denied"},
        {ERROR_DISK_FULL, "Disk full"},
        {ERROR_HANDLE_DISK_FULL, "Disk full"},
        {ERROR_CRC, "I/O error 23"},
        {ERROR_NOT_READY, "I/O error 21"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(fileErrorText(code), text) << code;
}

}  // namespace
}  // namespace veltrane::platform::win32
