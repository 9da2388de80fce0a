#include "linux/browser/web_browser_view.h"

#include <QDateTime>
#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QVariant>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <charconv>
#include <functional>
#include <memory>

#include "base/error.h"
#include "base/text.h"
#include "printing/load_failure.h"
#include "printing/print_request.h"

namespace veltrane::platform::qt {

namespace {

// The browser engine's own default margin when the page setup holds none.
constexpr double kDefaultMarginInches = 0.75;
constexpr int kDefaultLoadTimeLimitMs = 60000;
constexpr int kRenderTimeLimitMs = 60000;
// A job is asked after twice a second until the printer system says it is done, and for ten minutes at most: a
// printer that stays paused longer leaves the status at "Sent to".
constexpr int kJobPollMs = 500;
constexpr qint64 kJobFollowTimeMs = 10 * 60 * 1000;

std::string urlText(const QUrl& url) { return url.toString().toStdString(); }

std::u16string encodedText(const QUrl& url) { return url.toString(QUrl::FullyEncoded).toStdU16String(); }

// The view's page: every navigation, redirects included, asks the view first, and no page opens a window.
class PracticeServerPage final : public QWebEnginePage {
public:
    PracticeServerPage(QObject* parent, std::function<bool(const QUrl&, bool)> allow)
        : QWebEnginePage(parent), allow_(std::move(allow)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        return allow_(url, isMainFrame);
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

private:
    std::function<bool(const QUrl&, bool)> allow_;
};

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

WebBrowserView::WebBrowserView(QWidget* parent, std::unique_ptr<PdfPrinters> printers)
    : printers_(std::move(printers)), view_(new QWebEngineView(parent)) {
    view_->setPage(new PracticeServerPage(
        view_, [this](const QUrl& url, bool mainFrame) { return allowNavigation(url, mainFrame); }));
    view_->settings()->setAttribute(QWebEngineSettings::PrintElementBackgrounds, true);
    timeLimit_.setSingleShot(true);
    connect(&timeLimit_, &QTimer::timeout, this, [this] { onTimeLimit(); });
    jobPoll_.setInterval(kJobPollMs);
    connect(&jobPoll_, &QTimer::timeout, this, [this] { followJobs(); });
    renderLimit_.setSingleShot(true);
    connect(&renderLimit_, &QTimer::timeout, this, [this] {
        ++renderGeneration_;  // a result that still comes is dropped
        finishPrint("The page could not be prepared for printing within " + std::to_string(kRenderTimeLimitMs / 1000) +
                    " seconds");
    });
    connect(view_->page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) { onLoadingChanged(info); });
    connect(view_->page(), &QWebEnginePage::loadProgress, this, [this](int percent) {
        if (!loaded_ && events.loadProgress) events.loadProgress(percent);
    });
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
    refused_ = false;
    ++loadGeneration_;
    timeLimit_.start(loadTimeLimitMs());
    view_->load(request);
}

void WebBrowserView::onTimeLimit() {
    timedOut_ = true;
    view_->stop();
}

bool WebBrowserView::allowNavigation(const QUrl& url, bool mainFrame) {
    if (printing::sameOrigin(encodedText(url), encodedText(requested_))) return true;
    // A frame from elsewhere is left out of the page; the page itself leaving is the load's failure.
    if (mainFrame) refuse(url);
    return false;
}

void WebBrowserView::refuse(const QUrl& url) {
    if (refused_) return;
    refused_ = true;
    loaded_ = false;
    timeLimit_.stop();
    ++loadGeneration_;  // a load reported as complete a moment ago is not printed either
    const std::string message = printing::describeRefusedPage(encodedText(url), encodedText(requested_));
    // Reported from the event loop: the engine is inside its navigation here, and a handler may show a dialog.
    QMetaObject::invokeMethod(
        this,
        [self = QPointer<WebBrowserView>(this), message] {
            if (self && self->events.navigateFailed) self->events.navigateFailed(message);
        },
        Qt::QueuedConnection);
}

void WebBrowserView::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    // What the engine says of a load it was refused is already reported.
    if (refused_) {
        timeLimit_.stop();
        return;
    }
    switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            return;
        case QWebEngineLoadingInfo::LoadSucceededStatus: {
            timeLimit_.stop();
            if (!printing::sameOrigin(encodedText(info.url()), encodedText(requested_))) {
                refuse(info.url());
                return;
            }
            // The load is reported once the renderer has answered a script on the loaded document: from then on
            // a print gets the rendered page back. That round trip takes milliseconds where a fixed wait took a
            // second, and it never waits in a nested event loop.
            const int generation = loadGeneration_;
            view_->page()->runJavaScript(QStringLiteral("document.readyState"),
                                         [self = QPointer<WebBrowserView>(this), generation](const QVariant&) {
                                             if (!self || generation != self->loadGeneration_) return;
                                             self->loaded_ = true;
                                             if (self->events.navigateComplete) self->events.navigateComplete();
                                         });
            return;
        }
        case QWebEngineLoadingInfo::LoadStoppedStatus:
        case QWebEngineLoadingInfo::LoadFailedStatus:
            break;
    }
    timeLimit_.stop();
    // An error page is never printed: the user is told what failed instead.
    loaded_ = false;
    std::string message;
    const std::string url = urlText(info.url().isEmpty() ? requested_ : info.url());
    if (timedOut_) {
        message =
            "The page " + url + " did not load within " + std::to_string((loadTimeLimitMs() + 999) / 1000) + " seconds";
    } else {
        using printing::LoadFailureKind;
        LoadFailureKind kind = LoadFailureKind::Other;
        switch (info.errorDomain()) {
            case QWebEngineLoadingInfo::HttpStatusCodeDomain:
                kind = LoadFailureKind::HttpStatus;
                break;
            case QWebEngineLoadingInfo::CertificateErrorDomain:
                kind = LoadFailureKind::Certificate;
                break;
            case QWebEngineLoadingInfo::ConnectionErrorDomain:
            case QWebEngineLoadingInfo::DnsErrorDomain:
            case QWebEngineLoadingInfo::HttpErrorDomain:
                kind = LoadFailureKind::Network;
                break;
            default:
                break;
        }
        message = printing::describeLoadFailure(url, kind, info.errorCode(), info.errorString().toStdString());
    }
    if (events.navigateFailed) events.navigateFailed(message);
}

