#include "linux/posix/registry_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/error.h"
#include "base/text.h"
#include "linux/posix/file_descriptor.h"
#include "linux/posix/posix_files.h"

namespace veltrane::platform::posix {

using platform::RegDocument;

namespace {

// Far above any real settings file; keeps a wrong path (a disk image, say) from being read into memory.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Write permission by the mode bits too, so a file the user marked read-only stays untouched even when the
// program runs as root, which access() alone would allow.
bool writableEntry(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

// Temporary files are only made while the lock is held, so any found by the lock holder are left by a
// process that was killed while writing.
void removeStaleTemporaries(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string prefix = baseNameOf(target) + ".tmp.";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

// Follows a chain of links by hand, so a link whose target does not exist yet still names that target and a
// first write creates it there instead of replacing the link.
std::string resolveLink(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return current;
        target.resize(static_cast<std::size_t>(n));
        current = target.front() == '/' ? target : folderOf(current) + "/" + target;
    }
    return current;
}

}  // namespace

std::string defaultRegistryFilePath() {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        std::string home;
        if (const char* h = std::getenv("HOME"); h && h[0] != '\0') {
            home = h;
        } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
            home = pw->pw_dir;
        }
        config = home + "/.config";
    }
    return config + "/veltrane-client-tools/registry.reg";
}

int replaceFileAtomically(const std::string& path, const std::string& bytes, unsigned mode) {
    const std::string target = resolveLink(path);
    std::string temp = target + ".tmp.XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) return errno;
    int error = ::fchmod(fd.get(), static_cast<mode_t>(mode)) != 0 ? errno : writeAll(fd.get(), bytes);
    if (error == 0 && ::fsync(fd.get()) != 0) error = errno;
    if (::close(fd.release()) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    // The rename has made the new file visible; a failing folder fsync cannot undo it, so it is not a refused
    // write.
    FileDescriptor folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return 0;
}

namespace {

// Group write counts as the user's own only for the user's private group, which nobody else is a member of.
bool privateGroupOfThisUser(gid_t gid) {
    if (gid != ::getegid()) return false;
    struct group entry {};
    struct group* found = nullptr;
    char buffer[16384];
    if (::getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr) return false;
    return found->gr_mem == nullptr || found->gr_mem[0] == nullptr;
}

// The settings name the programs this user starts. A file that another user can change, or replace in its
// folder, would let that user run programs of theirs as this one, so it is not used at all.
void refuseSettingsOthersControl(const struct stat& file, const std::string& path, const std::string& label) {
    const uid_t me = ::geteuid();
    const std::string notUsed = ": another user could make it start programs of theirs, so it is not used";
    if (file.st_uid != me && file.st_uid != 0) throw Error(label + " belongs to " + userName(file.st_uid) + notUsed);
    if ((file.st_mode & S_IWOTH) != 0 || ((file.st_mode & S_IWGRP) != 0 && !privateGroupOfThisUser(file.st_gid))) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(file.st_mode & 07777));
        throw Error(label + " can be changed by other users (mode " + mode + ")" + notUsed +
                    "; make it writable by its owner only");
    }
    const std::string folder = folderOf(resolveLink(path));
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) throw Error(label + " cannot be read: " + std::strerror(errno));
    const bool othersMayRename = (st.st_mode & S_ISVTX) == 0 &&
                                 ((st.st_mode & S_IWOTH) != 0 ||
                                  ((st.st_mode & S_IWGRP) != 0 && !privateGroupOfThisUser(st.st_gid)));
    if ((st.st_uid != me && st.st_uid != 0) || othersMayRename) {
        throw Error(label + " is in " + folder + ", where other users can put a file of theirs in its place" +
                    notUsed);
    }
}

}  // namespace

std::optional<std::string> readSettingsText(const std::string& path, const std::string& label, SettingsOwner owner) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return std::nullopt;
        throw Error(label + " cannot be read: " + std::strerror(errno));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw Error(label + " cannot be read: " + std::strerror(errno));
    if (owner == SettingsOwner::ThisUser) refuseSettingsOthersControl(st, path, label);
    if (S_ISREG(st.st_mode) && st.st_size > kMaxFileSize) {
        throw Error(label + " is too large to be a settings file (" + std::to_string(st.st_size) + " bytes)");
    }
    std::string bytes;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw Error(label + " cannot be read: " + std::strerror(errno));
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > static_cast<std::size_t>(kMaxFileSize)) {
            throw Error(label + " is too large to be a settings file");
        }
    }
    return bytes;
}

