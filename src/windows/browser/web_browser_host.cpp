#include "windows/browser/web_browser_host.h"

#include <commctrl.h>
#include <exdisp.h>
#include <ole2.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "printing/print_request.h"
#include "windows/browser/browser_emulation.h"
#include "windows/browser/browser_security.h"
#include "windows/browser/navigate_error_text.h"
#include "windows/browser/ole_container.h"
#include "windows/browser/print_coordinator.h"
#include "windows/common/message_window.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

constexpr int kDefaultLoadTimeLimitMs = 60000;
constexpr UINT_PTR kLoadTimer = 1;
constexpr UINT kDeliverEvents = WM_APP + 1;
constexpr UINT_PTR kParentSubclassId = 0x56454C54;  // "VELT"
constexpr const wchar_t* kEventWindowClass = L"VeltraneBrowserEvents";
constexpr const char* kNoPageLoaded = "No page is loaded";

template <typename T>
void release(T*& pointer) {
    if (pointer) pointer->Release();
    pointer = nullptr;
}

// The identity of a COM object is its IUnknown.
bool sameObject(IUnknown* a, IUnknown* b) {
    if (!a || !b) return false;
    IUnknown* left = nullptr;
    IUnknown* right = nullptr;
    a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&left));
    b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&right));
    const bool same = left && left == right;
    release(left);
    release(right);
    return same;
}

std::string printRefusal(HRESULT result) {
    // OLECMDERR_E_NOTSUPPORTED and OLECMDERR_E_DISABLED: the document does not offer printing at this moment.
    if (result == static_cast<HRESULT>(0x80040100L) || result == static_cast<HRESULT>(0x80040101L)) {
        return "The page could not be printed: the browser cannot print this document now";
    }
    return "The page could not be printed: " + systemMessage(static_cast<unsigned long>(result));
}

}  // namespace

class WebBrowserHost::Impl final : public ControlEventHandler {
public:
    Impl(Printers& printers, std::u16string printLockPath)
        : prints_(printers, std::move(printLockPath), {},
                  {[this](const std::string& printer) {
                       queue(Event{Event::Printed, generation_, printer, 0});
                   },
                   [this](const std::string& message) {
                       queue(Event{Event::PrintFailed, generation_, message, 0});
                   }}) {}
    ~Impl() override { shutdown(); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void navigate(const std::u16string& url, int flags) {
        if (!browser_) {
            pending_.emplace(url, flags);
            return;
        }
        start(url, flags);
    }

    void print(const PageSetupValues& pageSetup, const std::u16string& printer) {
        checkPrintable();
        // A print that waits for another request's print is checked again when its turn comes.
        prints_.print(pageSetup, printer, [this] {
            checkPrintable();
            // Empty input and output: the engine takes the default printer and its page-setup key, which hold
            // this print's values while the coordinator's lock is held.
            const HRESULT result = browser_->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr);
            if (FAILED(result)) throw Error(printRefusal(result));
        });
    }

    void ensureViewable() {
        initializeOle();
        IClassFactory* factory = nullptr;
        const HRESULT result = CoGetClassObject(CLSID_WebBrowser, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                                reinterpret_cast<void**>(&factory));
        release(factory);
        if (FAILED(result)) {
            throw Error("The print window cannot be shown: this computer's web browser component is not available (" +
                        systemMessage(static_cast<unsigned long>(result)) + ")");
        }
    }

    void attach(HWND parent, BrowserEvents events) {
        if (!parent || !IsWindow(parent)) throw Error("The web browser has no window to be shown in");
        closeControl();
        events_ = std::move(events);
        initializeOle();
        createEventWindow();
        // Before the control exists: the engine reads the document mode once per process. A value that cannot be
        // written leaves pages in an older mode, which still shows and prints them: no reason to refuse the print.
        setBrowserEmulation();
        // Also once per process and before the control exists. An engine without these switches still has the
        // site's security manager and the origin rule, which are what keep the print to the practice server.
        lockDownBrowserEngine();
        createControl(parent);
        if (pending_) {
            const auto [url, flags] = *pending_;
            pending_.reset();
            start(url, flags);
        }
    }

    void resize() {
        if (!inPlace_ || !parent_) return;
        RECT client{};
        GetClientRect(parent_, &client);
        inPlace_->SetObjectRects(&client, &client);
    }

    HWND controlWindow() const {
        HWND window = nullptr;
        if (inPlace_) inPlace_->GetWindow(&window);
        return window;
    }

    bool attached() const { return browser_ != nullptr; }
    bool pageLoaded() const { return loaded_; }

