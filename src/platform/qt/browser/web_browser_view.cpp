#include "platform/qt/browser/web_browser_view.h"

#include <unistd.h>

#include <QEventLoop>
#include <QPageLayout>
#include <QPageSize>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <charconv>
#include <memory>

#include "base/error.h"
#include "base/text.h"
#include "platform/cups/cups_print_job.h"

namespace veltrane::platform::qt {

namespace {

// The browser engine's own default margin when the page setup holds none.
constexpr double kDefaultMarginInches = 0.75;
constexpr int kDefaultLoadTimeLimitMs = 60000;
constexpr int kRenderTimeLimitMs = 60000;
constexpr int kLoadSettleMs = 1000;

std::string urlText(const QUrl& url) { return url.toString().toStdString(); }

}  // namespace

std::optional<double> marginInches(const std::u16string& text) {
    std::string utf8 = utf16ToUtf8(text);
    // A page setup written under a locale with a decimal comma.
    for (auto& c : utf8) {
        if (c == ',') c = '.';
    }
    if (utf8.empty()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(utf8.data(), utf8.data() + utf8.size(), value);
    if (error != std::errc() || end != utf8.data() + utf8.size() || !(value >= 0) || value > 100) return std::nullopt;
    return value;
}

int WebBrowserView::loadTimeLimitMs() {
    // Tests shorten the limit; anything unreadable keeps the default.
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VELTRANE_PAGE_LOAD_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : kDefaultLoadTimeLimitMs;
}

WebBrowserView::WebBrowserView(QWidget* parent) : view_(new QWebEngineView(parent)) {
    view_->settings()->setAttribute(QWebEngineSettings::PrintElementBackgrounds, true);
    timeLimit_.setSingleShot(true);
    connect(&timeLimit_, &QTimer::timeout, this, [this] { onTimeLimit(); });
    connect(view_->page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) { onLoadingChanged(info); });
}

WebBrowserView::~WebBrowserView() = default;

QWidget* WebBrowserView::widget() { return view_; }

void WebBrowserView::navigate(const std::u16string& url, int flags) {
    // The URL is used as given; QUrl only percent-encodes what HTTP cannot carry (blanks, for instance).
    requested_ = QUrl(QString::fromStdU16String(url), QUrl::TolerantMode);
    QWebEngineHttpRequest request(requested_);
    if (flags & kNavNoReadFromCache) {
        // These request headers make the engine's HTTP cache fetch the page afresh instead of reusing a copy.
        request.setHeader("Cache-Control", "no-cache");
        request.setHeader("Pragma", "no-cache");
    }
    loaded_ = false;
    timedOut_ = false;
    timeLimit_.start(loadTimeLimitMs());
    view_->load(request);
}

void WebBrowserView::onTimeLimit() {
    timedOut_ = true;
    view_->stop();
}

void WebBrowserView::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            return;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            timeLimit_.stop();
            loaded_ = true;
            // A print asked for right as the engine reports the load at times never gets its rendered page back
            // (seen on X11, more often on a busy machine; a print moments later always does), so the load is
            // reported once the engine has settled.
            QTimer::singleShot(kLoadSettleMs, this, [this] {
                if (onNavigateComplete) onNavigateComplete();
            });
            return;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
        case QWebEngineLoadingInfo::LoadFailedStatus:
            break;
    }
    timeLimit_.stop();
    // An error page is never printed: the user is told what failed instead.
    loaded_ = false;
    std::string message;
    if (timedOut_) {
        message = "The page " + urlText(info.url()) + " did not load within " +
                  std::to_string((loadTimeLimitMs() + 999) / 1000) + " seconds";
    } else {
        message = "The page " + urlText(info.url()) + " could not be loaded: " + info.errorString().toStdString();
        if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain) {
            message += " (HTTP " + std::to_string(info.errorCode()) + ")";
        }
    }
    if (onNavigateFailed) onNavigateFailed(message);
}

QPageLayout WebBrowserView::pageLayout(const PageSetupValues& pageSetup) const {
    QPageSize size(QPageSize::A4);
    try {
        // The paper the printer takes by default, so a card or receipt printer gets its own size.
        if (const auto media = cups::defaultMedia(cups::defaultPrinter())) {
            size = QPageSize(QSizeF(media->widthMm, media->heightMm), QPageSize::Millimeter,
                             QString::fromStdString(media->name), QPageSize::ExactMatch);
        }
    } catch (const Error&) {
        // No default printer: the print itself reports that.
    }
    const auto margin = [](const std::u16string& text) {
        return marginInches(text).value_or(kDefaultMarginInches) * 25.4;
    };
    QMarginsF margins(margin(pageSetup.marginLeft), margin(pageSetup.marginTop), margin(pageSetup.marginRight),
                      margin(pageSetup.marginBottom));
    QPageLayout layout(size, QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);  // margins larger than the printable area stay as set
    layout.setMargins(margins);
    return layout;
}

void WebBrowserView::print(const PageSetupValues& pageSetup) {
    if (!loaded_) throw Error("There is no page to print: the document has not been loaded");
    if (printing_) throw Error("The page is still being printed");
    // The printer is the default of this moment, chosen before rendering so the page fits its paper.
    const std::string printer = cups::defaultPrinter();
    const QPageLayout layout = pageLayout(pageSetup);

    // Rendering is asynchronous; the print is one command to the caller, so wait here with a time limit.
    // The result may come after the time limit, when this call has already returned: it then lands in a state
    // that outlives the call and is dropped.
    struct Render {
        QByteArray pdf;
        bool done = false;
        QEventLoop loop;
    };
    auto render = std::make_shared<Render>();
    printing_ = true;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &render->loop, &QEventLoop::quit);
    view_->page()->printToPdf(
        [weak = std::weak_ptr<Render>(render)](const QByteArray& result) {
            if (const auto state = weak.lock()) {
                state->pdf = result;
                state->done = true;
                state->loop.quit();
            }
        },
        layout);
    limit.start(kRenderTimeLimitMs);
    if (!render->done) render->loop.exec();
    printing_ = false;
    if (!render->done) {
        throw Error("The page could not be prepared for printing within " + std::to_string(kRenderTimeLimitMs / 1000) +
                    " seconds");
    }
    const QByteArray pdf = render->pdf;
    if (pdf.isEmpty()) throw Error("The page could not be prepared for printing");

    cups::printPdf(printer, pdf.toStdString(),
                   view_->title().isEmpty() ? urlText(requested_) : view_->title().toStdString());
}

}  // namespace veltrane::platform::qt

// The engine refuses to start as root unless its sandbox is off; only then is it switched off.
extern "C" __attribute__((visibility("default"))) veltrane::platform::BrowserView* veltrane_create_browser_view(
    QWidget* parent) {
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    return new veltrane::platform::qt::WebBrowserView(parent);
}
