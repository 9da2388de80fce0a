#pragma once
// The main window over the core with fake services, shown offscreen and active, for the window tests.

#include <QtTest>
#include <memory>

#include "app/tform1.h"
#include "fakes/fake_platform.h"
#include "linux/window/browser_host.h"
#include "linux/window/main_window.h"

namespace veltrane::testing {

struct WindowHarness {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};
    ui::BrowserHost browser;
    std::unique_ptr<ui::MainWindow> window;

    // Builds and shows the window for the state start-up left in form; true once it is active and has its
    // printer list.
    bool showWindow() {
        window = std::make_unique<ui::MainWindow>(form, browser);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) return false;
        if (!QTest::qWaitFor([this] { return window->printersListed(); })) return false;
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
};

}  // namespace veltrane::testing