    // ControlEventHandler: only bookkeeping and posting, the program hears of it from the event window.
    bool beforeNavigate2(IDispatch* frame, const std::u16string& url) override {
        if (printing::sameOrigin(url, requested_)) return false;
        // A frame from elsewhere is left out of the page; the page itself leaving is the load's failure.
        if (sameObject(frame, browser_)) refuse(url);
        return true;
    }

    void navigateComplete2(IDispatch* frame, const std::u16string& url) override {
        if (!sameObject(frame, browser_)) return;
        // The engine follows a server's redirect without a BeforeNavigate2 of its own: the address that arrived
        // is checked here, before anything can print it.
        if (!printing::sameOrigin(url, requested_)) {
            refuse(url);
            if (browser_) browser_->Stop();
            return;
        }
        if (!loading_ || wasSuperseded(url)) return;
        committed_ = true;
    }

    void documentComplete(IDispatch* frame) override {
        // The top-level document is complete once every frame of it is: only then is a print the whole page.
        if (!sameObject(frame, browser_) || !loading_ || !committed_) return;
        finishLoad();
        loaded_ = true;
        queue(Event{Event::Complete, generation_, {}, 0});
    }

    bool navigateError(IDispatch* frame, const std::u16string& url, long statusCode) override {
        // A frame that fails leaves the rest of the page to print; the top-level document failing is the error.
        if (!sameObject(frame, browser_)) return false;
        if (loading_ && !wasSuperseded(url)) {
            finishLoad();
            loaded_ = false;
            queue(Event{Event::Failed, generation_,
                        describeNavigateError(utf16ToUtf8(url.empty() ? requested_ : url), statusCode), 0});
        }
        // The engine's own error page must never be shown as the document, nor printed.
        return true;
    }

    void printTemplateTeardown() override { prints_.printDone(); }

    void progressChange(long progress, long progressMax) override {
        if (!loading_) return;
        int percent = 0;
        if (progress < 0)
            percent = 100;  // the engine's "done"
        else if (progressMax > 0)
            percent = static_cast<int>(std::min<long long>(100, progress * 100LL / progressMax));
        queue(Event{Event::Progress, generation_, {}, percent});
    }

