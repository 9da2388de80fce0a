// INTERIM composition, used only until the real services (app/services.cpp) exist: enough to start the program
// and show its window. Settings live in memory for the run, no printer or launcher is available, and the
// activity log is not written. Delete this file when app/services.cpp lands.

#include <ctime>
#include <map>

#include "app/services.h"
#include "base/error.h"
#include "base/text.h"
#include "platform/noop/noop_services.h"
#include "platform/posix/command_line.h"
#include "platform/posix/process.h"

namespace veltrane::app {

namespace {

using namespace platform;

class MemoryKey final : public RegistryKey {
public:
    explicit MemoryKey(std::map<std::u16string, RegValue>& values) : values_(values) {}
    std::optional<RegValue> queryValue(const std::u16string& name) override {
        auto it = values_.find(name);
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    bool setStringValue(const std::u16string& name, const std::u16string& value) override {
        RegValue v{RegType::Sz, {}};
        for (char16_t c : value) {
            v.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
            v.data.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        v.data.push_back(0);
        v.data.push_back(0);
        values_[name] = v;
        return true;
    }

private:
    std::map<std::u16string, RegValue>& values_;
};

class MemoryRegistry final : public Registry {
public:
    std::unique_ptr<RegistryKey> openKey(const std::u16string& path, bool create) override {
        auto it = keys_.find(path);
        if (it == keys_.end()) {
            if (!create) return nullptr;
            it = keys_.emplace(path, std::map<std::u16string, RegValue>{}).first;
        }
        return std::make_unique<MemoryKey>(it->second);
    }

private:
    std::map<std::u16string, std::map<std::u16string, RegValue>> keys_;
};

class NoIni final : public IniReader {
public:
    std::u16string getString(const std::u16string&, const std::u16string&, const std::u16string&,
                             const std::u16string& defaultValue) override {
        return defaultValue;
    }
};

class NoFiles final : public FileSystem {
public:
    void appendToFile(const std::u16string&, const std::string&) override {}
    void writeWholeFile(const std::u16string&, const std::string&) override {
        throw Error(std::string(messages::kFileAccessDenied));
    }
};

class Latin1 final : public AnsiCodec {
public:
    int codePage() const override { return 28591; }
    std::string encode(std::u16string_view text, bool) override {
        std::string out;
        for (char16_t c : text) out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
        return out;
    }
    std::u16string decode(std::string_view bytes) override {
        std::u16string out;
        for (char c : bytes) out.push_back(static_cast<unsigned char>(c));
        return out;
    }
};

class SystemClock final : public Clock {
public:
    LocalDateTime now() override {
        const std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
    }
};

class PlainLocale final : public LocaleInfo {
public:
    std::u16string formatShortDate(const LocalDateTime& t) override {
        return utf8ToUtf16(std::to_string(t.day) + "/" + std::to_string(t.month) + "/" + std::to_string(t.year));
    }
    std::u16string formatLongTime(const LocalDateTime& t) override {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d", t.hour, t.minute, t.second);
        return utf8ToUtf16(buffer);
    }
    char16_t decimalSeparator() override { return u'.'; }
};

class NoFolders final : public SpecialFolders {
public:
    std::u16string folderPath(int) override { return u"/tmp"; }
};

class NoLauncher final : public Launcher {
public:
    void launch(const LaunchRequest&) override {}
};

class HostName final : public SystemInfo {
public:
    std::u16string computerName() override { return u"localhost"; }
};

class InterimServices final : public Services {
public:
    explicit InterimServices(std::vector<std::string> args) : commandLine_(std::move(args)) {}
    Registry& registry() override { return registry_; }
    IniReader& ini() override { return ini_; }
    FileSystem& files() override { return files_; }
    AnsiCodec& ansi() override { return ansi_; }
    Clock& clock() override { return clock_; }
    LocaleInfo& locale() override { return locale_; }
    SpecialFolders& folders() override { return folders_; }
    CommandLine& commandLine() override { return commandLine_; }
    Printers& printers() override { return printers_; }
    Launcher& launcher() override { return launcher_; }
    Clipboard& clipboard() override { return clipboard_; }
    Process& process() override { return process_; }
    SystemInfo& system() override { return system_; }

private:
    MemoryRegistry registry_;
    NoIni ini_;
    NoFiles files_;
    Latin1 ansi_;
    SystemClock clock_;
    PlainLocale locale_;
    NoFolders folders_;
    posix::PosixCommandLine commandLine_;
    noop::NoPrinters printers_;
    NoLauncher launcher_;
    noop::NoClipboard clipboard_;
    posix::PosixProcess process_;
    HostName system_;
};

}  // namespace

std::unique_ptr<Services> makeServices(std::vector<std::string> args, const ServiceOptions&) {
    return std::make_unique<InterimServices>(std::move(args));
}

}  // namespace veltrane::app
