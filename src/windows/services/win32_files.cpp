#include "windows/services/win32_files.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

[[noreturn]] void throwFileError(DWORD error) { throw Error(fileErrorText(error)); }

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
            handle_ = other.handle_;
            other.handle_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    HANDLE get() const { return handle_; }
    // Closes now, so a failing close is reported like a failed write.
    void close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(handle)) throwFileError(GetLastError());
    }

private:
    HANDLE handle_;
};

// The current user's SID, which new files grant themselves to.
std::vector<BYTE> currentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) throwFileError(GetLastError());
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    const BOOL ok = size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    const DWORD error = GetLastError();
    CloseHandle(token);
    if (!ok) throwFileError(error);
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

// A protected DACL of one entry: full access for the current user, nothing inherited from the folder (which
// may grant every user of the machine).
class OwnerOnlySecurity {
public:
    OwnerOnlySecurity() : sid_(currentUserSid()) {
        const DWORD size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + static_cast<DWORD>(sid_.size());
        acl_.resize(size);
        PACL acl = reinterpret_cast<PACL>(acl_.data());
        if (!InitializeAcl(acl, size, ACL_REVISION) ||
            !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid_.data()) ||
            !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) ||
            !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
            throwFileError(GetLastError());
        }
        attributes_ = {sizeof(SECURITY_ATTRIBUTES), &descriptor_, FALSE};
    }
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;
    SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

private:
    std::vector<BYTE> sid_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};

// A log made here is shared by every user of the machine but holds patients' names: every user may append to it
// (and see its attributes and access list), only administrators and the system may read or change it. Nothing
// is inherited from the folder, which may let every user read and rewrite what is in it.
class SharedLogSecurity {
public:
    SharedLogSecurity() {
        // 0x120084: SYNCHRONIZE, READ_CONTROL, FILE_READ_ATTRIBUTES and FILE_APPEND_DATA.
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x120084;;;BU)",
                                                                  SDDL_REVISION_1, &descriptor_, nullptr)) {
            throwFileError(GetLastError());
        }
        attributes_ = {sizeof(SECURITY_ATTRIBUTES), descriptor_, FALSE};
    }
    ~SharedLogSecurity() { LocalFree(descriptor_); }
    SharedLogSecurity(const SharedLogSecurity&) = delete;
    SharedLogSecurity& operator=(const SharedLogSecurity&) = delete;
    SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// What every user may do with the shared log: SYNCHRONIZE, READ_CONTROL, FILE_READ_ATTRIBUTES, FILE_APPEND_DATA.
constexpr DWORD kAppendOnly = 0x120084;

std::vector<BYTE> wellKnownSid(WELL_KNOWN_SID_TYPE type) {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) throwFileError(GetLastError());
    sid.resize(size);
    return sid;
}

// The log is written only as it was made (by the installer, or by the program as SharedLogSecurity): owned by
// the administrators, the system or this user, and nobody else allowed more than appending. A log that another
// user made, or that lets other users read or rewrite it, would hand them the patients in our lines.
void checkLogAccess(HANDLE file) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                        &owner, nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) throwFileError(error);
    struct Release {
        PSECURITY_DESCRIPTOR descriptor;
        ~Release() { LocalFree(descriptor); }
    } release{descriptor};
    std::vector<BYTE> administrators = wellKnownSid(WinBuiltinAdministratorsSid);
    std::vector<BYTE> system = wellKnownSid(WinLocalSystemSid);
    std::vector<BYTE> user = currentUserSid();
    const auto trusted = [&](PSID sid) { return EqualSid(sid, administrators.data()) || EqualSid(sid, system.data()); };
    const bool ownedByUser = owner && EqualSid(owner, user.data());
    const char* refused =
        "its owner or access list is not as the installer makes it: other users could read or "
        "change it";
    if (!owner || !(trusted(owner) || ownedByUser)) throw Error(refused);
    // No DACL at all lets everyone do everything.
    if (!dacl) throw Error(refused);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) throwFileError(GetLastError());
        const BYTE type = static_cast<ACE_HEADER*>(ace)->AceType;
        if (type == ACCESS_DENIED_ACE_TYPE) continue;
        if (type != ACCESS_ALLOWED_ACE_TYPE) throw Error(refused);
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        PSID sid = &allowed->SidStart;
        if (trusted(sid) || (ownedByUser && EqualSid(sid, user.data()))) continue;
        if ((allowed->Mask & ~kAppendOnly) != 0) throw Error(refused);
    }
}

void checkPath(const std::u16string& path) {
    if (path.empty() || holdsZero(path)) throw Error(std::string(messages::kInvalidFilename));
}

