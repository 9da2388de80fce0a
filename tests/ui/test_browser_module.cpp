// A stand-in for the browser module, for window tests: records what the window asks of the view and lets the
// test complete a load.

#include <QLabel>
#include <string>
#include <vector>

#include "base/error.h"
#include "platform/browser_view.h"

namespace {

struct Record {
    std::vector<std::u16string> urls;
    std::vector<int> flags;
    int prints = 0;
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
    void print(const veltrane::platform::PageSetupValues&) override {
        if (record.failPrint) throw veltrane::Error("The printer is out of paper");
        ++record.prints;
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
    if (TestView::current && TestView::current->onNavigateFailed) TestView::current->onNavigateFailed(message);
}
__attribute__((visibility("default"))) void test_browser_complete() {
    if (TestView::current && TestView::current->onNavigateComplete) TestView::current->onNavigateComplete();
}
}
