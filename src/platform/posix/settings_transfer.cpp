#include "platform/posix/settings_transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/error.h"
#include "base/text.h"
#include "platform/posix/file_descriptor.h"
#include "settings/settings_store.h"

namespace veltrane::platform::posix {

using settings::RegDocument;
using settings::RegKeyBlock;

namespace {

std::u16string programKeyPath() { return *currentUserKeyPath(settings::kSettingsKeyPath); }

}  // namespace

const RegKeyBlock* programKeyOf(const RegDocument& incoming) {
    const std::u16string path = programKeyPath();
    for (const auto& key : incoming.keys) {
        if (equalsIgnoreCase(key.path, path)) return &key;
    }
    return nullptr;
}

bool mergeProgramKey(RegDocument& stored, const RegKeyBlock& source) {
    return stored.setValues(programKeyPath(), source.values);
}

void exportSettings(RegistryFile& store, const std::string& outPath) {
    const auto stored = store.load();
    const std::u16string path = programKeyPath();
    RegDocument out;
    const RegKeyBlock* key = stored ? stored->findKey(path) : nullptr;
    out.keys.push_back(key ? *key : RegKeyBlock{path, {}, {}});
    const std::string bytes = settings::serializeRegText(out);

    if (outPath == "-") {
        if (const int error = writeAll(STDOUT_FILENO, bytes)) {
            throw Error(std::string("Cannot write the settings export to standard output: ") + std::strerror(error));
        }
        return;
    }
    struct stat st {};
    int error = 0;
    if (::stat(outPath.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        const int fd = ::open(outPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) {
            error = errno;
        } else {
            error = writeAll(fd, bytes);  // a device or standard output: no rename can take its place
            if (::close(fd) != 0 && error == 0) error = errno;
        }
    } else {
        const bool exists = ::stat(outPath.c_str(), &st) == 0;
        error = replaceFileAtomically(outPath, bytes, exists ? (st.st_mode & 07777) : 0600);
    }
    if (error != 0) throw Error("Cannot write settings export " + outPath + ": " + std::strerror(error));
}

ImportSummary importSettings(RegistryFile& store, const std::string& inPath, std::ostream& notes) {
    const std::string label = "Import file " + inPath;
    const auto bytes = readSettingsText(inPath, label);
    if (!bytes) throw Error(label + " cannot be read: " + std::strerror(ENOENT));
    // Every line is checked here, before the store is touched.
    const RegDocument incoming = settings::parseRegText(*bytes, label);

    const std::u16string path = programKeyPath();
    ImportSummary summary;
    const RegKeyBlock* source = nullptr;
    for (const auto& key : incoming.keys) {
        if (equalsIgnoreCase(key.path, path)) {
            source = &key;
        } else {
            summary.ignoredKeys.push_back(utf16ToUtf8(key.path));
            notes << "Ignored [" << summary.ignoredKeys.back() << "] in " << inPath << ": only [" << utf16ToUtf8(path)
                  << "] is imported\n";
        }
    }
    if (!source) {
        throw Error(label + " has no [" + utf16ToUtf8(path) + "] key; nothing was imported");
    }

    if (!store.prepareFolder()) {
        throw Error(store.label() + " cannot be created: " + std::strerror(errno) + "; nothing was imported");
    }
    const int error = store.update([&](RegDocument& doc) { return mergeProgramKey(doc, *source); });
    if (error != 0) {
        throw Error(store.label() + " cannot be written: " + std::strerror(error) + "; nothing was imported");
    }
    summary.valuesImported = source->values.size();
    return summary;
}

}  // namespace veltrane::platform::posix
