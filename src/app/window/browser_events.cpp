#include "app/window/browser_events.h"

#include <utility>

#include "app/tform1.h"
#include "base/text.h"

namespace veltrane::app {

platform::BrowserEvents browserEventsFor(TForm1& form, RunWindowEvent run, ReportWindowError report) {
    platform::BrowserEvents events;
    events.navigateComplete = [&form, run] { run([&] { form.WebBrowser1NavigateComplete2(); }); };
    // A page that could not be loaded is reported like any failed event, so the user knows why nothing printed.
    events.navigateFailed = [&form, run](const std::string& message) {
        run([&] { form.WebBrowser1NavigateFailed(message); });
    };
    events.loadProgress = [&form, run](int percent) { run([&] { form.WebBrowser1Loading(percent); }); };
    events.printed = [&form, run](const std::string& printer) {
        run([&] { form.WebBrowser1Printed(utf8ToUtf16(printer)); });
    };
    events.printCompleted = [&form, run](const std::string& printer) {
        run([&] { form.WebBrowser1PrintCompleted(utf8ToUtf16(printer)); });
    };
    events.printDelayed = [&form, run](const std::string& printer, const std::string& reason) {
        run([&] { form.WebBrowser1PrintDelayed(utf8ToUtf16(printer), utf8ToUtf16(reason)); });
    };
    events.printFailed = [&form, run](const std::string& message) {
        run([&] { form.WebBrowser1PrintFailed(message); });
    };
    events.handlerFailed = std::move(report);
    return events;
}

}  // namespace veltrane::app
