#include "linux/x11/x11_clipboard.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "base/error.h"
#include "base/text.h"
#include "support/file_bytes.h"
#include "support/wait_for.h"

namespace veltrane {
namespace {

#ifndef VELTRANE_CLIPBOARD_HELPER_PATH
#define VELTRANE_CLIPBOARD_HELPER_PATH "veltrane-clipboard-was-not-built"
#endif

// A private X server for the test, started with -displayfd so we know when it is ready.
class Xvfb {
public:
    Xvfb() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
        close(fds[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~Xvfb() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// Gone, or ended and waiting for init to collect it.
bool processEnded(pid_t pid) {
    const std::string line = testing::readFile("/proc/" + std::to_string(pid) + "/stat");
    if (line.empty()) return true;
    const auto close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] == 'Z';
}

TEST(X11Clipboard, TheTextStaysAfterOurProcessEndsUntilAnotherProgramTakesIt) {
    Xvfb server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    setenv("DISPLAY", server.display().c_str(), 1);
    const std::u16string command = u"$$DFWIN$$ OPEN -n\"Zoë O\"Brien\" -c\"1042\" -r -a";

    // Our process: sets the clipboard and ends at once, as the program does after its last bridge.
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t ours = fork();
    ASSERT_GE(ours, 0);
    if (ours == 0) {
        close(report[0]);
        pid_t serverPid = 0;
        try {
            platform::x11::X11Clipboard clipboard(VELTRANE_CLIPBOARD_HELPER_PATH);
            clipboard.setText(command);
            serverPid = clipboard.serverPid();
        } catch (...) {
        }
        (void)!write(report[1], &serverPid, sizeof serverPid);
        _exit(serverPid > 0 ? 0 : 1);
    }
    close(report[1]);
    pid_t helper = 0;
    (void)!read(report[0], &helper, sizeof helper);
    close(report[0]);
    int status = 0;
    ASSERT_EQ(waitpid(ours, &status, 0), ours);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_GT(helper, 0);

    EXPECT_EQ(run("xclip -o -selection clipboard"), utf16ToUtf8(command));
    EXPECT_EQ(run("xclip -o -selection clipboard -t UTF8_STRING"), utf16ToUtf8(command));
    EXPECT_EQ(run("xclip -o -selection clipboard -t STRING"), "$$DFWIN$$ OPEN -n\"Zo\xEB O\"Brien\" -c\"1042\" -r -a");
    const std::string targets = run("xclip -o -selection clipboard -t TARGETS");
    for (const char* t : {"TARGETS", "UTF8_STRING", "STRING", "TEXT"}) {
        EXPECT_NE(targets.find(t), std::string::npos) << t;
    }
    EXPECT_FALSE(processEnded(helper));

    // Another program takes the selection: the helper quits.
    // xclip serves from the background; it must not hold our pipe open.
    run("printf other | xclip -selection clipboard >/dev/null 2>&1");
    EXPECT_TRUE(testing::waitFor([&] { return processEnded(helper); }, std::chrono::seconds(10)));
    EXPECT_EQ(run("xclip -o -selection clipboard"), "other");
}

TEST(X11Clipboard, NoReachableDisplayGivesTheReason) {
    struct Case {
        const char* display;
        std::string message;
    };
    const Case cases[] = {
        {"", "Cannot open clipboard: no display is available (DISPLAY is not set)"},
        {":9876", "Cannot open clipboard: cannot open display \":9876\""},
    };
    for (const auto& c : cases) {
        setenv("DISPLAY", c.display, 1);
        try {
            platform::x11::X11Clipboard(VELTRANE_CLIPBOARD_HELPER_PATH).setText(u"x");
            ADD_FAILURE() << "no error for display '" << c.display << "'";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    try {
        platform::x11::X11Clipboard("/nonexistent/veltrane-clipboard").setText(u"x");
        ADD_FAILURE() << "no error for a missing helper";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open clipboard: cannot start /nonexistent/veltrane-clipboard: No such file or directory");
    }
}

}  // namespace
}  // namespace veltrane
