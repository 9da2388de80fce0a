#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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

BY_HANDLE_FILE_INFORMATION fileInformation(const std::filesystem::path& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE file =
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        GetFileInformationByHandle(file, &info);
        CloseHandle(file);
    }
    return info;
}

std::vector<std::filesystem::path> folderContent(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

bool isReparsePoint(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// What another user could plant at an exchange file's or the log's name, to have the patient written elsewhere.
TEST(Win32Files, ALinkOrDeviceAtTheNameIsRefusedAndLeftAsItIs) {
    TempDir dir;
    Win32Files files;
    const std::filesystem::path victim = dir.path() / "victim.txt";
    writeFile(victim, "untouched");
    ASSERT_TRUE(CreateHardLinkW((dir.path() / "hard.txt").c_str(), victim.c_str(), nullptr));
    const std::u16string root = u16path(dir.path());
    std::vector<std::pair<const char*, std::u16string>> cases = {
        {"a second name of another file", root + u"\\hard.txt"},
        {"a device", root + u"\\NUL"},
    };
    std::size_t planted = 2;
    // Some Wine builds report success for a symbolic link and make none: those cases then cannot be shown.
    CreateSymbolicLinkW((dir.path() / "symbolic.txt").c_str(), victim.c_str(),
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    CreateSymbolicLinkW((dir.path() / "dangling.txt").c_str(), (dir.path() / "nowhere.txt").c_str(),
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    if (isReparsePoint(dir.path() / "symbolic.txt") && isReparsePoint(dir.path() / "dangling.txt")) {
        cases.push_back({"a symbolic link to another file", root + u"\\symbolic.txt"});
        cases.push_back({"a symbolic link to nothing", root + u"\\dangling.txt"});
        planted += 2;
    } else {
        std::printf("note: this system makes no symbolic links; only the hard link and the device are tried\n");
    }
    for (const auto& [what, path] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(errorText([&] { files.writeWholeFile(path, "patient Anna Berg\r\n"); }), "File access denied");
        EXPECT_EQ(errorText([&] { files.appendToFile(path, "patient Anna Berg\r\n"); }), "File access denied");
    }
    EXPECT_EQ(readFile(victim), "untouched");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "nowhere.txt"));
    EXPECT_EQ(fileInformation(victim).nNumberOfLinks, 2u) << "what was planted stays for the user to see";
    EXPECT_EQ(folderContent(dir.path()).size(), planted) << "no temporary file is left behind";
}

// A reader (the imaging program) sees the old file or the new one, never a half-written one: a new file
// takes the name.
TEST(Win32Files, AnExchangeFileIsReplacedWholeByANewFile) {
    TempDir dir;
    Win32Files files;
    const std::filesystem::path exchange = dir.path() / "InfoFile.txt";
    files.writeWholeFile(u16path(exchange), "first patient\r\n");
    const BY_HANDLE_FILE_INFORMATION before = fileInformation(exchange);
    files.writeWholeFile(u16path(exchange), "second\r\n");
    const BY_HANDLE_FILE_INFORMATION after = fileInformation(exchange);
    EXPECT_EQ(readFile(exchange), "second\r\n");
    EXPECT_FALSE(before.nFileIndexLow == after.nFileIndexLow && before.nFileIndexHigh == after.nFileIndexHigh)
        << "the file was rewritten in place";
    EXPECT_EQ(folderContent(dir.path()), std::vector<std::filesystem::path>{"InfoFile.txt"});
}

std::string sidText(PSID sid) {
    LPSTR text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text)) return "?";
    std::string result = text;
    LocalFree(text);
    return result;
}

// The allowed entries of a file's DACL: who, and what they may do.
std::vector<std::pair<std::string, DWORD>> allowed(const std::filesystem::path& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    std::vector<std::pair<std::string, DWORD>> entries;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor) != ERROR_SUCCESS) {
        entries.emplace_back("unreadable", 0);
        return entries;
    }
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (GetAce(dacl, i, &ace) && static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            entries.emplace_back(sidText(&entry->SidStart), entry->Mask);
        }
    }
    LocalFree(descriptor);
    return entries;
}

