// A print request end to end with the real printing pieces: the core, CUPS, the browser module (loaded on demand
// as the window loads it), process liveness and the process exit. The settings file, the request-file reader and
// the log file are simple stand-ins kept in plain files, so several runs can share one workstation.
//
//   print-harness --registry FILE --log FILE [--print-again N] [--hold] [--done-file FILE] -- ARGS...
//
// ARGS are the program's own arguments (-x request -s server). After each completed load the page is printed;
// once CUPS has accepted the first job, "Print Again" is pressed N times, and when every job is accepted DONE,
// unless --hold keeps the request open (to be killed, or ended through --done-file). --done-file presses DONE
// each time FILE appears (and removes it), so a test decides the order in which overlapping requests end; a
// failed DONE leaves the request open for the next. A start without a print request presses DONE at once.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "fakes/fake_platform.h"
#include "linux/cups/cups_printers.h"
#include "linux/modules/browser_view.h"
#include "linux/modules/dl_module_loader.h"
#include "linux/modules/module_path.h"
#include "support/file_bytes.h"
#include "support/linux/linux_bundle.h"
#include "support/utf16le_bytes.h"

using namespace veltrane;

namespace {

const auto kStart = std::chrono::steady_clock::now();

double elapsedMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - kStart).count();
}

// Registry values in a text file, one "path<TAB>name<TAB>value" line each, read afresh and rewritten on each write.
class FileRegistry final : public platform::Registry {
public:
    explicit FileRegistry(std::string path) : path_(std::move(path)) {}
    using Values = std::map<std::u16string, std::map<std::u16string, std::u16string>>;

    Values load() const {
        Values values;
        std::ifstream in(path_);
        std::string line;
        while (std::getline(in, line)) {
            const auto a = line.find('\t');
            const auto b = line.find('\t', a == std::string::npos ? a : a + 1);
            if (a == std::string::npos || b == std::string::npos) {
                if (!line.empty()) values[utf8ToUtf16(line)];
                continue;
            }
            values[utf8ToUtf16(line.substr(0, a))][utf8ToUtf16(line.substr(a + 1, b - a - 1))] =
                utf8ToUtf16(line.substr(b + 1));
        }
        return values;
    }
    // Overlapping requests share the file: each read-modify-write holds a lock, as the program's settings file does.
    class Lock {
    public:
        explicit Lock(const std::string& path) : fd_(::open((path + ".lock").c_str(), O_RDONLY | O_CREAT, 0600)) {
            if (fd_ >= 0) ::flock(fd_, LOCK_EX);
        }
        ~Lock() {
            if (fd_ >= 0) ::close(fd_);
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        int fd_;
    };
    Lock lock() const { return Lock(path_); }

    void save(const Values& values) const {
        const std::string temp = path_ + "." + std::to_string(::getpid()) + ".tmp";
        {
            std::ofstream out(temp, std::ios::trunc);
            for (const auto& [key, names] : values) {
                if (names.empty()) out << utf16ToUtf8(key) << "\n";
                for (const auto& [name, value] : names) {
                    out << utf16ToUtf8(key) << '\t' << utf16ToUtf8(name) << '\t' << utf16ToUtf8(value) << "\n";
                }
            }
        }
        std::filesystem::rename(temp, path_);
    }