    static LRESULT CALLBACK eventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == kDeliverEvents) {
            self->deliver();
            return 0;
        }
        if (self && message == WM_TIMER && wParam == kLoadTimer) {
            self->onTimeLimit();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static LRESULT CALLBACK parentSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) {
        auto* self = reinterpret_cast<Impl*>(data);
        if (message == WM_SIZE) {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            self->resize();
            return result;
        }
        if (message == WM_NCDESTROY) {
            // The control's windows go with the parent: the control is closed while it can still be.
            self->closeControl();
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }

private:
    struct Event {
        enum Kind { Complete, Failed, Progress, Printed, PrintFailed } kind;
        int generation;
        std::string text;
        int percent;
    };

    void checkPrintable() {
        if (!browser_ || !loaded_) throw Error(kNoPageLoaded);
        // What is shown must still be the practice server's page, whatever moved it since it loaded.
        if (const std::u16string shown = locationUrl(); !printing::sameOrigin(shown, requested_)) {
            throw Error(printing::describeRefusedPage(shown, requested_));
        }
    }

    void initializeOle() {
        if (oleInitialized_) return;
        const HRESULT result = OleInitialize(nullptr);
        if (FAILED(result)) {
            throw Error("The web browser cannot be started in this program's window thread (" +
                        systemMessage(static_cast<unsigned long>(result)) + ")");
        }
        oleInitialized_ = true;
    }

    void createEventWindow() {
        if (eventWindow_) return;
        eventWindow_ = createMessageWindow(kEventWindowClass, eventWindowProc, this);
        if (!eventWindow_) throw Error("The web browser could not be started: " + systemMessage(GetLastError()));
    }

    [[noreturn]] void controlFailed(HRESULT result) {
        closeControl();
        throw Error("The web browser could not be started: " + systemMessage(static_cast<unsigned long>(result)));
    }

    void createControl(HWND parent) {
        parent_ = parent;
        HRESULT result = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                          reinterpret_cast<void**>(&ole_));
        if (FAILED(result)) controlFailed(result);
        site_ = new OleSite(parent);
        sink_ = new BrowserEventSink(this);
        if (FAILED(result = ole_->SetClientSite(site_))) controlFailed(result);
        OleSetContainedObject(ole_, TRUE);
        RECT client{};
        GetClientRect(parent, &client);
        if (FAILED(result = ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, parent, &client)))
            controlFailed(result);
        if (FAILED(result = ole_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))))
            controlFailed(result);
        if (FAILED(result = ole_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace_))))
            controlFailed(result);
        site_->setInPlaceObject(inPlace_);
        IConnectionPointContainer* points = nullptr;
        result = ole_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points));
        if (SUCCEEDED(result)) result = points->FindConnectionPoint(DIID_DWebBrowserEvents2, &eventPoint_);
        release(points);
        if (SUCCEEDED(result)) result = eventPoint_->Advise(sink_, &eventCookie_);
        // Without its events the control would load pages that are never printed and never reported.
        if (FAILED(result)) controlFailed(result);
        SetWindowSubclass(parent, parentSubclassProc, kParentSubclassId, reinterpret_cast<DWORD_PTR>(this));
        resize();
    }

    void closeControl() {
        if (parent_) RemoveWindowSubclass(parent_, parentSubclassProc, kParentSubclassId);
        if (eventPoint_ && eventCookie_) eventPoint_->Unadvise(eventCookie_);
        eventCookie_ = 0;
        release(eventPoint_);
        if (sink_) sink_->detach();
        release(sink_);
        if (site_) site_->setInPlaceObject(nullptr);
        release(inPlace_);
        release(browser_);
        if (ole_) {
            ole_->Close(OLECLOSE_NOSAVE);
            ole_->SetClientSite(nullptr);
        }
        release(ole_);
        release(site_);
        parent_ = nullptr;
        loading_ = loaded_ = committed_ = false;
    }

    void shutdown() {
        closeControl();
        if (eventWindow_) {
            KillTimer(eventWindow_, kLoadTimer);
            DestroyWindow(eventWindow_);
            eventWindow_ = nullptr;
        }
        events_ = {};
        queue_.clear();
        if (oleInitialized_) OleUninitialize();
        oleInitialized_ = false;
    }

    // The engine may still report on a navigation that a newer one replaced; such a report names the older
    // address and is not the newer one's outcome. Each older address is forgiven once.
    bool wasSuperseded(const std::u16string& url) {
        if (url == requested_) return false;
        const auto found = std::find(superseded_.begin(), superseded_.end(), url);
        if (found == superseded_.end()) return false;
        superseded_.erase(found);
        return true;
    }

    void start(const std::u16string& url, int flags) {
        if (loading_) superseded_.push_back(requested_);
        ++generation_;
        requested_ = url;
        loading_ = true;
        loaded_ = false;
        committed_ = false;
        SetTimer(eventWindow_, kLoadTimer, static_cast<UINT>(WebBrowserHost::loadTimeLimitMs()), nullptr);
        VARIANT flagsArgument;
        VariantInit(&flagsArgument);
        V_VT(&flagsArgument) = VT_I4;
        V_I4(&flagsArgument) = flags;
        VARIANT none;  // no target frame, post data or extra headers
        VariantInit(&none);
        BSTR address = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(url.data()), static_cast<UINT>(url.size()));
        const HRESULT result =
            address ? browser_->Navigate(address, &flagsArgument, &none, &none, &none) : E_OUTOFMEMORY;
        SysFreeString(address);
        if (FAILED(result) && loading_) {
            finishLoad();
            queue(Event{Event::Failed, generation_, describeNavigateError(utf16ToUtf8(url), result), 0});
        }
    }

    // Ends the load as failed, once, saying which page was not the practice server's; nothing prints after it.
    void refuse(const std::u16string& url) {
        if (refusedGeneration_ == generation_) return;
        refusedGeneration_ = generation_;
        finishLoad();
        loaded_ = false;
        committed_ = false;
        queue(Event{Event::Failed, generation_, printing::describeRefusedPage(url, requested_), 0});
    }

    std::u16string locationUrl() const {
        BSTR location = nullptr;
        if (!browser_ || FAILED(browser_->get_LocationURL(&location)) || !location) return {};
        std::u16string url(reinterpret_cast<const char16_t*>(location), SysStringLen(location));
        SysFreeString(location);
        return url;
    }

    void finishLoad() {
        loading_ = false;
        if (eventWindow_) KillTimer(eventWindow_, kLoadTimer);
    }

    void onTimeLimit() {
        KillTimer(eventWindow_, kLoadTimer);
        if (!loading_) return;
        finishLoad();
        loaded_ = false;
        if (browser_) browser_->Stop();
        queue(Event{Event::Failed, generation_,
                    describeLoadTimeout(utf16ToUtf8(requested_), WebBrowserHost::loadTimeLimitMs()), 0});
    }

    void queue(Event event) {
        // Progress comes in bursts: only its latest figure is worth a window event.
        if (event.kind == Event::Progress && !queue_.empty() && queue_.back().kind == Event::Progress) {
            queue_.back() = std::move(event);
            return;
        }
        queue_.push_back(std::move(event));
        if (eventWindow_) PostMessageW(eventWindow_, kDeliverEvents, 0, 0);
    }

    void deliver() {
        while (!queue_.empty()) {
            Event event = std::move(queue_.front());
            queue_.pop_front();
            // What an earlier navigation left behind is of no interest once a new one has started.
            if (event.kind != Event::Printed && event.kind != Event::PrintFailed && event.generation != generation_)
                continue;
            switch (event.kind) {
                case Event::Complete:
                    call(events_.navigateComplete);
                    break;
                case Event::Failed:
                    call(events_.navigateFailed, event.text);
                    break;
                case Event::Progress:
                    if (loading_) call(events_.loadProgress, event.percent);
                    break;
                case Event::Printed:
                    call(events_.printed, event.text);
                    break;
                case Event::PrintFailed:
                    call(events_.printFailed, event.text);
                    break;
            }
        }
    }

    template <typename Handler, typename... Arguments>
    void call(const Handler& handler, const Arguments&... arguments) {
        if (!handler) return;
        try {
            handler(arguments...);
        } catch (const std::exception& e) {
            handlerFailed(e.what());
        }
    }

    void handlerFailed(const std::string& message) {
        if (events_.handlerFailed) {
            try {
                events_.handlerFailed(message);
                return;
            } catch (const std::exception&) {
                // Reported below instead: the report itself failed.
            }
        }
        const std::u16string text = utf8ToUtf16(message);
        MessageBoxW(parent_ ? GetAncestor(parent_, GA_ROOT) : nullptr, wide(text), L"Veltrane Client Tools",
                    MB_OK | MB_ICONERROR);
    }

    HWND parent_ = nullptr;
    HWND eventWindow_ = nullptr;
    bool oleInitialized_ = false;
    IOleObject* ole_ = nullptr;
    IWebBrowser2* browser_ = nullptr;
    IOleInPlaceObject* inPlace_ = nullptr;
    OleSite* site_ = nullptr;
    BrowserEventSink* sink_ = nullptr;
    IConnectionPoint* eventPoint_ = nullptr;
    DWORD eventCookie_ = 0;

    std::optional<std::pair<std::u16string, int>> pending_;
    std::u16string requested_;
    std::vector<std::u16string> superseded_;  // addresses of navigations replaced while still loading
    int generation_ = 0;
    int refusedGeneration_ = -1;  // the navigation whose refusal is already reported
    bool loading_ = false;        // a navigation is under way and has not ended
    bool committed_ = false;      // its top-level document has arrived (NavigateComplete2)
    bool loaded_ = false;         // a page is there to print
    std::deque<Event> queue_;
    BrowserEvents events_;
    PrintCoordinator prints_;  // last: its reports queue events, so it goes first
};

