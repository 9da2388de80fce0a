#include "linux/posix/process_launcher.h"

#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/error.h"
#include "base/text.h"
#include "linux/posix/posix_files.h"
#include "platform/common/windows_command_line.h"

extern char** environ;

namespace veltrane::platform::posix {

namespace {

// The wide strings end at their first zero character, as the platform's launch reads them.
std::u16string_view untilZero(const std::u16string& text) {
    std::u16string_view view(text);
    return view.substr(0, view.find(u'\0'));
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// An ELF binary or a script with "#!": something the kernel runs itself.
bool isNativeProgram(const std::string& path) {
    if (!isExecutableFile(path)) return false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char magic[4] = {};
    const ssize_t got = read(fd, magic, sizeof magic);
    close(fd);
    if (got >= 4 && std::memcmp(magic,
                                "\x7f"
                                "ELF",
                                4) == 0)
        return true;
    return got >= 2 && magic[0] == '#' && magic[1] == '!';
}

bool isWindowsProgramName(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 4) return false;
    std::string ext = name.substr(dot + 1);
    for (auto& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == "exe" || ext == "com" || ext == "bat" || ext == "cmd";
}

// The first executable called name in the folders of searchPath, or nullopt.
std::optional<std::string> findInPath(const std::string& name, const std::string& searchPath) {
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string::npos) end = searchPath.size();
        std::string candidate = end > start ? searchPath.substr(start, end - start) : std::string(".");
        candidate.push_back('/');
        candidate.append(name);
        if (isExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace

std::optional<LaunchCommand> resolveLaunch(const LaunchRequest& request, const std::string& searchPath) {
    const std::string file = utf16ToUtf8(untilZero(request.file));
    if (file.empty()) return std::nullopt;
    std::vector<std::string> args;
    for (const auto& arg : splitWindowsCommandLine(untilZero(request.parameters))) args.push_back(utf16ToUtf8(arg));
    const std::string directory = utf16ToUtf8(untilZero(request.directory));

    // A bare name is looked up on the PATH, as the shell looks it up among registered programs.
    std::string path = file;
    if (file.find('/') == std::string::npos) {
        if (auto found = findInPath(file, searchPath)) path = *found;
    }

    LaunchCommand command;
    command.directory = directory;
    if (isNativeProgram(path) || (isExecutableFile(path) && !isWindowsProgramName(path))) {
        command.program = path;
        command.argv.push_back(path);
    } else if (isWindowsProgramName(file)) {
        // A path of this system that leads nowhere would only make wine fail where nobody sees it.
        if (file.find('/') != std::string::npos && !exists(path)) return std::nullopt;
        auto wine = findInPath("wine", searchPath);
        if (!wine) return std::nullopt;
        command.program = *wine;
        // A Windows path such as C:\Program Files\x.exe is handed to wine unchanged.
        command.argv = {*wine, exists(path) ? path : file};
    } else if (exists(path)) {
        // A document: the desktop's opener takes one file and no parameters.
        if (auto opener = findInPath("xdg-open", searchPath)) {
            command.program = *opener;
            command.argv = {*opener, path};
        } else if (auto gio = findInPath("gio", searchPath)) {
            command.program = *gio;
            command.argv = {*gio, "open", path};
        } else {
            return std::nullopt;
        }
        return command;
    } else {
        return std::nullopt;
    }
    command.argv.insert(command.argv.end(), args.begin(), args.end());
    return command;
}

int spawnDetached(const LaunchCommand& command, pid_t* started) {
    std::vector<char*> argv;
    for (const auto& arg : command.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (const int error = posix_spawn_file_actions_init(&actions)) return error;
    posix_spawnattr_t attributes;
    if (const int error = posix_spawnattr_init(&attributes)) {
        posix_spawn_file_actions_destroy(&actions);
        return error;
    }
    // A caller that reads our output (the web application's starter, a script) waits for every holder of the
    // pipe to close it; the program must not hold it for as long as it runs. No other descriptor of ours
    // reaches it either.
    int error = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDWR | O_NOCTTY, 0);
    if (!error) error = posix_spawn_file_actions_adddup2(&actions, 0, 1);
    if (!error) error = posix_spawn_file_actions_adddup2(&actions, 0, 2);
    if (!error) error = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!error && !command.directory.empty()) {
        error = posix_spawn_file_actions_addchdir_np(&actions, command.directory.c_str());
    }
    // A session of its own, so closing our terminal or ending us does not reach the program; signals as a
    // fresh process has them.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    if (!error) error = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                                  POSIX_SPAWN_SETSIGDEF);
    if (!error) error = posix_spawnattr_setsigmask(&attributes, &none);
    if (!error) error = posix_spawnattr_setsigdefault(&attributes, &all);
    // The child shares our memory until it executes the program, so nothing is copied, and it reports a folder
    // or exec failure back as the call's result: a program that is missing is said to the user.
    pid_t pid = 0;
    if (!error) error = posix_spawn(&pid, command.program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (!error && started) *started = pid;
    return error;
}

void PosixLauncher::reapEndedChildren() {
    std::erase_if(children_, [](pid_t pid) {
        int status = 0;
        pid_t got = 0;
        while ((got = waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
        }
        return got != 0;  // reaped, or no longer ours to reap
    });
}

void PosixLauncher::launch(const LaunchRequest& request) {
    const std::u16string_view file = untilZero(request.file);
    // A batch file runs through wine's cmd, which would run commands hidden in the parameters.
    requireBatchSafe(file, untilZero(request.parameters));
    const char* pathValue = std::getenv("PATH");
    const auto command = resolveLaunch(request, pathValue ? pathValue : "/usr/local/bin:/usr/bin:/bin");
    if (!command) {
        // Nothing there, or a file there that nothing here can run.
        const std::string name = utf16ToUtf8(file);
        throw Error(fileErrorText(!name.empty() && exists(name) ? EACCES : ENOENT));
    }
    reapEndedChildren();
    pid_t child = 0;
    if (const int error = spawnDetached(*command, &child)) throw Error(fileErrorText(error));
    children_.push_back(child);
}

}  // namespace veltrane::platform::posix
