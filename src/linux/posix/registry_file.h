#pragma once
// The per-user registry on Linux: one file in the format of registry export files, replaced atomically under an
// advisory lock by every write, so several copies of the program never lose each other's values and a crash
// never leaves half a file. Every operation sees the file as it stands: what the last full read and check found
// is used again only while the file and its folder are exactly as they were then.

#include <functional>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "linux/posix/file_identity.h"
#include "platform/common/reg_format.h"

namespace veltrane::platform::posix {

// ${XDG_CONFIG_HOME:-$HOME/.config}/veltrane-client-tools/registry.reg
std::string defaultRegistryFilePath();

class RegistryFile final : public Registry {
public:
    explicit RegistryFile(std::string filePath);

    // Paths are relative to HKEY_CURRENT_USER. nullptr when the key is missing (open only), or when the folder
    // or file does not accept writes, since the key is always opened for full access. Throws veltrane::Error
    // when the file cannot be read or parsed.
    std::unique_ptr<RegistryKey> openKey(const std::u16string& path, bool create) override;
    // Reading needs no write access: a settings file made read-only still shows its values.
    std::unique_ptr<RegistryKey> openKeyToRead(const std::u16string& path) override;

    const std::string& filePath() const { return path_; }
    // "Settings file <path>", the start of every message about this file.
    std::string label() const;

    // The file as it stands; nullopt when it does not exist. Throws when it cannot be read or parsed.
    std::optional<platform::RegDocument> load() const;

    // Takes the lock, re-reads the file, lets change edit the document and, when change reports an edit,
    // replaces the file (temporary file in the same folder, fsync, rename, fsync of the folder). Returns 0, or
    // the errno of the refused write, in which case the file is as it was. Throws when the file cannot be read
    // or parsed, before anything is written.
    int update(const std::function<bool(platform::RegDocument&)>& change);

    // Creates the file's folder (0700) with any missing parents; false when that fails.
    bool prepareFolder() const;

private:
    // The file (absent or not) and its folder at one moment.
    struct State {
        bool fileExists = false;
        FileIdentity file;
        FileIdentity folder;
        bool operator==(const State&) const = default;
    };

    // The file written by rename: a symlinked settings file keeps its link and its target is replaced.
    std::string targetPath() const;
    // The folder takes a rename and the file (when present) can be read and written.
    bool acceptsWrites() const;
    // Two stats; nullopt when they fail or the path is a link, whose chain is followed afresh every time.
    std::optional<State> observe() const;
    // As acceptsWrites and load, for the state just observed.
    bool acceptsWritesAt(const std::optional<State>& now) const;
    std::optional<platform::RegDocument> loadAt(const std::optional<State>& now) const;

    std::string path_;
    // What the last full read and the last write check found, and the state they found it in. A start reads
    // the settings a dozen times; this spares it reading, parsing and checking the same bytes each time.
    mutable std::optional<State> loadedAt_;
    mutable std::optional<platform::RegDocument> loaded_;
    mutable std::optional<State> checkedAt_;
    mutable bool acceptedWrites_ = false;
};

// Whose file may be read: the settings file must be one that no other user can change or replace (it names the
// programs this user starts); an import file may be anyone's.
enum class SettingsOwner { ThisUser, Anyone };

// The whole file; nullopt when it does not exist. Throws veltrane::Error starting with label when it cannot be
// read, is far too large for a settings file, or (ThisUser) belongs to another user, can be written by other
// users, or lies in a folder where other users can replace it (not a sticky one).
std::optional<std::string> readSettingsText(const std::string& path, const std::string& label,
                                            SettingsOwner owner = SettingsOwner::Anyone);

// Replaces target with bytes through a temporary file in the same folder, fsync and rename, so a crash leaves
// the old file or the new one. A symlink keeps its link and its target is replaced. Returns 0 or the errno.
int replaceFileAtomically(const std::string& target, const std::string& bytes, unsigned mode = 0600);

// "HKEY_CURRENT_USER\..." for a path relative to that root; nullopt when the path cannot be written to the file.
std::optional<std::u16string> currentUserKeyPath(std::u16string_view relativePath);

}  // namespace veltrane::platform::posix
