// The browser module's entry point: the print view on Qt WebEngine, printing through CUPS. Composed here, at the
// program's root, so the view and the printer system know nothing of each other.

#include <unistd.h>

#include <QtGlobal>
#include <memory>

#include "linux/browser/web_browser_view.h"
#include "linux/cups/cups_print_job.h"

namespace {

using veltrane::platform::PdfPrinters;
namespace cups = veltrane::platform::cups;

class CupsPdfPrinters final : public PdfPrinters {
public:
    std::string defaultPrinter() override { return cups::defaultPrinter(); }

    std::optional<Paper> defaultPaper(const std::string& printer) override {
        const auto media = cups::defaultMedia(printer);
        if (!media) return std::nullopt;
        return Paper{media->name, media->widthMm, media->heightMm};
    }

    int submitPdf(const std::string& printer, const std::string& pdf, const std::string& title) override {
        return cups::printPdf(printer, pdf, title);
    }

    JobState jobState(const std::string& printer, int job) override {
        const auto progress = cups::jobProgress(printer, job);
        using State = cups::JobProgress::State;
        const auto kind = progress.state == State::Waiting     ? JobState::Kind::Waiting
                          : progress.state == State::Completed ? JobState::Kind::Completed
                          : progress.state == State::Failed    ? JobState::Kind::Failed
                                                               : JobState::Kind::Unknown;
        return {kind, progress.reason};
    }
};

}  // namespace

// The engine refuses to start as root unless its sandbox is off; only then is it switched off.
extern "C" __attribute__((visibility("default"))) veltrane::platform::BrowserView* veltrane_create_browser_view(
    QWidget* parent) {
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    return new veltrane::platform::qt::WebBrowserView(parent, std::make_unique<CupsPdfPrinters>());
}
