#pragma once
// The print view on Qt WebEngine: loads the document bypassing every cache, reports each completed load, and
// prints by rendering the page to PDF and handing that PDF to the request's printer (or the user's default).
// It keeps to the practice server: a navigation or redirect to another origin is cancelled and reported as a
// failed load, and the page opens no window.

#include <QObject>
#include <QPageLayout>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "linux/modules/browser_view.h"

class QWebEngineView;
class QWebEngineLoadingInfo;

namespace veltrane::platform::qt {

class WebBrowserView final : public QObject, public BrowserView {
public:
    // Prints through printers, which the view keeps.
    WebBrowserView(QWidget* parent, std::unique_ptr<PdfPrinters> printers);
    ~WebBrowserView() override;

    QWidget* widget() override;
    void navigate(const std::u16string& url, int flags) override;
    void print(const PageSetupValues& pageSetup, const std::u16string& printer) override;

    // How long a load may take before it is stopped and reported as failed.
    static int loadTimeLimitMs();

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    // Whether the engine may go to url; a refused top-level navigation ends the load as failed.
    bool allowNavigation(const QUrl& url, bool mainFrame);
    void refuse(const QUrl& url);
    void onTimeLimit();
    QPageLayout pageLayout(const PageSetupValues& pageSetup, const std::string& printer) const;
    void startNextPrint();
    void submit(const QByteArray& pdf);
    // Reports the print at the head of the queue and starts the next one; a submitted job is then followed.
    void finishPrint(const std::string& failure, const std::string& printer = {}, int job = 0);
    // Asks the printer system where each submitted job stands and reports what changed.
    void followJobs();

    struct Job {
        std::string printer;
        QPageLayout layout;
    };

    std::unique_ptr<PdfPrinters> printers_;
    QWebEngineView* view_;
    QTimer timeLimit_;
    QTimer renderLimit_;
    QUrl requested_;
    bool loaded_ = false;
    bool timedOut_ = false;
    bool refused_ = false;  // the load tried to leave the practice server: it never prints
    bool printing_ = false;
    int loadGeneration_ = 0;
    int renderGeneration_ = 0;
    std::deque<Job> queue_;

    // Jobs the printer system has taken and not yet finished, asked after until done or for kJobFollowTimeMs.
    struct SubmittedJob {
        std::string printer;
        int id = 0;
        qint64 submittedMs = 0;
        std::string lastReason;
    };
    std::vector<SubmittedJob> submitted_;
    QTimer jobPoll_;
};

// Margin text in inches as the page setup stores it ("0.750000", "0"); nullopt when it is empty or not a
// non-negative number, so the engine's default applies.
std::optional<double> marginInches(const std::u16string& text);

}  // namespace veltrane::platform::qt
