#include "linux/cups/cups_print_job.h"

#include <cups/cups.h>

#include <memory>
#include <optional>

#include "base/error.h"

namespace veltrane::platform::cups {

namespace {

struct DestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
using DestPtr = std::unique_ptr<cups_dest_t, DestDeleter>;

DestPtr namedDest(const char* name) { return DestPtr(cupsGetNamedDest(CUPS_HTTP_DEFAULT, name, nullptr)); }

[[noreturn]] void failWithCupsError(const std::string& what) { throw Error(what + ": " + cupsLastErrorString()); }

}  // namespace

std::string defaultPrinter() {
    const auto dest = namedDest(nullptr);
    if (!dest) throw Error(std::string(messages::kNoDefaultPrinter));
    return dest->name;
}

std::optional<PrinterMedia> defaultMedia(const std::string& printer) {
    const auto dest = namedDest(printer.c_str());
    if (!dest) return std::nullopt;
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest.get());
    if (!info) return std::nullopt;
    // The user's own media option first, then the printer's default; cupsGetDestMediaDefault alone guesses
    // from the locale and can name a paper the printer does not default to.
    const char* name = cupsGetOption("media", dest->num_options, dest->options);
    if (!name) {
        ipp_attribute_t* media = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest.get(), info, "media");
        if (media) name = ippGetString(media, 0, nullptr);
    }
    cups_size_t size{};
    bool found = name && cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest.get(), info, name, 0, &size) != 0;
    if (!found) found = cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest.get(), info, 0, &size) != 0;
    cupsFreeDestInfo(info);
    if (!found || size.width <= 0 || size.length <= 0) return std::nullopt;
    return PrinterMedia{size.media, size.width / 100.0, size.length / 100.0};
}

int printPdf(const std::string& printer, const std::string& pdf, const std::string& title) {
    const auto dest = namedDest(printer.c_str());
    if (!dest) failWithCupsError("Cannot print on '" + printer + "'");
    // The user's saved options for this printer (lpoptions) apply, as they do for any other job.
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, dest->name, title.c_str(), dest->num_options, dest->options);
    if (job == 0) failWithCupsError("Cannot print on '" + printer + "'");
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, dest->name, job, title.c_str(), CUPS_FORMAT_PDF, 1) !=
        HTTP_STATUS_CONTINUE) {
        cupsCancelJob2(CUPS_HTTP_DEFAULT, dest->name, job, 0);
        failWithCupsError("Cannot print on '" + printer + "'");
    }
    if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.data(), pdf.size()) != HTTP_STATUS_CONTINUE) {
        cupsFinishDocument(CUPS_HTTP_DEFAULT, dest->name);
        cupsCancelJob2(CUPS_HTTP_DEFAULT, dest->name, job, 0);
        failWithCupsError("Cannot print on '" + printer + "'");
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, dest->name) != IPP_STATUS_OK) {
        failWithCupsError("Cannot print on '" + printer + "'");
    }
    return job;
}

JobProgress jobProgress(const std::string& printer, int job) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, printer.c_str(), 0, CUPS_WHICHJOBS_ALL);
    std::optional<ipp_jstate_t> state;
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id == job) state = jobs[i].state;
    }
    cupsFreeJobs(count, jobs);
    JobProgress progress;
    if (count < 0 || !state) {
        progress.state = JobProgress::State::Unknown;
        return progress;
    }
    switch (*state) {
        case IPP_JSTATE_COMPLETED:
            progress.state = JobProgress::State::Completed;
            return progress;
        case IPP_JSTATE_CANCELED:
            progress.state = JobProgress::State::Failed;
            progress.reason = "the job was cancelled on " + printer;
            return progress;
        case IPP_JSTATE_ABORTED:
            progress.state = JobProgress::State::Failed;
            progress.reason = "the printer system gave the job up on " + printer;
            return progress;
        case IPP_JSTATE_HELD:
            progress.reason = "the job is held on " + printer + ": release it in the printer settings";
            return progress;
        case IPP_JSTATE_STOPPED:
            progress.reason = "the job is stopped on " + printer;
            return progress;
        default:
            break;
    }
    // Waiting or printing: whether the printer itself stands still is the printer's state.
    if (const auto dest = namedDest(printer.c_str())) {
        const char* printerState = cupsGetOption("printer-state", dest->num_options, dest->options);
        if (printerState && std::string(printerState) == "5") {
            const char* message = cupsGetOption("printer-state-message", dest->num_options, dest->options);
            progress.reason = "the printer " + printer + " is paused or stopped" +
                              (message && *message ? std::string(" (") + message + ")" : std::string()) +
                              ": the job prints once it is resumed";
        }
    }
    return progress;
}

}  // namespace veltrane::platform::cups
