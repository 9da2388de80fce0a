#pragma once
// The browser's events wired to the main window object, the same for both windows: each event runs the object's
// handler the way the window runs any event of its own (errors reported, the model rendered again).

#include <functional>
#include <string>

#include "platform/browser.h"

namespace veltrane::app {

class TForm1;

// How a window runs one event of the core: inside its error report, then rendering the model.
using RunWindowEvent = std::function<void(const std::function<void()>& event)>;
// How a window reports an error that reached no event of its own.
using ReportWindowError = std::function<void(const std::string& message)>;

// The browser events for form. Every handler goes through run; report receives what the browser host could not
// hand to a handler (it may be empty, and the host then says it its own way).
platform::BrowserEvents browserEventsFor(TForm1& form, RunWindowEvent run, ReportWindowError report);

}  // namespace veltrane::app