// Only a plain file of one name may be written: a link (a reparse point, or a second name of the same file)
// would carry the patient into a file somebody else chose, and a device or pipe is no file at all.
void checkPlainFile(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
    if (GetFileType(file) != FILE_TYPE_DISK) throwFileError(ERROR_ACCESS_DENIED);
    if (!GetFileInformationByHandle(file, &info)) throwFileError(GetLastError());
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
        info.nNumberOfLinks != 1) {
        throwFileError(ERROR_ACCESS_DENIED);
    }
}

// Whatever is at path itself, never what a link there points to; INVALID_HANDLE_VALUE when nothing is there.
FileHandle openAtName(const std::u16string& path, DWORD access, DWORD share) {
    FileHandle file(CreateFileW(wide(path), access, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) throwFileError(GetLastError());
    return file;
}

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// The folder part of path with its delimiter ("" for a bare name), where the new file is made.
std::u16string folderOf(const std::u16string& path) {
    const auto delimiter = path.find_last_of(u"\\/:");
    return delimiter == std::u16string::npos ? std::u16string() : path.substr(0, delimiter + 1);
}

// A name no imaging program looks for, made with CREATE_NEW, so nothing planted is reused. Not shared with
// anyone while it is written.
FileHandle createTemporary(const std::u16string& folder, SECURITY_ATTRIBUTES* security, std::u16string& name) {
    static std::mt19937_64 random{std::random_device{}()};
    constexpr char16_t kDigits[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + u".veltrane-";
        for (int i = 0; i < 10; ++i) name += kDigits[random() % (std::size(kDigits) - 1)];
        name += u".tmp";
        FileHandle file(CreateFileW(wide(name), GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC, 0, security,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return file;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return FileHandle(INVALID_HANDLE_VALUE);
}

// The DACL of the file being replaced, so a file that several accounts share stays shared as it was when it
// was rewritten in place. Empty when it cannot be read (the owner-only DACL then stays).
struct KeptDacl {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    bool isProtected = false;
    ~KeptDacl() {
        if (descriptor) LocalFree(descriptor);
    }
};

void readDacl(HANDLE file, KeptDacl& kept) {
    if (GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION, &kept.owner,
                        nullptr, &kept.dacl, nullptr, &kept.descriptor) != ERROR_SUCCESS) {
        kept.descriptor = nullptr;
        kept.dacl = nullptr;
        kept.owner = nullptr;
        return;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (GetSecurityDescriptorControl(kept.descriptor, &control, &revision)) {
        kept.isProtected = (control & SE_DACL_PROTECTED) != 0;
    }
}

// "user DOMAIN\name" for an account the system can name, else the SID's text; for messages.
std::u16string accountName(PSID sid) {
    wchar_t name[256] = {}, domain[256] = {};
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use{};
    if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
        return u"user " + (domain[0] ? fromWide(domain) + u"\\" : std::u16string()) + fromWide(name);
    }
    LPWSTR text = nullptr;
    if (ConvertSidToStringSidW(sid, &text)) {
        std::u16string out = u"user " + fromWide(text);
        LocalFree(text);
        return out;
    }
    return u"another user";
}

// Rename the file of this handle over target, so it is the very file just written that takes the name.
bool renameOver(HANDLE file, const std::u16string& target) {
    DWORD length = GetFullPathNameW(wide(target), 0, nullptr, nullptr);
    if (length == 0) return false;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(wide(target), length, full.data(), nullptr);
    if (length == 0 || length >= full.size()) return false;
    full.resize(length);
    // The rename takes a native path: "\\?\X:\..." and "X:\..." become "\??\X:\...", "\\server\share" "\??\UNC\...".
    std::wstring native;
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) {
        native = L"\\??\\" + full.substr(4);
    } else if (full.rfind(L"\\\\", 0) == 0) {
        native = L"\\??\\UNC\\" + full.substr(2);
    } else {
        native = L"\\??\\" + full;
    }
    const std::size_t nameBytes = native.size() * sizeof(wchar_t);
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, native.data(), nameBytes);
    return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != 0;
}

void writeAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) throwFileError(GetLastError());
        if (written == 0) throwFileError(ERROR_DISK_FULL);
        done += written;
    }
}

}  // namespace

std::string fileErrorText(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return std::string(messages::kFileNotFound);
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_DRIVE:
            return std::string(messages::kInvalidFilename);
        case ERROR_TOO_MANY_OPEN_FILES:
            return std::string(messages::kTooManyOpenFiles);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_CANNOT_MAKE:
            return std::string(messages::kFileAccessDenied);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::string(messages::kDiskFull);
        default:
            return formatMessage(messages::kIoError, std::to_string(error));
    }
}