    std::unique_ptr<platform::RegistryKey> openKey(const std::u16string& path, bool create) override;

private:
    std::string path_;
};

class FileKey final : public platform::RegistryKey {
public:
    FileKey(const FileRegistry& registry, std::u16string path) : registry_(registry), path_(std::move(path)) {}
    std::optional<platform::RegValue> queryValue(const std::u16string& name) override {
        const auto values = registry_.load();
        const auto key = values.find(path_);
        if (key == values.end()) return std::nullopt;
        const auto value = key->second.find(name);
        if (value == key->second.end()) return std::nullopt;
        return platform::RegValue{platform::RegType::Sz, veltrane::testing::regStringData(value->second)};
    }
    bool setStringValue(const std::u16string& name, const std::u16string& value) override {
        const auto held = registry_.lock();
        auto values = registry_.load();
        values[path_][name] = value;
        registry_.save(values);
        return true;
    }
    std::vector<std::u16string> valueNames() override {
        std::vector<std::u16string> names;
        const auto values = registry_.load();
        if (const auto key = values.find(path_); key != values.end()) {
            for (const auto& [name, value] : key->second) names.push_back(name);
        }
        return names;
    }
    // The stand-in keeps text only: nothing of the print path writes another type.
    void setValues(const std::vector<platform::RegNamedValue>& values) override {
        for (const auto& v : values) {
            if (v.value.type != platform::RegType::Sz) throw Error("The stand-in registry keeps text values only");
        }
        const auto held = registry_.lock();
        auto stored = registry_.load();
        for (const auto& v : values) {
            std::u16string text;
            for (std::size_t i = 0; i + 1 < v.value.data.size(); i += 2) {
                const auto c = static_cast<char16_t>(v.value.data[i] | v.value.data[i + 1] << 8);
                if (c == 0) break;
                text.push_back(c);
            }
            stored[path_][v.name] = text;
        }
        registry_.save(stored);
    }

private:
    const FileRegistry& registry_;
    std::u16string path_;
};

std::unique_ptr<platform::RegistryKey> FileRegistry::openKey(const std::u16string& path, bool create) {
    const auto held = lock();
    auto values = load();
    if (!values.count(path)) {
        if (!create) return nullptr;
        values[path];
        save(values);
    }
    return std::make_unique<FileKey>(*this, path);
}

// Section and key names without regard to letter case; nothing else of the platform's rules matters here.
class SimpleIni final : public platform::IniReader {
public:
    std::string whyUnreadable(const std::u16string& file) override {
        return std::ifstream(utf16ToUtf8(file)) ? std::string() : std::string("it cannot be opened");
    }
    std::u16string getString(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                             const std::u16string& defaultValue) override {
        std::ifstream in(utf16ToUtf8(file));
        std::string line, current;
        const auto lower = [](std::string s) {
            for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return s;
        };
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line.front() == '[') {
                current = lower(line.substr(1, line.find(']') - 1));
                continue;
            }
            const auto eq = line.find('=');
            if (eq == std::string::npos || current != lower(utf16ToUtf8(section))) continue;
            if (lower(line.substr(0, eq)) == lower(utf16ToUtf8(key))) return utf8ToUtf16(line.substr(eq + 1));
        }
        return defaultValue;
    }
};

class AppendFiles final : public platform::FileSystem {
public:
    void appendToFile(const std::u16string& path, const std::string& bytes) override {
        std::ofstream(utf16ToUtf8(path), std::ios::app | std::ios::binary) << bytes;
    }
    void writeWholeFile(const std::u16string& path, const std::string& bytes) override {
        veltrane::testing::writeFile(utf16ToUtf8(path), bytes);
    }
};

class FolderOf final : public platform::KnownFolders {
public:
    explicit FolderOf(std::u16string folder) : folder_(std::move(folder)) {}
    std::u16string folderPath(int) override { return folder_; }

private:
    std::u16string folder_;
};

// The browser module as the window uses it: loaded on the first navigation, its widget shown in the print view.
class ModuleBrowser final : public platform::Browser {
public:
    std::function<void()> onComplete;
    std::function<void(const std::string&)> onFailed;
    std::function<void(const std::string&)> onPrinted;
    std::function<void(const std::string&)> onPrintFailed;

