// A stand-in for the browser module, for window tests: records what the window asks of the view and lets the
// test complete a load.

#include <QLabel>
#include <string>
#include <vector>

#include "base/error.h"
#include "linux/modules/browser_view.h"

namespace {

struct Record {
    std::vector<std::u16string> urls;
    std::vector<int> flags;
    int prints = 0;
    std::vector<std::u16string> printers;
    bool failPrint = false;
};
Record record;

class TestView final : public veltrane::platform::BrowserView {
public:
    explicit TestView(QWidget* parent) : widget_(new QLabel(QStringLiteral("page"), parent)) { current = this; }
    QWidget* widget() override { return widget_; }
    void navigate(const std::u16string& url, int flags) override {
        record.urls.push_back(url);
        record.flags.push_back(flags);
    }
    void print(const veltrane::platform::PageSetupValues&, const std::u16string& printer) override {
        if (record.failPrint) throw veltrane::Error("The printer is out of paper");
        ++record.prints;
        record.printers.push_back(printer);
    }
    static inline TestView* current = nullptr;

private:
    QLabel* widget_;
};

}  // namespace

extern "C" {
__attribute__((visibility("default"))) veltrane::platform::BrowserView* veltrane_create_browser_view(QWidget* parent) {
    return new TestView(parent);
}
__attribute__((visibility("default"))) int test_browser_navigations() { return static_cast<int>(record.urls.size()); }
__attribute__((visibility("default"))) const char16_t* test_browser_last_url() {
    return record.urls.empty() ? u"" : record.urls.back().c_str();
}
__attribute__((visibility("default"))) int test_browser_last_flags() {
    return record.flags.empty() ? -1 : record.flags.back();
}
__attribute__((visibility("default"))) int test_browser_prints() { return record.prints; }
__attribute__((visibility("default"))) void test_browser_fail_print(bool fail) { record.failPrint = fail; }
__attribute__((visibility("default"))) void test_browser_fail_load(const char* message) {
    if (TestView::current && TestView::current->events.navigateFailed)
        TestView::current->events.navigateFailed(message);
}
__attribute__((visibility("default"))) const char16_t* test_browser_last_printer() {
    return record.printers.empty() ? u"" : record.printers.back().c_str();
}
// The outcome of the last print as the engine and CUPS report it later: an empty failure means it was accepted.
__attribute__((visibility("default"))) void test_browser_finish_print(const char* printer, const char* failure) {
    if (!TestView::current) return;
    if (failure && *failure) {
        if (TestView::current->events.printFailed) TestView::current->events.printFailed(failure);
    } else if (TestView::current->events.printed) {
        TestView::current->events.printed(printer);
    }
}
// What CUPS says of the job afterwards: done, or waiting for a reason.
__attribute__((visibility("default"))) void test_browser_job_done(const char* printer) {
    if (TestView::current && TestView::current->events.printCompleted)
        TestView::current->events.printCompleted(printer);
}
__attribute__((visibility("default"))) void test_browser_job_waits(const char* printer, const char* reason) {
    if (TestView::current && TestView::current->events.printDelayed)
        TestView::current->events.printDelayed(printer, reason);
}
__attribute__((visibility("default"))) void test_browser_progress(int percent) {
    if (TestView::current && TestView::current->events.loadProgress) TestView::current->events.loadProgress(percent);
}
__attribute__((visibility("default"))) void test_browser_complete() {
    if (TestView::current && TestView::current->events.navigateComplete) TestView::current->events.navigateComplete();
}
}