std::string currentUserSidText() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    std::vector<BYTE> buffer(256);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size);
    CloseHandle(token);
    return sidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

// Gives the file the protected DACL written in SDDL, as an administrator would.
bool setDacl(const std::filesystem::path& path, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
        return false;
    }
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    const DWORD error = SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                              nullptr, dacl, nullptr);
    LocalFree(descriptor);
    return error == ERROR_SUCCESS;
}

// An exchange file names a patient: nobody but its owner may read it, whatever the folder grants. A log the
// program makes is every user's to append to, but only administrators' to read. (Wine shows a file's access as
// its Unix mode, with SYSTEM beside the owner.)
TEST(Win32Files, NewFilesAreTheirOwnersAloneAndReplacedOnesKeepTheirAccess) {
    TempDir dir;
    Win32Files files;
    const std::string user = currentUserSidText();
    files.writeWholeFile(u16path(dir.path() / "patinfo.txt"), "x\r\n");
    bool ownerMayReadAndWrite = false;
    for (const auto& [sid, mask] : allowed(dir.path() / "patinfo.txt")) {
        EXPECT_TRUE(sid == user || sid == "S-1-5-18") << sid << " may use it";
        if (sid == user) {
            ownerMayReadAndWrite = (mask & (FILE_READ_DATA | FILE_WRITE_DATA)) == (FILE_READ_DATA | FILE_WRITE_DATA);
        }
    }
    EXPECT_TRUE(ownerMayReadAndWrite);

    // Under Wine the user is an administrator, and shown as the owner with the administrators' access.
    BOOL userIsAdministrator = FALSE;
    BYTE administratorsSid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administratorsSid;
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administratorsSid, &sidSize));
    ASSERT_TRUE(CheckTokenMembership(nullptr, administratorsSid, &userIsAdministrator));
    files.appendToFile(u16path(dir.path() / "clienttools.log"), "x\r\n");
    for (const auto& [sid, mask] : allowed(dir.path() / "clienttools.log")) {
        const bool administrator = sid == "S-1-5-32-544" || sid == "S-1-5-18" || (sid == user && userIsAdministrator);
        EXPECT_TRUE(administrator || (mask & FILE_READ_DATA) == 0) << sid << " may read the log";
    }

    // A file an administrator shared with every user stays shared after the program replaced it.
    const std::filesystem::path shared = dir.path() / "linkage.xml";
    writeFile(shared, "old");
    ASSERT_TRUE(setDacl(shared, "D:P(A;;FA;;;WD)(A;;FA;;;OW)"));
    files.writeWholeFile(u16path(shared), "new\r\n");
    EXPECT_EQ(readFile(shared), "new\r\n");
    bool everyoneMayRead = false;
    for (const auto& [sid, mask] : allowed(shared)) everyoneMayRead |= sid == "S-1-1-0" && (mask & FILE_READ_DATA);
    EXPECT_TRUE(everyoneMayRead);
}

// A log whose access list lets other users read it (one made by an older version in the shared folder, or one
// another user made for the purpose) is not written: the lines name patients.
TEST(Win32Files, ALogOthersCouldReadIsNotWritten) {
    TempDir dir;
    Win32Files files;
    const std::filesystem::path log = dir.path() / "clienttools.log";
    writeFile(log, "old line\r\n");
    ASSERT_TRUE(setDacl(log, "D:P(A;;FA;;;OW)(A;;FR;;;WD)"));
    EXPECT_NE(errorText([&] { files.appendToFile(u16path(log), "patient Anna Berg\r\n"); }).find("other users"),
              std::string::npos);
    EXPECT_EQ(readFile(log), "old line\r\n");
}

}  // namespace
}  // namespace veltrane::platform::win32