    void navigate(const std::u16string& url, int flags) override {
        view().navigate(url, flags);
        navigated = true;
    }
    void print(const platform::PageSetupValues& pageSetup, const std::u16string& printer) override {
        view().print(pageSetup, printer);
    }
    bool navigated = false;

private:
    platform::BrowserView& view() {
        if (view_) return *view_;
        const std::string module =
            (std::filesystem::path(platform::modules::executablePath("")).parent_path() / VELTRANE_BROWSER_MODULE_FILE)
                .string();
        std::string why;
        const auto handle = modules_.load(module, why);
        if (!handle) throw Error("Cannot load the browser: " + why);
        auto* create =
            modules_.function<decltype(veltrane_create_browser_view)>(handle, kBrowserViewFactorySymbol, why);
        if (!create) throw Error("Cannot load the browser: no factory in " + module);
        window_.resize(540, 214);
        view_.reset(create(&window_));
        view_->widget()->resize(540, 214);
        view_->events.navigateComplete = [this] {
            if (onComplete) onComplete();
        };
        view_->events.navigateFailed = [this](const std::string& m) {
            if (onFailed) onFailed(m);
        };
        view_->events.printed = [this](const std::string& printer) {
            if (onPrinted) onPrinted(printer);
        };
        view_->events.printFailed = [this](const std::string& m) {
            if (onPrintFailed) onPrintFailed(m);
        };
        window_.show();
        std::fprintf(stderr, "harness: browser module loaded at %.0f ms\n", elapsedMs());
        return *view_;
    }
    platform::modules::DlModuleLoader modules_;
    QWidget window_;
    std::unique_ptr<platform::BrowserView> view_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string registryFile, logFile;
    int printAgain = 0;
    bool hold = false;
    std::string doneFile;
    std::vector<std::string> programArgs{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--registry" && i + 1 < argc)
            registryFile = argv[++i];
        else if (arg == "--log" && i + 1 < argc)
            logFile = argv[++i];
        else if (arg == "--print-again" && i + 1 < argc)
            printAgain = std::stoi(argv[++i]);
        else if (arg == "--hold")
            hold = true;
        else if (arg == "--done-file" && i + 1 < argc)
            doneFile = argv[++i];
        else if (arg == "--") {
            programArgs.insert(programArgs.end(), argv + i + 1, argv + argc);
            break;
        }
    }
    if (registryFile.empty() || logFile.empty()) {
        std::fprintf(stderr, "usage: %s --registry FILE --log FOLDER [--print-again N] [--hold] -- ARGS\n", argv[0]);
        return 2;
    }

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    FileRegistry registry(registryFile);
    SimpleIni ini;
    AppendFiles files;
    // The ANSI code page, clock, locale, launcher and computer name are the fakes'.
    fakes::FakePlatform fakes;
    FolderOf folders(utf8ToUtf16(logFile));
    platform::cups::CupsPrinters printers;
    ModuleBrowser browser;
    // The real command line, process, instances, and error reports on standard error (there is no window). The lock
    // of the requests' shared record beside the stand-in settings, as the program keeps it beside its own.
    veltrane::testing::LinuxBundle services({.registry = &registry,
                                             .ini = &ini,
                                             .files = &files,
                                             .ansi = &fakes.ansi,
                                             .clock = &fakes.clock,
                                             .locale = &fakes.locale,
                                             .folders = &folders,
                                             .printers = &printers,
                                             .launcher = &fakes.launcher,
                                             .browser = &browser,
                                             .system = &fakes.system},
                                            {.args = programArgs, .instancesLock = registryFile + ".journal-lock"});
    app::TForm1 form(services.bundle);

    // Each event catches what it raises and shows it, as the window's error report does.
    const auto event = [&](const char* name, const std::function<void()>& run) {
        try {
            run();
            return true;
        } catch (const Error& e) {
            std::fprintf(stderr, "harness: %s failed\n", name);
            services.dialogs.showError(utf8ToUtf16(e.what()));
            return false;
        }
    };
    const auto done = [&] {
        std::fprintf(stderr, "harness: DONE at %.0f ms\n", elapsedMs());
        event("DONE", [&] { form.ColorButton1Click(); });
    };
    int accepted = 0;
    browser.onComplete = [&] {
        std::fprintf(stderr, "harness: loaded at %.0f ms\n", elapsedMs());
        // A print refused at once reports no outcome later: the request ends here.
        if (!event("print", [&] { form.WebBrowser1NavigateComplete2(); }) && !hold) done();
    };
    browser.onPrinted = [&](const std::string& printer) {
        form.WebBrowser1Printed(utf8ToUtf16(printer));
        std::fprintf(stderr, "harness: printed on %s at %.0f ms\n", printer.c_str(), elapsedMs());
        if (++accepted == 1) {
            for (int i = 0; i < printAgain; ++i) event("Print Again", [&] { form.ColorButton2Click(); });
        }
        if (accepted == 1 + printAgain && !hold) done();
    };
    browser.onPrintFailed = [&](const std::string& message) {
        event("print", [&] { form.WebBrowser1PrintFailed(message); });
        if (!hold) done();
    };
    browser.onFailed = [&](const std::string& message) {
        event("load", [&] { form.WebBrowser1NavigateFailed(message); });
        if (!hold) done();
    };
    QTimer doneTrigger;
    if (!doneFile.empty()) {
        QObject::connect(&doneTrigger, &QTimer::timeout, [&] {
            if (!std::filesystem::exists(doneFile)) return;
            std::filesystem::remove(doneFile);
            done();
            std::fprintf(stderr, "harness: still open after DONE\n");
        });
        doneTrigger.start(20);
    }

    event("start-up", [&] { form.FormCreate(); });
    if (!browser.navigated && !hold) done();
    return app.exec();
}