std::optional<std::u16string> currentUserKeyPath(std::u16string_view relativePath) {
    std::u16string full = u"HKEY_CURRENT_USER";
    std::size_t start = 0;
    while (start <= relativePath.size()) {
        std::size_t end = relativePath.find(u'\\', start);
        if (end == std::u16string_view::npos) end = relativePath.size();
        // Doubled, leading and trailing backslashes name no key of their own, as in the registry.
        if (end > start) {
            full += u'\\';
            full += relativePath.substr(start, end - start);
        }
        start = end + 1;
    }
    if (!platform::isWritableKeyPath(full)) return std::nullopt;
    return full;
}

namespace {

// A key reads the file as it stood when the key was opened: one parse per open, however many values the
// holder reads before closing it, as a registry key shows the values of the moment it is opened.
class FileKey final : public RegistryKey {
public:
    FileKey(RegistryFile& file, std::u16string path, std::optional<RegDocument> snapshot)
        : file_(file), path_(std::move(path)), snapshot_(std::move(snapshot)) {}

    std::optional<RegValue> queryValue(const std::u16string& name) override {
        if (!snapshot_) return std::nullopt;
        const auto* key = snapshot_->findKey(path_);
        if (!key) return std::nullopt;
        const auto* entry = key->find(name);
        if (!entry) return std::nullopt;
        return entry->value;
    }

    bool setStringValue(const std::u16string& name, const std::u16string& value) override {
        if (!platform::isWritableName(name)) return false;
        RegValue v{RegType::Sz, platform::stringValueData(value)};
        if (file_.update([&](RegDocument& doc) { return doc.setValue(path_, name, v); }) != 0) return false;
        // The holder reads back what it wrote.
        if (!snapshot_) snapshot_.emplace();
        snapshot_->setValue(path_, name, std::move(v));
        return true;
    }

    std::vector<std::u16string> valueNames() override {
        std::vector<std::u16string> names;
        const auto* key = snapshot_ ? snapshot_->findKey(path_) : nullptr;
        if (key) {
            for (const auto& entry : key->values) names.push_back(entry.name);
        }
        return names;
    }

    // One atomic rewrite of the file, so an import lands whole or not at all.
    void setValues(const std::vector<RegNamedValue>& values) override {
        std::vector<platform::RegEntry> entries;
        entries.reserve(values.size());
        for (const auto& v : values) {
            if (!platform::isWritableName(v.name))
                throw Error(file_.label() + " cannot hold the value name \"" + utf16ToUtf8(v.name) + "\"");
            entries.push_back({v.name, v.value, {}});
        }
        const int error = file_.update([&](RegDocument& doc) { return doc.setValues(path_, entries); });
        if (error != 0) throw Error(file_.label() + " cannot be written: " + std::strerror(error));
        if (!snapshot_) snapshot_.emplace();
        snapshot_->setValues(path_, entries);
    }

private:
    RegistryFile& file_;
    std::u16string path_;
    std::optional<RegDocument> snapshot_;
};

}  // namespace

RegistryFile::RegistryFile(std::string filePath) : path_(std::move(filePath)) {}

std::string RegistryFile::label() const { return "Settings file " + path_; }

std::string RegistryFile::targetPath() const { return resolveLink(path_); }

std::optional<RegistryFile::State> RegistryFile::observe() const {
    State state;
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) return std::nullopt;
        state.fileExists = true;
        state.file = FileIdentity::of(st);
    } else if (errno != ENOENT) {
        return std::nullopt;
    }
    if (::stat(folderOf(path_).c_str(), &st) != 0) return std::nullopt;
    state.folder = FileIdentity::of(st);
    return state;
}

bool RegistryFile::acceptsWrites() const { return acceptsWritesAt(observe()); }

