#include "windows/browser/print_coordinator.h"

#include <winspool.h>

#include <utility>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "printing/default_printer.h"
#include "printing/page_setup.h"
#include "windows/common/file_lock.h"
#include "windows/common/message_window.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"VeltranePrintCoordinator";
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT_PTR kHoldTimer = 2;

std::string defaultPrinterName() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return "the default printer";
    std::vector<wchar_t> name(size);
    if (!GetDefaultPrinterW(name.data(), &size)) return "the default printer";
    return utf16ToUtf8(fromWide(name.data()));
}

class EngineKey {
public:
    EngineKey() {
        // The core's path starts below the hive, with a backslash the registry calls do not take.
        std::u16string path = printing::kPageSetupKeyPath;
        if (!path.empty() && path.front() == u'\\') path.erase(0, 1);
        const LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, wide(path), 0, nullptr, 0,
                                               KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        if (status != ERROR_SUCCESS) fail("the browser's page-setup key cannot be opened", status);
    }
    ~EngineKey() { RegCloseKey(key_); }
    EngineKey(const EngineKey&) = delete;
    EngineKey& operator=(const EngineKey&) = delete;

    void set(const wchar_t* name, const std::u16string& value) {
        if (holdsZero(value)) fail(name, ERROR_INVALID_DATA);
        const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        const LSTATUS status = RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide(value)), bytes);
        if (status != ERROR_SUCCESS) fail(name, status);
    }

    // A value that is absent or empty already means the engine's default and is left as the user has it.
    void toDefault(const wchar_t* name) {
        DWORD type = 0;
        DWORD size = 0;
        const LSTATUS found = RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size);
        if (found == ERROR_FILE_NOT_FOUND || (found == ERROR_SUCCESS && size <= sizeof(wchar_t))) return;
        const LSTATUS status = RegDeleteValueW(key_, name);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) fail(name, status);
    }

private:
    [[noreturn]] static void fail(const wchar_t* name, LSTATUS status) {
        fail("its page setup (" + utf16ToUtf8(fromWide(name)) + ") cannot be written", status);
    }
    [[noreturn]] static void fail(const std::string& what, LSTATUS status) {
        throw Error("The page was not printed: " + what + ": " + systemMessage(static_cast<unsigned long>(status)));
    }

    HKEY key_ = nullptr;
};

}  // namespace

void writeEnginePageSetup(const PageSetupValues& pageSetup) {
    EngineKey key;
    key.set(L"header", pageSetup.header);
    key.set(L"footer", pageSetup.footer);
    const std::pair<const wchar_t*, const std::u16string*> margins[] = {
        {L"margin_bottom", &pageSetup.marginBottom},
        {L"margin_top", &pageSetup.marginTop},
        {L"margin_left", &pageSetup.marginLeft},
        {L"margin_right", &pageSetup.marginRight},
    };
    for (const auto& [name, value] : margins) {
        if (value->empty())
            key.toDefault(name);
        else
            key.set(name, *value);
    }
}

PrintCoordinator::PrintCoordinator(Printers& printers, std::u16string lockPath, Limits limits, Reports reports)
    : printers_(printers), lockPath_(std::move(lockPath)), limits_(limits), reports_(std::move(reports)) {}

PrintCoordinator::~PrintCoordinator() {
    if (window_) DestroyWindow(window_);
}

void PrintCoordinator::print(const PageSetupValues& pageSetup, const std::u16string& printer, Engine engine) {
    ensureWindow();
    Job job{pageSetup, printer, std::move(engine)};
    // Prints keep their order: one asked for while others wait, waits behind them.
    if (!lock_ && waiting_.empty()) lock_ = tryLock();
    if (lock_) {
        run(job);
        return;
    }
    if (waiting_.empty()) {
        waitingSince_ = GetTickCount64();
        SetTimer(window_, kRetryTimer, static_cast<UINT>(limits_.retryMs), nullptr);
    }
    waiting_.push_back(std::move(job));
}

void PrintCoordinator::printDone() {
    if (outstanding_ == 0 || --outstanding_ > 0) return;
    release();
}

std::unique_ptr<InstancesLock> PrintCoordinator::tryLock() {
    if (lockPath_.empty()) lockPath_ = localProgramFile(u"print.lock");
    return lockWholeFile(lockPath_, /*wait=*/false);
}

void PrintCoordinator::run(const Job& job) {
    try {
        if (!job.printer.empty() && !printing::DefaultPrinter(printers_).writeDefaultEntryFor(job.printer)) {
            throw Error("The page was not printed: the printer " + utf16ToUtf8(job.printer) +
                        " is not installed any more");
        }
        writeEnginePageSetup(job.pageSetup);
    } catch (const Error&) {
        if (outstanding_ == 0) release();
        throw;
    }
    // Counted before the command: the engine may lay the print out before the command returns.
    ++outstanding_;
    SetTimer(window_, kHoldTimer, static_cast<UINT>(limits_.holdMs), nullptr);
    try {
        job.engine();
    } catch (const Error&) {
        printDone();
        throw;
    }
    if (reports_.printed) reports_.printed(job.printer.empty() ? defaultPrinterName() : utf16ToUtf8(job.printer));
}

void PrintCoordinator::release() {
    outstanding_ = 0;
    if (window_) KillTimer(window_, kHoldTimer);
    lock_.reset();
}

void PrintCoordinator::retry() {
    while (!waiting_.empty()) {
        if (!lock_) {
            try {
                lock_ = tryLock();
            } catch (const Error& e) {
                failWaiting(e.what());
                return;
            }
            if (!lock_) {
                if (GetTickCount64() - waitingSince_ < static_cast<ULONGLONG>(limits_.waitMs)) return;
                failWaiting(
                    "The page was not printed: another print request kept the printer and page setup for "
                    "more than " +
                    std::to_string((limits_.waitMs + 999) / 1000) + " seconds. Press Print Again to try again");
                return;
            }
        }
        const Job job = std::move(waiting_.front());
        waiting_.pop_front();
        try {
            run(job);
        } catch (const Error& e) {
            if (reports_.failed) reports_.failed(e.what());
        }
    }
    KillTimer(window_, kRetryTimer);
}

void PrintCoordinator::failWaiting(const std::string& message) {
    KillTimer(window_, kRetryTimer);
    std::deque<Job> jobs;
    jobs.swap(waiting_);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (reports_.failed) reports_.failed(message);
    }
}

void PrintCoordinator::ensureWindow() {
    if (window_) return;
    window_ = createMessageWindow(kWindowClass, windowProc, this);
    if (!window_) throw Error("The page was not printed: " + systemMessage(GetLastError()));
}

LRESULT CALLBACK PrintCoordinator::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PrintCoordinator*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_TIMER) {
        if (wParam == kRetryTimer) self->retry();
        // The engine never said it was done: the others may not wait for ever.
        if (wParam == kHoldTimer) self->release();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace veltrane::platform::win32
