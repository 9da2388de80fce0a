#pragma once
// In-memory platform services for unit tests of the core. Each records what the core asked of it and can be
// told how to answer.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "fakes/test_platform.h"
#include "platform/platform.h"

namespace veltrane::fakes {

using namespace veltrane::platform;

// Keys and value names ignore letter case, as the registry does.
struct FoldedLess {
    bool operator()(const std::u16string& a, const std::u16string& b) const;
};

class FakeRegistry final : public Registry {
public:
    using Values = std::map<std::u16string, RegValue, FoldedLess>;
    std::map<std::u16string, Values, FoldedLess> keys;
    bool refuseCreate = false;             // the key cannot be created (nor opened with creation)
    bool refuseWrites = false;             // every value write is refused
    std::vector<std::u16string> writeLog;  // "key|name=value" in order

    std::unique_ptr<RegistryKey> openKey(const std::u16string& path, bool create) override;

    // Helpers for tests.
    void setString(const std::u16string& path, const std::u16string& name, const std::u16string& value);
    void setRaw(const std::u16string& path, const std::u16string& name, RegType type, std::vector<std::uint8_t> data);
    std::optional<std::u16string> getString(const std::u16string& path, const std::u16string& name) const;
};

class FakeIni final : public IniReader {
public:
    // file -> "section/key" (lower case) -> value
    std::map<std::u16string, std::map<std::u16string, std::u16string>> files;
    void set(const std::u16string& file, const std::u16string& section, const std::u16string& key,
             const std::u16string& value);
    std::u16string getString(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                             const std::u16string& defaultValue) override;
    // Every file can be read (one without values reads as empty) but those in unreadable, with that reason.
    std::map<std::u16string, std::string> unreadable;
    std::string whyUnreadable(const std::u16string& file) override;
};

class FakeFiles final : public FileSystem {
public:
    std::map<std::u16string, std::string> contents;
    std::vector<std::u16string> operations;  // "append:<path>" / "write:<path>" in order
    std::optional<std::string> failWith;     // every operation throws this text
    void appendToFile(const std::u16string& path, const std::string& bytes) override;
    void writeWholeFile(const std::u16string& path, const std::string& bytes) override;
};

// Latin-1 stands in for the ANSI code page: code points up to U+00FF map to one byte, others to '?'.
class FakeAnsi final : public AnsiCodec {
public:
    int codePage() const override { return 28591; }
    std::string encode(std::u16string_view text, bool bestFit) override;
    std::u16string decode(std::string_view bytes) override;
};

class FakeClock final : public Clock {
public:
    LocalDateTime time{2026, 12, 9, 14, 5, 9, 0};
    LocalDateTime now() override { return time; }
};

// Short date d/M/yyyy and long time H:mm:ss.
class FakeLocale final : public LocaleInfo {
public:
    char16_t separator = u'.';
    std::u16string formatShortDate(const LocalDateTime& t) override;
    std::u16string formatLongTime(const LocalDateTime& t) override;
    char16_t decimalSeparator() override { return separator; }
};

class FakeFolders final : public KnownFolders {
public:
    std::u16string commonDocuments = u"/shared";
    std::u16string folderPath(int folder) override { return folder == kCommonDocuments ? commonDocuments : u""; }
};

class FakeCommandLine final : public CommandLine {
public:
    std::vector<std::u16string> args{u"/opt/veltrane/veltrane-client-tools"};
    int paramCount() override { return static_cast<int>(args.size()) - 1; }
    std::u16string paramStr(int i) override {
        return i >= 0 && static_cast<std::size_t>(i) < args.size() ? args[static_cast<std::size_t>(i)] : u"";
    }
};

class FakePrinters final : public Printers {
public:
    std::vector<std::u16string> names;
    std::optional<std::u16string> defaultName;
    std::vector<std::u16string> profileWrites;
    bool applyWrites = true;                  // a written entry makes its device the default, as the platform would
    std::optional<std::string> writeFailure;  // the entry write fails with this text
    int namesAsked = 0;
    std::function<void()> whenNamesAsked;  // run as the names are asked, to see what the caller has done by then
    std::vector<std::u16string> printerNames() override {
        ++namesAsked;
        if (whenNamesAsked) whenNamesAsked();
        return names;
    }
    std::optional<std::u16string> defaultPrinterName() override { return defaultName; }
    PrinterDetails details(const std::u16string& name) override { return {name, u"winspool", u"Ne00:"}; }
    void writeDefaultDeviceEntry(const std::u16string& value) override;
};

class FakeLauncher final : public Launcher {
public:
    std::vector<LaunchRequest> launched;
    std::optional<std::string> failWith;  // the system's text of a start that fails
    void launch(const LaunchRequest& request) override {
        if (failWith) throw Error(*failWith);
        launched.push_back(request);
    }
};

class FakeClipboard final : public Clipboard {
public:
    std::vector<std::u16string> texts;
    std::optional<std::string> failWith;
    void setText(const std::u16string& text) override;
};

class FakeDialogs final : public Dialogs {
public:
    struct Shown {
        std::u16string text;
        bool error;
        MessagePlacement placement;
    };
    std::vector<Shown> shown;
    std::vector<std::optional<std::u16string>> answers;  // answers for the next file dialogs, in order
    std::vector<bool> dialogModes;                       // folderMode of each dialog shown
    void showMessage(const std::u16string& text, MessagePlacement placement) override;
    void showError(const std::u16string& text) override;
    std::optional<std::u16string> chooseFileOrFolder(bool folderMode) override;
};

class FakeBrowser final : public Browser {
public:
    std::vector<std::pair<std::u16string, int>> navigations;
    int prints = 0;
    std::vector<PageSetupValues> printedWith;  // the page setup of each print, in order
    std::vector<std::u16string> printedOn;     // the printer each print named (empty: the default)
    std::optional<std::string> printFailure;
    std::optional<std::string> notViewable;  // ensureViewable throws this
    void navigate(const std::u16string& url, int flags) override { navigations.emplace_back(url, flags); }
    void print(const PageSetupValues& pageSetup, const std::u16string& printer) override;
    void ensureViewable() override;
};

// Thrown by FakeProcess::exit so a test can see that, and with which code, the process would end.
struct ProcessExited {
    int code;
};

class FakeProcess final : public Process {
public:
    [[noreturn]] void exit(int code) override { throw ProcessExited{code}; }
};

class FakeSystemInfo final : public SystemInfo {
public:
    std::u16string name = u"RECEPTION-1";
    std::u16string computerName() override { return name; }
};

class FakeInstances final : public RunningInstances {
public:
    std::u16string self = u"self";
    std::vector<std::u16string> running{u"self"};
    std::u16string selfToken() override { return self; }
    bool isRunning(const std::u16string& token) override;
    std::unique_ptr<InstancesLock> lockShared() override { return std::make_unique<InstancesLock>(); }
};

// All fakes together, with the bundle the core takes.
struct FakePlatform {
    FakeRegistry registry;
    FakeIni ini;
    FakeFiles files;
    FakeAnsi ansi;
    FakeClock clock;
    FakeLocale locale;
    FakeFolders folders;
    FakeCommandLine commandLine;
    FakePrinters printers;
    FakeLauncher launcher;
    FakeClipboard clipboard;
    FakeDialogs dialogs;
    FakeBrowser browser;
    FakeProcess process;
    FakeSystemInfo system;
    FakeInstances instances;
    Platform bundle = makeTestPlatform(*this);

    // Switches the activity log on and returns the lines written so far (time stamps stripped).
    void enableLog();
    // Where the activity log lands, with the platform's path delimiter.
    std::u16string logPath() const;
    std::vector<std::string> logLines() const;
};

inline const std::u16string kVeltraneKey = u"\\Software\\Veltrane";

}  // namespace veltrane::fakes
