#include "linux/x11/x11_clipboard.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "base/error.h"
#include "base/text.h"

extern char** environ;

namespace veltrane::platform::x11 {

namespace {

constexpr int kHelperTimeoutMs = 15'000;

[[noreturn]] void cannotOpen(const std::string& reason) {
    throw Error(formatMessage(messages::kCannotOpenClipboard, reason));
}

// Closes a descriptor when the operation ends, however it ends.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

X11Clipboard::X11Clipboard(std::string helperPath) : helperPath_(std::move(helperPath)) {}

void X11Clipboard::setText(const std::u16string& text) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) cannotOpen(std::strerror(errno));
    Fd ours{pair[0]}, theirs{pair[1]};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, theirs.fd, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, theirs.fd, STDOUT_FILENO);
    // The helper may live for hours; it must not keep any file of ours open.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    std::string helper = helperPath_;
    char* argv[] = {helper.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) cannotOpen("cannot start " + helper + ": " + std::strerror(spawned));
    close(theirs.fd);
    theirs.fd = -1;

    // The helper reports on the same socket; reap it whatever happens next (its server lives on by itself).
    struct Reaper {
        pid_t pid;
        ~Reaper() {
            int status;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
    } reaper{pid};

    const std::string utf8 = utf16ToUtf8(text);
    for (std::size_t sent = 0; sent < utf8.size();) {
        const ssize_t n = send(ours.fd, utf8.data() + sent, utf8.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the helper gave up early; its report says why
        sent += static_cast<std::size_t>(n);
    }
    shutdown(ours.fd, SHUT_WR);

    std::string status;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHelperTimeoutMs);
    while (status.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            cannotOpen("the clipboard helper did not answer");
        }
        pollfd p{ours.fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) cannotOpen(std::strerror(errno));
        char buffer[512];
        const ssize_t n = recv(ours.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0) break;
        if (n > 0) status.append(buffer, static_cast<std::size_t>(n));
    }
    status = status.substr(0, status.find('\n'));
    if (status.rfind("OK ", 0) == 0) {
        serverPid_ = static_cast<pid_t>(std::strtol(status.c_str() + 3, nullptr, 10));
        return;
    }
    if (status.rfind("ERR ", 0) == 0) cannotOpen(status.substr(4));
    cannotOpen("the clipboard helper ended without an answer");
}

}  // namespace veltrane::platform::x11