QPageLayout WebBrowserView::pageLayout(const PageSetupValues& pageSetup, const std::string& printer) const {
    QPageSize size(QPageSize::A4);
    // The paper the printer takes by default, so a card or receipt printer gets its own size.
    if (const auto paper = printers_->defaultPaper(printer)) {
        size = QPageSize(QSizeF(paper->widthMm, paper->heightMm), QPageSize::Millimeter,
                         QString::fromStdString(paper->name), QPageSize::ExactMatch);
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

void WebBrowserView::print(const PageSetupValues& pageSetup, const std::u16string& printer) {
    if (!loaded_ || refused_) throw Error("There is no page to print: the document has not been loaded");
    // The printer is fixed now (the default of this moment when none is named), and the paper with it.
    Job job;
    job.printer = printer.empty() ? printers_->defaultPrinter() : utf16ToUtf8(printer);
    job.layout = pageLayout(pageSetup, job.printer);
    queue_.push_back(std::move(job));
    if (!printing_) startNextPrint();
}

void WebBrowserView::startNextPrint() {
    if (queue_.empty()) return;
    printing_ = true;
    const int generation = ++renderGeneration_;
    renderLimit_.start(kRenderTimeLimitMs);
    // Rendering is asynchronous; the result comes back on the GUI thread and is handed to the printer system there.
    view_->page()->printToPdf(
        [self = QPointer<WebBrowserView>(this), generation](const QByteArray& pdf) {
            if (!self || generation != self->renderGeneration_) return;
            self->renderLimit_.stop();
            self->submit(pdf);
        },
        queue_.front().layout);
}

void WebBrowserView::submit(const QByteArray& pdf) {
    if (pdf.isEmpty()) {
        finishPrint("The page could not be prepared for printing");
        return;
    }
    const std::string printer = queue_.front().printer;
    int job = 0;
    try {
        job = printers_->submitPdf(printer, pdf.toStdString(),
                                   view_->title().isEmpty() ? urlText(requested_) : view_->title().toStdString());
    } catch (const Error& e) {
        finishPrint(e.what());
        return;
    }
    finishPrint({}, printer, job);
}

void WebBrowserView::finishPrint(const std::string& failure, const std::string& printer, int job) {
    if (!queue_.empty()) queue_.pop_front();
    printing_ = false;
    // The next print starts first, so a handler that shows a message box does not hold it up.
    startNextPrint();
    if (!failure.empty()) {
        if (events.printFailed) events.printFailed(failure);
        return;
    }
    if (job > 0) {
        submitted_.push_back({printer, job, QDateTime::currentMSecsSinceEpoch(), {}});
        if (!jobPoll_.isActive()) jobPoll_.start();
    }
    if (events.printed) events.printed(printer);
}

void WebBrowserView::followJobs() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Copied: a handler may show a message box, whose event loop runs this timer again.
    auto jobs = std::move(submitted_);
    submitted_.clear();
    std::vector<SubmittedJob> still;
    for (auto& job : jobs) {
        const auto state = printers_->jobState(job.printer, job.id);
        using Kind = PdfPrinters::JobState::Kind;
        if (state.kind == Kind::Completed) {
            if (events.printCompleted) events.printCompleted(job.printer);
        } else if (state.kind == Kind::Failed) {
            if (events.printFailed) events.printFailed("Not printed on " + job.printer + ": " + state.reason);
        } else if (state.kind == Kind::Waiting && now - job.submittedMs < kJobFollowTimeMs) {
            if (!state.reason.empty() && state.reason != job.lastReason && events.printDelayed) {
                events.printDelayed(job.printer, state.reason);
            }
            job.lastReason = state.reason;
            still.push_back(std::move(job));
        }
        // Unknown, or waiting past the time it is followed: the status keeps saying it was sent, no more.
    }
    for (auto& job : submitted_) still.push_back(std::move(job));
    submitted_ = std::move(still);
    if (submitted_.empty()) jobPoll_.stop();
}

}  // namespace veltrane::platform::qt
