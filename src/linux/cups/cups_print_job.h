#pragma once
// Printing a finished PDF on the user's default printer: the browser renders the page to PDF and CUPS prints it,
// so text stays text all the way to the printer.

#include <optional>
#include <string>

namespace veltrane::platform::cups {

struct PrinterMedia {
    std::string name;    // e.g. "iso_a4_210x297mm"
    double widthMm = 0;  // the whole sheet
    double heightMm = 0;
};

// The name of the user's default printer; throws "There is no default printer currently selected".
std::string defaultPrinter();

// The default paper of a printer, or nullopt when the printer does not say.
std::optional<PrinterMedia> defaultMedia(const std::string& printer);

// Submits the PDF as one job on the printer with the user's options for it and returns the job id. Throws
// veltrane::Error with CUPS's own text when the job is refused.
int printPdf(const std::string& printer, const std::string& pdf, const std::string& title);

// Where a submitted job stands, as the scheduler reports it.
struct JobProgress {
    enum class State { Waiting, Completed, Failed, Unknown };
    State state = State::Waiting;
    // Why it waits or failed, in words ("the printer vtZebra is paused"); empty while it simply waits its turn.
    std::string reason;
};
// The job's progress on printer; Unknown when the scheduler cannot be asked or no longer knows the job (it keeps
// finished jobs only as long as its settings say), so nothing is claimed that is not known.
JobProgress jobProgress(const std::string& printer, int job);

}  // namespace veltrane::platform::cups
