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

}  // namespace veltrane::platform::cups
