#include "windows/services/win32_setup_probe.h"

#include <windows.h>
#include <shellapi.h>
#include <winhttp.h>

#include <memory>

#include "base/text.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

class HttpHandle {
public:
    explicit HttpHandle(HINTERNET handle) : handle_(handle) {}
    ~HttpHandle() {
        if (handle_) WinHttpCloseHandle(handle_);
    }
    HttpHandle(const HttpHandle&) = delete;
    HttpHandle& operator=(const HttpHandle&) = delete;
    HINTERNET get() const { return handle_; }

private:
    HINTERNET handle_;
};

std::string lastError() { return systemMessage(GetLastError()); }

// A bare program name the shell also finds through its App Paths registration.
bool registeredAppPath(const std::u16string& name) {
    const std::u16string key = u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        wchar_t value[MAX_PATH + 1] = {};
        DWORD size = sizeof value;
        if (RegGetValueW(root, wide(key), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS &&
            GetFileAttributesW(value) != INVALID_FILE_ATTRIBUTES) {
            return true;
        }
    }
    return false;
}

struct HttpExchange {
    std::u16string host;
    INTERNET_PORT port;
    bool tls;
    int timeoutMs;
    std::string why;
};

// A HEAD request for / through WinHTTP; any HTTP answer will do.
std::string headRequest(const HttpExchange& e) {
    const HttpHandle session(WinHttpOpen(L"veltrane-client-tools --check", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                         WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.get()) return lastError();
    WinHttpSetTimeouts(session.get(), e.timeoutMs, e.timeoutMs, e.timeoutMs, e.timeoutMs);
    const HttpHandle connection(WinHttpConnect(session.get(), wide(e.host), e.port, 0));
    if (!connection.get()) return lastError();
    const HttpHandle request(WinHttpOpenRequest(connection.get(), L"HEAD", L"/", nullptr, WINHTTP_NO_REFERER,
                                                WINHTTP_DEFAULT_ACCEPT_TYPES, e.tls ? WINHTTP_FLAG_SECURE : 0));
    if (!request.get()) return lastError();
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_WINHTTP_TIMEOUT) return "no answer within " + std::to_string(e.timeoutMs / 1000) + " seconds";
        if (error == ERROR_WINHTTP_CANNOT_CONNECT) return "the connection was refused";
        if (error == ERROR_WINHTTP_NAME_NOT_RESOLVED) return "the name cannot be looked up";
        return "error " + std::to_string(error);
    }
    return "";
}


DWORD WINAPI runExchange(void* parameter) {
    auto* exchange = static_cast<HttpExchange*>(parameter);
    exchange->why = headRequest(*exchange);
    return 0;
}

}  // namespace

std::string Win32SetupProbe::whyNotStartable(const LaunchRequest& request) {
    if (request.file.empty() || request.file.find(u'\0') != std::u16string::npos) return "no program is named";
    const bool hasFolder = request.file.find_first_of(u"\\/:") != std::u16string::npos;
    if (hasFolder) {
        const DWORD attributes = GetFileAttributesW(wide(request.file));
        if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
    }
    // What the shell would run for it: the program itself, or the program its type is opened with.
    wchar_t found[MAX_PATH + 1] = {};
    const std::u16string directory = request.directory;
    const auto result = reinterpret_cast<INT_PTR>(
        FindExecutableW(wide(request.file), directory.empty() ? nullptr : wide(directory), found));
    if (result > 32) return "";
    if (!hasFolder && registeredAppPath(request.file)) return "";
    return result == SE_ERR_NOASSOC ? "no program is registered to open it" : systemMessage(static_cast<DWORD>(result));
}

std::string Win32SetupProbe::whyFolderNotWritable(const std::u16string& folder) {
    const DWORD attributes = GetFileAttributesW(wide(folder));
    if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return "it is not a folder";
    wchar_t trial[MAX_PATH + 1] = {};
    if (GetTempFileNameW(wide(folder), L"vct", 0, trial) == 0) return lastError();
    DeleteFileW(trial);
    return "";
}

std::string Win32SetupProbe::whyServerSilent(const std::u16string& server, bool tls, int timeoutMs) {
    // host, host:port or [v6]:port, perhaps followed by a path.
    std::u16string hostPort = server.substr(0, server.find(u'/'));
    INTERNET_PORT port = tls ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    std::u16string host = hostPort;
    const auto close = hostPort.find(u']');
    const auto colon = hostPort.rfind(u':');
    if (colon != std::u16string::npos && (close == std::u16string::npos || colon > close)) {
        host = hostPort.substr(0, colon);
        const std::string digits = utf16ToUtf8(hostPort.substr(colon + 1));
        unsigned long value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9' || value > 65535) return "the stored address has no valid port";
            value = value * 10 + static_cast<unsigned long>(c - '0');
        }
        if (digits.empty() || value == 0 || value > 65535) return "the stored address has no valid port";
        port = static_cast<INTERNET_PORT>(value);
    }
    if (host.size() > 1 && host.front() == u'[' && host.back() == u']') host = host.substr(1, host.size() - 2);
    if (host.empty()) return "the stored address names no host";

    // WinHTTP's own time limits do not hold everywhere (a server that takes the connection and never answers can
    // hold a synchronous request for good), so the exchange runs on a thread of its own and is given up at the
    // limit. A thread given up keeps its state and ends with the process, which a check ends soon after.
    auto exchange = std::make_unique<HttpExchange>(HttpExchange{host, port, tls, timeoutMs, {}});
    const HANDLE thread = CreateThread(nullptr, 0, runExchange, exchange.get(), 0, nullptr);
    if (!thread) return lastError();
    const DWORD waited = WaitForSingleObject(thread, static_cast<DWORD>(timeoutMs) + 500);
    CloseHandle(thread);
    if (waited != WAIT_OBJECT_0) {
        (void)exchange.release();
        return "no answer within " + std::to_string(timeoutMs / 1000) + " seconds";
    }
    return exchange->why;
}

std::string Win32SetupProbe::whyLogUnusable(const std::u16string& path) {
    // Opened as the program appends to it: append only, the name itself and not what it points to.
    const HANDLE file = CreateFileW(wide(path), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lastError();
    BY_HANDLE_FILE_INFORMATION info{};
    const bool plain = GetFileInformationByHandle(file, &info) &&
                       !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                       info.nNumberOfLinks == 1;
    CloseHandle(file);
    return plain ? "" : "it is not a plain file of one name";
}

}  // namespace veltrane::platform::win32
