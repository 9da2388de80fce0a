// The WebBrowser control hosted in a panel of a real window under Xvfb. The engine here cannot render a page, so
// what is tested is the hosting, the failure path and the refusal to print without a page.
#include <exdispid.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>
#include <winsock2.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "gui_test_support.h"
#include "windows/browser/browser_emulation.h"
#include "windows/browser/browser_security.h"
#include "windows/browser/navigate_error_text.h"
#include "windows/browser/ole_container.h"
#include "windows/browser/web_browser_host.h"

namespace veltrane::platform::win32 {
namespace {

using namespace std::chrono_literals;

// The print view as the window has it: a top-level window and Panel1 (542 by 216 with a one-pixel border).
class PrintView {
public:
    PrintView() {
        window_ = CreateWindowExW(0, L"STATIC", L"Veltrane Client Tools", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40,
                                  40, 600, 500, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        panel_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN, 3, 190, 542,
                                 216, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~PrintView() {
        if (IsWindow(window_)) DestroyWindow(window_);
    }
    PrintView(const PrintView&) = delete;
    PrintView& operator=(const PrintView&) = delete;
    HWND panel() const { return panel_; }
    HWND window() const { return window_; }

private:
    HWND window_ = nullptr;
    HWND panel_ = nullptr;
};

// What the window heard of the browser.
struct Heard {
    int completes = 0;
    std::vector<std::string> failures;
    std::vector<std::string> printed;
};

BrowserEvents recordInto(Heard& heard) {
    BrowserEvents events;
    events.navigateComplete = [&heard] { ++heard.completes; };
    events.navigateFailed = [&heard](const std::string& message) { heard.failures.push_back(message); };
    events.printed = [&heard](const std::string& printer) { heard.printed.push_back(printer); };
    return events;
}

// The panel's client area in screen coordinates, and the control's window.
RECT clientOnScreen(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A local port that nothing listens on: bound, then closed again.
class Winsock {
public:
    Winsock() { WSAStartup(MAKEWORD(2, 2), &data_); }
    ~Winsock() { WSACleanup(); }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;

private:
    WSADATA data_{};
};

SOCKET boundSocket(int& port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return s;
}

int closedPort() {
    int port = 0;
    closesocket(boundSocket(port));
    return port;
}

// The print views' printers; no test here gets as far as printing.
Printers& printers() {
    static testing::TwoPrinters two;
    return two;
}

std::string errorOf(WebBrowserHost& host) {
    try {
        host.print({}, u"");
    } catch (const Error& e) {
        return e.what();
    }
    return "(printed)";
}

TEST(WebBrowserHost, TheControlFillsItsPanelAndFollowsItsSize) {
    PrintView view;
    WebBrowserHost host{printers()};
    Heard heard;
    host.attach(view.panel(), recordInto(heard));
    ASSERT_TRUE(host.attached());
    HWND control = host.controlWindow();
    ASSERT_TRUE(control);
    EXPECT_EQ(GetParent(control), view.panel());
    EXPECT_TRUE(IsWindowVisible(control));
    testing::pumpUntil([] { return false; }, 200ms);
    RECT got{};
    GetWindowRect(control, &got);
    EXPECT_TRUE(sameRect(got, clientOnScreen(view.panel())));

    SetWindowPos(view.panel(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(testing::pumpUntil(
        [&] {
            GetWindowRect(control, &got);
            return sameRect(got, clientOnScreen(view.panel()));
        },
        5s))
        << "the control is " << got.right - got.left << " by " << got.bottom - got.top;
}

TEST(WebBrowserHost, TheEmulationValueNamesThisProgram) {
    // Removed first, so the test sees the host write it.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kBrowserEmulationKey, ownExeFileName().c_str());
    PrintView view;
    WebBrowserHost host{printers()};
    host.attach(view.panel(), {});
    DWORD mode = 0, size = sizeof mode, type = 0;
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, kBrowserEmulationKey, L"win32-gui-tests.exe", RRF_RT_ANY, &type, &mode, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(mode, 11001u);
}

// A navigate asked for during start-up, before the window exists, starts when the host is attached; the closed
// port is reported in words, nothing completes, and nothing can be printed.
TEST(WebBrowserHost, AFailedNavigationIsReportedAndNothingPrints) {
    Winsock winsock;
    const std::string url =
        "http://127.0.0.1:" + std::to_string(closedPort()) + "/veltrane_docs/store/1042/apptcard.html";
    WebBrowserHost host{printers()};
    host.navigate(utf8ToUtf16(url), kNavNoReadFromCache);
    EXPECT_EQ(errorOf(host), "No page is loaded");

    PrintView view;
    Heard heard;
    host.attach(view.panel(), recordInto(heard));
    ASSERT_TRUE(testing::pumpUntil([&] { return !heard.failures.empty(); }, 45s)) << "no failure reported";
    testing::pumpUntil([] { return false; }, 500ms);  // anything that would still come
    ASSERT_EQ(heard.failures.size(), 1u);
    const std::string& message = heard.failures.front();
    EXPECT_EQ(message.rfind("The page " + url + " could not be loaded: ", 0), 0u) << message;
    EXPECT_EQ(message.find("0x"), std::string::npos) << message;
    EXPECT_EQ(message.find("800"), std::string::npos) << message;
    EXPECT_EQ(heard.completes, 0);
    EXPECT_FALSE(host.pageLoaded());
    EXPECT_EQ(errorOf(host), "No page is loaded");
    EXPECT_TRUE(heard.printed.empty());
}

// A server that takes the connection and never answers: the time limit ends the wait.
TEST(WebBrowserHost, APageThatNeverArrivesIsReportedAtTheTimeLimit) {
    Winsock winsock;
    int port = 0;
    SOCKET silent = boundSocket(port);
    ASSERT_EQ(listen(silent, 4), 0);
    _putenv_s("VELTRANE_PAGE_LOAD_TIMEOUT_MS", "1500");
    PrintView view;
    WebBrowserHost host{printers()};
    Heard heard;
    host.attach(view.panel(), recordInto(heard));
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/veltrane_docs/store/7/receipt.html";
    host.navigate(utf8ToUtf16(url), kNavNoReadFromCache);
    const bool reported = testing::pumpUntil([&] { return !heard.failures.empty(); }, 20s);
    _putenv_s("VELTRANE_PAGE_LOAD_TIMEOUT_MS", "");
    closesocket(silent);
    ASSERT_TRUE(reported);
    EXPECT_EQ(heard.failures.front(), "The page " + url + " did not load within 2 seconds");
    EXPECT_EQ(heard.completes, 0);
    EXPECT_EQ(errorOf(host), "No page is loaded");
}

// A server that answers every request with a small page.
class PageServer {
public:
    PageServer() : socket_(boundSocket(port_)) {
        listen(socket_, 4);
        thread_ = std::thread([this] {
            // Ends when the listening socket is closed.
            for (SOCKET client; (client = accept(socket_, nullptr, nullptr)) != INVALID_SOCKET;) {
                char request[4096];
                recv(client, request, sizeof request, 0);
                const std::string answer =
                    "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 26\r\n\r\n"
                    "<html><b>Card</b></html>\r\n";
                send(client, answer.data(), static_cast<int>(answer.size()), 0);
                closesocket(client);
            }
        });
    }
    ~PageServer() {
        closesocket(socket_);
        thread_.join();
    }
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;
    int port() const { return port_; }

private:
    int port_ = 0;
    SOCKET socket_;
    std::thread thread_;
};

// Wine has the control but no HTML engine: the server sends the page and the engine cannot show it. The failure
// names this computer's browser component, never the server that did its part.
TEST(WebBrowserHost, APageTheEngineCannotShowIsBlamedOnTheBrowserComponent) {
    Winsock winsock;
    PageServer server;
    PrintView view;
    WebBrowserHost host{printers()};
    Heard heard;
    host.attach(view.panel(), recordInto(heard));
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/veltrane_docs/store/1/a.html";
    host.navigate(utf8ToUtf16(url), kNavNoReadFromCache);
    ASSERT_TRUE(testing::pumpUntil([&] { return !heard.failures.empty() || heard.completes > 0; }, 30s));
    if (heard.completes > 0) GTEST_SKIP() << "this engine shows pages";
    EXPECT_EQ(heard.failures.front(), "The page " + url +
                                          " could not be loaded: this computer's web browser component cannot show "
                                          "web pages: its HTML engine is missing or cannot be started");
    EXPECT_EQ(errorOf(host), "No page is loaded");
}

// A second request while the first is loading: only the second one's outcome reaches the window.
TEST(WebBrowserHost, OnlyTheLatestNavigationIsReported) {
    Winsock winsock;
    PrintView view;
    WebBrowserHost host{printers()};
    Heard heard;
    host.attach(view.panel(), recordInto(heard));
    const std::string first = "http://127.0.0.1:" + std::to_string(closedPort()) + "/first.html";
    const std::string second = "http://127.0.0.1:" + std::to_string(closedPort()) + "/second.html";
    host.navigate(utf8ToUtf16(first), kNavNoReadFromCache);
    host.navigate(utf8ToUtf16(second), kNavNoReadFromCache);
    ASSERT_TRUE(testing::pumpUntil([&] { return !heard.failures.empty(); }, 45s));
    testing::pumpUntil([] { return false; }, 1s);
    ASSERT_EQ(heard.failures.size(), 1u) << heard.failures.back();
    EXPECT_EQ(heard.failures.front().rfind("The page " + second + " ", 0), 0u) << heard.failures.front();
}

// The control needs the GUI thread to be a single-threaded apartment; a thread that is not says so in words
// before anything is switched for a print.
TEST(WebBrowserHost, AThreadThatCannotHostTheControlIsToldWhy) {
    WebBrowserHost here{printers()};
    EXPECT_NO_THROW(here.ensureViewable());
    std::string error;
    std::thread([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        try {
            WebBrowserHost host{printers()};
            host.ensureViewable();
        } catch (const Error& e) {
            error = e.what();
        }
        CoUninitialize();
    }).join();
    EXPECT_EQ(error.rfind("The web browser cannot be started in this program's window thread (", 0), 0u) << error;
}

TEST(WebBrowserHost, PrintWithoutAPageIsRefusedInWords) {
    WebBrowserHost unattached{printers()};
    EXPECT_EQ(errorOf(unattached), "No page is loaded");
    PrintView view;
    WebBrowserHost attached{printers()};
    Heard heard;
    attached.attach(view.panel(), recordInto(heard));
    EXPECT_EQ(errorOf(attached), "No page is loaded");
    testing::pumpUntil([] { return false; }, 200ms);
    EXPECT_TRUE(heard.printed.empty());
}

// The window going away takes the control with it; the host then holds nothing that could be used.
TEST(WebBrowserHost, ThePanelGoingAwayClosesTheControl) {
    auto view = std::make_unique<PrintView>();
    WebBrowserHost host{printers()};
    host.attach(view->panel(), {});
    ASSERT_TRUE(host.attached());
    view.reset();
    EXPECT_FALSE(host.attached());
    EXPECT_EQ(host.controlWindow(), nullptr);
    EXPECT_EQ(errorOf(host), "No page is loaded");
}

// The control's own BeforeNavigate2 for an address that is not a practice server's page: the navigation is
// cancelled before anything is fetched, and the window hears which page was refused, once.
TEST(WebBrowserHost, ANavigationAwayFromThePracticeServerIsCancelledAndSaidSo) {
    PrintView view;
    WebBrowserHost host{printers()};
    Heard heard;
    host.attach(view.panel(), recordInto(heard));
    const std::string url = "file:///C:/windows/win.ini";
    host.navigate(utf8ToUtf16(url), kNavNoReadFromCache);
    ASSERT_TRUE(testing::pumpUntil([&] { return !heard.failures.empty(); }, 30s)) << "no refusal reported";
    // A second, harmless navigation: whatever the first would still report has come before its outcome.
    Winsock winsock;
    host.navigate(utf8ToUtf16("http://127.0.0.1:" + std::to_string(closedPort()) + "/x.html"), kNavNoReadFromCache);
    ASSERT_TRUE(testing::pumpUntil([&] { return heard.failures.size() >= 2; }, 45s));
    // The engine names the page in its own form (a file address as a path).
    const std::string& refusal = heard.failures.front();
    EXPECT_EQ(refusal.rfind("The page ", 0), 0u) << refusal;
    EXPECT_NE(refusal.find("win.ini was not loaded and nothing was printed: it is not on the practice server " + url),
              std::string::npos)
        << refusal;
    EXPECT_EQ(heard.failures.size(), 2u);
    EXPECT_EQ(heard.completes, 0);
    EXPECT_EQ(errorOf(host), "No page is loaded");
}

TEST(WebBrowserHost, TheEngineIsLockedDownForThisProcess) {
    PrintView view;
    WebBrowserHost host{printers()};
    host.attach(view.panel(), {});
    for (const INTERNETFEATURELIST feature :
         {FEATURE_LOCALMACHINE_LOCKDOWN, FEATURE_RESTRICT_FILEDOWNLOAD, FEATURE_RESTRICT_ACTIVEXINSTALL}) {
        EXPECT_EQ(CoInternetIsFeatureEnabled(feature, GET_FEATURE_FROM_PROCESS), S_OK) << feature;
    }
}

// What the engine would do with a page that asks for a window or moves elsewhere, given to the sink as the
// engine gives it: every new window is cancelled; a navigation is cancelled when the host says so.
struct RecordingHandler final : ControlEventHandler {
    std::vector<std::u16string> asked;
    int teardowns = 0;
    bool beforeNavigate2(IDispatch*, const std::u16string& url) override {
        asked.push_back(url);
        return url.find(u"evil") != std::u16string::npos;
    }
    void navigateComplete2(IDispatch*, const std::u16string&) override {}
    void documentComplete(IDispatch*) override {}
    bool navigateError(IDispatch*, const std::u16string&, long) override { return false; }
    void progressChange(long, long) override {}
    void printTemplateTeardown() override { ++teardowns; }
};

// Invokes member with a Cancel argument at index cancelIndex (and a URL at index 1 when given); returns Cancel.
bool invokeWithCancel(BrowserEventSink& sink, DISPID member, UINT count, UINT cancelIndex, const wchar_t* url) {
    std::vector<VARIANT> args(count);
    for (auto& a : args) VariantInit(&a);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    // DISPPARAMS holds the arguments last first.
    VARIANT& cancelArgument = args[count - 1 - cancelIndex];
    V_VT(&cancelArgument) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&cancelArgument) = &cancel;
    BSTR text = url ? SysAllocString(url) : nullptr;
    if (url) {
        V_VT(&args[count - 2]) = VT_BSTR;
        V_BSTR(&args[count - 2]) = text;
    }
    DISPPARAMS params{args.data(), nullptr, count, 0};
    sink.Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    SysFreeString(text);
    return cancel == VARIANT_TRUE;
}

TEST(BrowserEventSink, NewWindowsAreCancelledAndNavigationsAskTheHost) {
    RecordingHandler handler;
    auto* sink = new BrowserEventSink(&handler);
    EXPECT_TRUE(invokeWithCancel(*sink, DISPID_NEWWINDOW2, 2, 1, nullptr));
    EXPECT_TRUE(invokeWithCancel(*sink, DISPID_NEWWINDOW3, 5, 1, nullptr));
    EXPECT_TRUE(invokeWithCancel(*sink, DISPID_BEFORENAVIGATE2, 7, 6, L"http://evil.example/x"));
    EXPECT_FALSE(invokeWithCancel(*sink, DISPID_BEFORENAVIGATE2, 7, 6, L"http://srv/veltrane_docs/store/1/a.html"));
    EXPECT_EQ(handler.asked,
              (std::vector<std::u16string>{u"http://evil.example/x", u"http://srv/veltrane_docs/store/1/a.html"}));
    // The engine's word that a print is laid out reaches the host (it frees the print lock).
    VARIANT frame;
    VariantInit(&frame);
    DISPPARAMS teardown{&frame, nullptr, 1, 0};
    EXPECT_EQ(
        sink->Invoke(DISPID_PRINTTEMPLATETEARDOWN, IID_NULL, 0, DISPATCH_METHOD, &teardown, nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(handler.teardowns, 1);
    // Once the host has gone, nothing loads any more.
    sink->detach();
    EXPECT_TRUE(invokeWithCancel(*sink, DISPID_BEFORENAVIGATE2, 7, 6, L"http://srv/veltrane_docs/store/1/a.html"));
    EXPECT_TRUE(invokeWithCancel(*sink, DISPID_NEWWINDOW3, 5, 1, nullptr));
    sink->Release();
}

TEST(DocumentSecurityManager, TheSiteOffersItAndItRefusesWhatADocumentDoesNotNeed) {
    auto* site = new OleSite(nullptr);
    IServiceProvider* services = nullptr;
    ASSERT_EQ(site->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services)), S_OK);
    IInternetSecurityManager* manager = nullptr;
    ASSERT_EQ(services->QueryService(SID_SInternetSecurityManager, IID_IInternetSecurityManager,
                                     reinterpret_cast<void**>(&manager)),
              S_OK);
    IUnknown* other = nullptr;
    EXPECT_EQ(services->QueryService(IID_IOleObject, IID_IUnknown, reinterpret_cast<void**>(&other)), E_NOINTERFACE);
    struct Case {
        DWORD action;
        bool refused;
    };
    const Case cases[] = {
        {URLACTION_ACTIVEX_RUN, true},         {URLACTION_DOWNLOAD_UNSIGNED_ACTIVEX, true},
        {URLACTION_SHELL_FILE_DOWNLOAD, true}, {URLACTION_SHELL_SHELLEXECUTE, true},
        {URLACTION_JAVA_PERMISSIONS, true},    {URLACTION_HTML_SUBMIT_FORMS, true},
        {URLACTION_HTML_META_REFRESH, true},   {URLACTION_CROSS_DOMAIN_DATA, true},
        {URLACTION_SCRIPT_RUN, false},         {URLACTION_HTML_FONT_DOWNLOAD, false},
        {URLACTION_CREDENTIALS_USE, false},
    };
    for (const auto& c : cases) {
        DWORD policy = URLPOLICY_ALLOW;
        const HRESULT result = manager->ProcessUrlAction(
            L"http://srv/x.html", c.action, reinterpret_cast<BYTE*>(&policy), sizeof policy, nullptr, 0, 0, 0);
        if (c.refused) {
            EXPECT_EQ(result, S_FALSE) << std::hex << c.action;
            EXPECT_EQ(policy, static_cast<DWORD>(URLPOLICY_DISALLOW)) << std::hex << c.action;
        } else {
            EXPECT_EQ(result, INET_E_DEFAULT_ACTION) << std::hex << c.action;
        }
    }
    manager->Release();
    services->Release();
    site->Release();
}

TEST(NavigateErrorText, StatusCodesBecomeWords) {
    const std::string url = "http://server/veltrane_docs/store/1/apptcard.html";
    const std::string prefix = "The page " + url + " could not be loaded: ";
    const std::string noEngine =
        "this computer's web browser component cannot show web pages: its HTML engine is missing or cannot be started";
    struct Case {
        long status;
        std::string reason;
    };
    const Case cases[] = {
        {404, "the server has no such document (HTTP 404)"},
        {500, "the server reported an error (HTTP 500)"},
        {403, "the server refused access to the document (HTTP 403)"},
        {static_cast<long>(0x800C0004),
         "the server did not answer: is the practice server running, and is its "
         "address right?"},
        {static_cast<long>(0x800C0005),
         "the server could not be found: check the server address, and that the practice server is running"},
        {static_cast<long>(0x80072EE7), "the server's name could not be found: check the server address"},
        {static_cast<long>(0x800C0008),
         "the document could not be fetched from the server: is the practice server "
         "running, and is its address right?"},
        {static_cast<long>(0x80072EFD),
         "the server did not answer: is the practice server running, and is its "
         "address right?"},
        {static_cast<long>(0x800C0019),
         "the server's security certificate was not accepted (it may be self-signed, "
         "expired or for another name)"},
        {static_cast<long>(0x800C000B),
         "the server could not be reached in time: check the network and the server address"},
        {static_cast<long>(0x80040154), noEngine},
        {static_cast<long>(0x80040111), noEngine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        EXPECT_EQ(describeNavigateError(url, c.status), prefix + c.reason);
    }
    // A code with no words of its own still gives words, never the number.
    for (const long status : {static_cast<long>(0x80004005), static_cast<long>(0x800CFFFF), 0L, 99L}) {
        SCOPED_TRACE(status);
        const std::string message = describeNavigateError(url, status);
        EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
        EXPECT_GT(message.size(), prefix.size() + 5) << message;
        EXPECT_EQ(message.find("0x"), std::string::npos) << message;
        EXPECT_EQ(message.find("800"), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace veltrane::platform::win32