WebBrowserHost::WebBrowserHost(Printers& printers, std::u16string printLockPath)
    : impl_(std::make_unique<Impl>(printers, std::move(printLockPath))) {}
WebBrowserHost::~WebBrowserHost() = default;

void WebBrowserHost::navigate(const std::u16string& url, int flags) { impl_->navigate(url, flags); }
void WebBrowserHost::print(const PageSetupValues& pageSetup, const std::u16string& printer) {
    impl_->print(pageSetup, printer);
}
void WebBrowserHost::ensureViewable() { impl_->ensureViewable(); }
void WebBrowserHost::attach(HWND parent, BrowserEvents events) { impl_->attach(parent, std::move(events)); }
void WebBrowserHost::resize() { impl_->resize(); }
bool WebBrowserHost::attached() const { return impl_->attached(); }
HWND WebBrowserHost::controlWindow() const { return impl_->controlWindow(); }
bool WebBrowserHost::pageLoaded() const { return impl_->pageLoaded(); }

int WebBrowserHost::loadTimeLimitMs() {
    // Tests shorten the limit; anything unreadable keeps the default.
    if (const char* text = std::getenv("VELTRANE_PAGE_LOAD_TIMEOUT_MS")) {
        char* end = nullptr;
        const long ms = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && ms > 0 && ms <= 3600000) return static_cast<int>(ms);
    }
    return kDefaultLoadTimeLimitMs;
}

}  // namespace veltrane::platform::win32