void Win32Files::appendToFile(const std::u16string& path, const std::string& bytes) {
    checkPath(path);
    // Append-only access makes every WriteFile land at the end, so lines of two processes never interleave.
    // Whatever is at the name is opened itself, never followed.
    constexpr DWORD kAccess = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
    FileHandle file(CreateFileW(wide(path), kAccess, kShare, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        SharedLogSecurity security;
        file = FileHandle(CreateFileW(wide(path), kAccess, kShare, security.attributes(), CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
            file = FileHandle(CreateFileW(wide(path), kAccess, kShare, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        }
    }
    if (file.get() == INVALID_HANDLE_VALUE) throwFileError(GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    checkPlainFile(file.get(), info);
    checkLogAccess(file.get());
    writeAll(file.get(), bytes);
    file.close();
}

void Win32Files::writeWholeFile(const std::u16string& path, const std::string& bytes) {
    checkPath(path);
    // Look at what is there now: a file we may write, nothing, or something refused.
    BY_HANDLE_FILE_INFORMATION old{};
    KeptDacl keptDacl;
    bool exists = false;
    {
        FileHandle present = openAtName(path, FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (present.get() != INVALID_HANDLE_VALUE) {
            exists = true;
            checkPlainFile(present.get(), old);
            readDacl(present.get(), keptDacl);
        }
    }
    // Another user's file at the name (planted in a shared folder, readable by its planter) is never written
    // into, nor does its access list pass to the patient's record: the user's own owner-only file replaces it.
    const std::vector<BYTE> user = currentUserSid();
    const bool othersFile = keptDacl.owner && !EqualSid(keptDacl.owner, const_cast<BYTE*>(user.data()));
    std::u16string othersOwner;
    if (othersFile) {
        othersOwner = accountName(keptDacl.owner);
        keptDacl.dacl = nullptr;
    }

    OwnerOnlySecurity security;
    std::u16string temporary;
    FileHandle file = createTemporary(folderOf(path), security.attributes(), temporary);
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (!exists || error != ERROR_ACCESS_DENIED) throwFileError(error);
        if (othersFile) {
            throw Error(std::string(messages::kFileAccessDenied) + "\n" + utf16ToUtf8(path) + " belongs to " +
                        utf16ToUtf8(othersOwner) +
                        ", and its folder does not let it be replaced by a file of this user's own");
        }
        // A folder that takes no new file but holds one we may write: rewrite that very file, unshared.
        FileHandle same = openAtName(path, GENERIC_WRITE, 0);
        if (same.get() == INVALID_HANDLE_VALUE) throwFileError(ERROR_ACCESS_DENIED);
        BY_HANDLE_FILE_INFORMATION now{};
        checkPlainFile(same.get(), now);
        if (!sameFile(now, old)) throwFileError(ERROR_ACCESS_DENIED);
        if (!SetEndOfFile(same.get())) throwFileError(GetLastError());
        writeAll(same.get(), bytes);
        if (!FlushFileBuffers(same.get())) throwFileError(GetLastError());
        return same.close();
    }
    try {
        writeAll(file.get(), bytes);
        // The imaging program starts right after: the bytes must be out of our hands before that.
        if (!FlushFileBuffers(file.get())) throwFileError(GetLastError());
        if (keptDacl.dacl) {
            const SECURITY_INFORMATION which =
                DACL_SECURITY_INFORMATION |
                (keptDacl.isProtected ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
            const DWORD error =
                SetSecurityInfo(file.get(), SE_FILE_OBJECT, which, nullptr, nullptr, keptDacl.dacl, nullptr);
            if (error != ERROR_SUCCESS) throwFileError(error);
        }
        // Something may have been put at the name meanwhile: the rename would replace only the name, but what
        // was planted is refused like what was found before, and left for the user to see.
        {
            FileHandle planted =
                openAtName(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
            BY_HANDLE_FILE_INFORMATION now{};
            if (planted.get() != INVALID_HANDLE_VALUE) checkPlainFile(planted.get(), now);
        }
        if (!renameOver(file.get(), path)) throwFileError(GetLastError());
        file.close();
    } catch (...) {
        file = FileHandle(INVALID_HANDLE_VALUE);
        DeleteFileW(wide(temporary));
        throw;
    }
}

std::u16string Win32RequestFiles::writePrivateFile(std::u16string_view suffix, const std::string& bytes) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) throwFileError(GetLastError());
    static std::mt19937_64 random{std::random_device{}()};
    constexpr char16_t kDigits[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
    OwnerOnlySecurity security;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::u16string path = fromWide(folder) + u"veltrane-link-";
        for (int i = 0; i < 12; ++i) path += kDigits[random() % (std::size(kDigits) - 1)];
        path += suffix;
        FileHandle file(CreateFileW(wide(path), GENERIC_WRITE, 0, security.attributes(), CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            throwFileError(error);
        }
        try {
            writeAll(file.get(), bytes);
            file.close();
        } catch (...) {
            DeleteFileW(wide(path));
            throw;
        }
        return path;
    }
    throwFileError(ERROR_FILE_EXISTS);
}

void Win32RequestFiles::removeFile(const std::u16string& path) noexcept {
    if (!path.empty()) DeleteFileW(wide(path));
}

}  // namespace veltrane::platform::win32
