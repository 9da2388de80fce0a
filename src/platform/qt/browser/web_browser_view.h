#pragma once
// The print view on Qt WebEngine: loads the document bypassing every cache, reports each completed load, and
// prints by rendering the page to PDF and handing that PDF to the user's default printer.

#include <QObject>
#include <QTimer>
#include <QUrl>

#include "platform/browser_view.h"

class QWebEngineView;
class QWebEngineLoadingInfo;
class QPageLayout;

namespace veltrane::platform::qt {

class WebBrowserView final : public QObject, public BrowserView {
public:
    explicit WebBrowserView(QWidget* parent);
    ~WebBrowserView() override;

    QWidget* widget() override;
    void navigate(const std::u16string& url, int flags) override;
    void print(const PageSetupValues& pageSetup) override;

    // How long a load may take before it is stopped and reported as failed.
    static int loadTimeLimitMs();

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onTimeLimit();
    QPageLayout pageLayout(const PageSetupValues& pageSetup) const;

    QWebEngineView* view_;
    QTimer timeLimit_;
    QUrl requested_;
    bool loaded_ = false;
    bool timedOut_ = false;
    bool printing_ = false;
};

// Margin text in inches as the page setup stores it ("0.750000", "0"); nullopt when it is empty or not a
// non-negative number, so the engine's default applies.
std::optional<double> marginInches(const std::u16string& text);

}  // namespace veltrane::platform::qt
