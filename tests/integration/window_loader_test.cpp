// Whether the program can open its GUI, judged before the toolkit is loaded, and what it does when it cannot.

#include "linux/modules/window_loader.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>

#include "base/error.h"
#include "linux/modules/display_connection.h"
#include "linux/modules/dl_module_loader.h"
#include "linux/modules/module_path.h"
#include "support/wait_for.h"

namespace veltrane {
namespace {

using platform::modules::displayReachable;
using platform::modules::WindowLoader;

// Sets the display variables for one test and puts the old values back afterwards.
class DisplayEnvironment {
public:
    explicit DisplayEnvironment(const std::map<std::string, std::string>& values) {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "VELTRANE_UI_MODULE"}) {
            if (const char* old = std::getenv(name)) saved_[name] = old;
            unsetenv(name);
        }
        for (const auto& [name, value] : values) setenv(name.c_str(), value.c_str(), 1);
    }
    ~DisplayEnvironment() {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "VELTRANE_UI_MODULE"}) unsetenv(name);
        for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    }

private:
    std::map<std::string, std::string> saved_;
};

TEST(WindowLoader, DisplayReachable) {
    struct Case {
        std::map<std::string, std::string> env;
        bool reachable;
        std::string reason;
    };
    const Case cases[] = {
        {{}, false, "no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set)"},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, true, ""},
        {{{"QT_QPA_PLATFORM", "minimal:enable_fonts"}}, true, ""},
        {{{"QT_QPA_PLATFORM", "xcb"}}, false, "QT_QPA_PLATFORM asks for X11 but DISPLAY is not set"},
        {{{"DISPLAY", ":97"}}, false, "cannot connect to the X display \":97\""},
        {{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":97"}}, false, "cannot connect to the X display \":97\""},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, true, ""},
    };
    platform::modules::DlModuleLoader modules;
    for (const auto& c : cases) {
        DisplayEnvironment env(c.env);
        std::string reason;
        EXPECT_EQ(displayReachable(modules, reason), c.reachable) << reason;
        EXPECT_EQ(reason, c.reason);
    }
}

TEST(WindowLoader, AnXDisplayThatAnswersIsReachable) {
    const int number = 40 + static_cast<int>(getpid() % 50);
    const std::string display = ":" + std::to_string(number);
    const pid_t server = fork();
    if (server == 0) {
        execlp("Xvfb", "Xvfb", display.c_str(), "-nolisten", "tcp", "-screen", "0", "320x240x24",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    struct stat st {};
    const bool started = testing::waitFor([&] { return stat(socket.c_str(), &st) == 0; }, std::chrono::seconds(5));
    bool reachable = false;
    std::string reason;
    {
        DisplayEnvironment env(std::map<std::string, std::string>{{"DISPLAY", display}});
        platform::modules::DlModuleLoader modules;
        reachable = displayReachable(modules, reason);
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    ASSERT_TRUE(started) << "Xvfb did not start";
    EXPECT_TRUE(reachable) << reason;
}

// A server that refuses a connection now and then: tried again until one is made, or the time is up.
TEST(DisplayConnection, ARefusedConnectionIsTriedAgainUntilTheTimeIsUp) {
    int token = 0;
    struct Case {
        const char* what;
        int refusals;  // before the server takes one
        bool connected;
    };
    for (const auto& c :
         {Case{"at once", 0, true}, Case{"after three refusals", 3, true}, Case{"never", 1000000, false}}) {
        int attempts = 0;
        void* connection = platform::modules::retryConnect(
            [&]() -> void* { return ++attempts > c.refusals ? &token : nullptr; }, std::chrono::milliseconds(300));
        EXPECT_EQ(connection != nullptr, c.connected) << c.what;
        if (c.connected) {
            EXPECT_EQ(attempts, c.refusals + 1) << c.what;
        } else {
            EXPECT_GT(attempts, 1) << c.what << ": not tried again";
            EXPECT_LT(attempts, 100) << c.what << ": tried without pause";
        }
    }
}

TEST(WindowLoader, ModulePathIsBesideTheProgramUnlessOverridden) {
    {
        DisplayEnvironment env(std::map<std::string, std::string>{{"VELTRANE_UI_MODULE", "/opt/test/libui.so"}});
        EXPECT_EQ(platform::modules::windowModulePath(), "/opt/test/libui.so");
    }
    DisplayEnvironment env(std::map<std::string, std::string>{});
    const std::string path = platform::modules::windowModulePath();
    const std::string program = platform::modules::executablePath("");
    EXPECT_EQ(path, program.substr(0, program.rfind('/')) + "/libveltrane-ui.so");
}

TEST(WindowLoader, WithoutAGuiMessagesGoToStderrAndDialogsCountAsCancelled) {
    DisplayEnvironment env(std::map<std::string, std::string>{});
    platform::modules::DlModuleLoader modules;
    WindowLoader ui(modules, "/opt/vct/veltrane-client-tools");
    ::testing::internal::CaptureStderr();
    ui.showMessage(u"Default Receipt Printer set to Zebra", platform::MessagePlacement::ScreenCentered);
    ui.showError(u"'maybe' is not a valid boolean value");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Default Receipt Printer set to Zebra\n"), std::string::npos);
    EXPECT_NE(err.find("'maybe' is not a valid boolean value"), std::string::npos);
    EXPECT_EQ(ui.chooseFileOrFolder(true), std::nullopt);
    ui.navigate(u"http://pms.example/a/store/1/appt.html", platform::kNavNoReadFromCache);
    try {
        ui.print(platform::PageSetupValues{}, u"");
        ADD_FAILURE() << "print without a page must fail";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "No page is loaded");
    }
    // A print request asks this before it switches anything.
    try {
        ui.ensureViewable();
        ADD_FAILURE() << "a print window without a display must be refused";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(),
                     "The print window cannot be shown: no display is available (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set)");
    }
    EXPECT_FALSE(ui.guiLoaded());
    EXPECT_EQ(ui.unavailableReason(), "no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set)");
}

TEST(WindowLoader, AModuleThatCannotBeLoadedIsReportedWithItsReason) {
    DisplayEnvironment env(std::map<std::string, std::string>{
        {"QT_QPA_PLATFORM", "offscreen"}, {"VELTRANE_UI_MODULE", "/nonexistent/libveltrane-ui.so"}});
    platform::modules::DlModuleLoader modules;
    WindowLoader ui(modules, "veltrane-client-tools");
    EXPECT_FALSE(ui.ensureGui());
    EXPECT_NE(ui.unavailableReason().find("the window module could not be loaded: /nonexistent/libveltrane-ui.so"),
              std::string::npos)
        << ui.unavailableReason();
    // The first failure is final: no second attempt that could behave differently mid-run.
    EXPECT_FALSE(ui.ensureGui());
}

}  // namespace
}  // namespace veltrane