bool RegistryFile::acceptsWritesAt(const std::optional<State>& now) const {
    if (now && checkedAt_ == now) return acceptedWrites_;
    const std::string target = targetPath();
    bool accepts = false;
    if (writableEntry(folderOf(target))) {
        struct stat st {};
        if (::stat(target.c_str(), &st) != 0) {
            accepts = errno == ENOENT;
        } else {
            accepts = writableEntry(target) && ::access(target.c_str(), R_OK) == 0;
        }
    }
    checkedAt_ = now;
    acceptedWrites_ = accepts;
    return accepts;
}

bool RegistryFile::prepareFolder() const {
    const std::string folder = folderOf(path_);
    // Usually there: one stat instead of a mkdir for every parent.
    if (struct stat st {}; ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/') continue;
        const std::string part = folder.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

std::optional<RegDocument> RegistryFile::load() const { return loadAt(observe()); }

std::optional<RegDocument> RegistryFile::loadAt(const std::optional<State>& now) const {
    // Observed before reading: a change made while reading leaves a state that differs from this one, so the
    // next operation reads again.
    if (now && loadedAt_ == now) return loaded_;
    loadedAt_.reset();
    const auto bytes = readSettingsText(path_, label(), SettingsOwner::ThisUser);
    std::optional<RegDocument> doc;
    // A file of no text holds no settings to lose, so it reads as empty instead of blocking every setting.
    if (bytes) doc = platform::parseRegText(*bytes, label(), platform::EmptyText::IsEmptyDocument);
    loaded_ = doc;
    loadedAt_ = now;
    return doc;
}

int RegistryFile::update(const std::function<bool(RegDocument&)>& change) {
    if (!prepareFolder()) return errno;
    // Checked before the lock file is made too, so a read-only folder gains no lock file.
    if (!acceptsWrites()) return EACCES;
    // A separate lock file, because the rename replaces the settings file's inode under a lock held on it. It
    // sits next to the file that is replaced, so every link to one managed file shares one lock.
    FileDescriptor lock(::open((targetPath() + ".lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0) return errno;
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) return errno;
    }
    if (!acceptsWrites()) return EACCES;
    RegDocument doc = load().value_or(RegDocument{});
    if (!change(doc)) return 0;
    const std::string target = targetPath();
    removeStaleTemporaries(target);
    // A file someone made readable to others (a managed copy, say) keeps its mode; a new one is the user's.
    struct stat st {};
    const unsigned mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0600;
    return replaceFileAtomically(target, platform::serializeRegText(doc), mode);
}

std::unique_ptr<RegistryKey> RegistryFile::openKeyToRead(const std::u16string& path) {
    const auto full = currentUserKeyPath(path);
    if (!full) return nullptr;
    auto doc = load();
    if (!doc || !doc->hasKey(*full)) return nullptr;
    return std::make_unique<FileKey>(*this, *full, std::move(doc));
}

std::unique_ptr<RegistryKey> RegistryFile::openKey(const std::u16string& path, bool create) {
    const auto full = currentUserKeyPath(path);
    if (!full) return nullptr;
    // One look at the file and its folder serves every check below while nothing changes.
    auto now = observe();
    // Access comes first, as the registry refuses a key it cannot open for all access before reading it.
    if (!create) {
        if (!acceptsWritesAt(now)) return nullptr;
        auto doc = loadAt(now);
        if (!doc || !doc->hasKey(*full)) return nullptr;
        return std::make_unique<FileKey>(*this, *full, std::move(doc));
    }
    if (!now || !S_ISDIR(now->folder.mode)) {
        if (!prepareFolder()) return nullptr;
        now = observe();
    }
    if (!acceptsWritesAt(now)) return nullptr;
    auto doc = loadAt(now);
    if (doc && doc->hasKey(*full)) return std::make_unique<FileKey>(*this, *full, std::move(doc));
    const int error = update([&](RegDocument& d) {
        if (d.hasKey(*full)) return false;
        d.addKey(*full);
        return true;
    });
    if (error != 0) return nullptr;
    return std::make_unique<FileKey>(*this, *full, load());
}

}  // namespace veltrane::platform::posix
