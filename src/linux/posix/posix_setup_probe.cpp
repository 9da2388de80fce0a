#include "linux/posix/posix_setup_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "base/text.h"
#include "linux/posix/file_descriptor.h"
#include "linux/posix/process_launcher.h"

namespace veltrane::platform::posix {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for events on fd until the deadline; false when it passed first.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int n = ::poll(&entry, 1, msLeft(deadline));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

struct HostPort {
    std::string host;
    std::string port;
};

// The server as the document's address holds it: host, host:port or [v6]:port, perhaps followed by a path.
HostPort splitServer(const std::string& server, bool tls) {
    std::string hostPort = server.substr(0, server.find('/'));
    HostPort result{hostPort, tls ? "443" : "80"};
    if (!hostPort.empty() && hostPort.front() == '[') {
        const auto close = hostPort.find(']');
        result.host = hostPort.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        if (close != std::string::npos && close + 1 < hostPort.size() && hostPort[close + 1] == ':')
            result.port = hostPort.substr(close + 2);
    } else if (const auto colon = hostPort.rfind(':'); colon != std::string::npos) {
        result.host = hostPort.substr(0, colon);
        result.port = hostPort.substr(colon + 1);
    }
    return result;
}

}  // namespace

std::string PosixSetupProbe::whyNotStartable(const LaunchRequest& request) {
    const char* pathValue = std::getenv("PATH");
    if (resolveLaunch(request, pathValue ? pathValue : "/usr/local/bin:/usr/bin:/bin")) return "";
    return "not found, or not a program this workstation can run";
}

std::string PosixSetupProbe::whyFolderNotWritable(const std::u16string& folder) {
    std::string trial = utf16ToUtf8(folder);
    struct stat info {};
    if (::stat(trial.c_str(), &info) != 0) return errno == ENOENT ? "it does not exist" : std::strerror(errno);
    if (!S_ISDIR(info.st_mode)) return "it is not a folder";
    trial += "/.veltrane-check-XXXXXX";
    const int fd = ::mkostemp(trial.data(), O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    ::unlink(trial.c_str());
    return "";
}

std::string PosixSetupProbe::whyServerSilent(const std::u16string& server, bool tls, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const HostPort target = splitServer(utf16ToUtf8(server), tls);
    if (target.host.empty()) return "the stored address names no host";
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(target.host.c_str(), target.port.c_str(), &hints, &found); error != 0) {
        return std::string("the name cannot be looked up (") + ::gai_strerror(error) + ")";
    }
    std::string why = "no address of it takes a connection";
    for (addrinfo* address = found; address; address = address->ai_next) {
        const FileDescriptor socket(::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                             address->ai_protocol));
        if (socket.get() < 0) continue;
        if (::connect(socket.get(), address->ai_addr, address->ai_addrlen) != 0 && errno != EINPROGRESS) {
            why = std::strerror(errno);
            continue;
        }
        if (!waitFor(socket.get(), POLLOUT, deadline)) {
            why = "no connection within " + std::to_string(timeoutMs / 1000) + " seconds";
            break;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            why = std::strerror(error ? error : errno);
            continue;
        }
        if (tls) {
            why.clear();
            break;
        }
        const std::string request = "HEAD / HTTP/1.0\r\nHost: " + target.host + "\r\nConnection: close\r\n\r\n";
        if (writeAll(socket.get(), request) != 0) {
            why = "the connection was closed before the request was sent";
            break;
        }
        std::string answer;
        char buffer[256];
        while (answer.size() < 5 && waitFor(socket.get(), POLLIN, deadline)) {
            const ssize_t n = ::read(socket.get(), buffer, sizeof buffer);
            if (n <= 0 && !(n < 0 && errno == EINTR)) break;
            if (n > 0) answer.append(buffer, static_cast<std::size_t>(n));
        }
        if (answer.rfind("HTTP/", 0) == 0) {
            why.clear();
        } else {
            why = answer.empty() ? "no answer within " + std::to_string(timeoutMs / 1000) + " seconds"
                                 : "the answer is not HTTP";
        }
        break;
    }
    ::freeaddrinfo(found);
    return why;
}

std::string PosixSetupProbe::whyLogUnusable(const std::u16string& path) { return files_.whyLogUnusable(path); }

}  // namespace veltrane::platform::posix
