#include "app/setup_check.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"
#include "imaging/bridge_executor.h"
#include "imaging/bridge_table.h"
#include "imaging/catalogue.h"
#include "imaging/selection.h"
#include "settings/activity_log.h"

namespace veltrane::app {

namespace {

// A stand-in patient: bridges are planned exactly as a request would plan them, and no real name is shown.
imaging::PatientRecord checkPatient() {
    imaging::PatientRecord patient;
    patient.patientId = u"1";
    patient.forenames = u"Check";
    patient.surname = u"Check";
    patient.dob = u"20000101";
    patient.gender = u"M";
    return patient;
}

std::u16string folderOf(const std::u16string& path) {
    const auto slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? u"." : path.substr(0, slash == 0 ? 1 : slash);
}

std::string displayNameOf(std::u16string_view shortName) {
    for (const auto& system : imaging::kCatalogue)
        if (system.shortName == shortName) return utf16ToUtf8(system.displayName);
    return utf16ToUtf8(shortName);
}

// One line per error message: the executor's messages may span two.
std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

class Report {
public:
    void add(const std::string& why, const std::string& what, const std::string& good) {
        if (why.empty()) {
            report_.lines.push_back("ok: " + what + " " + good);
        } else {
            report_.lines.push_back("PROBLEM: " + what + " " + oneLine(why));
            report_.allWell = false;
        }
    }
    void problem(const std::string& text) {
        report_.lines.push_back("PROBLEM: " + text);
        report_.allWell = false;
    }
    SetupReport take() { return std::move(report_); }

private:
    SetupReport report_;
};

void checkImaging(settings::OpenSettingsKey& key, platform::Platform& services, platform::SetupProbe& probe,
                  Report& report) {
    const std::vector<std::u16string> enabled = imaging::enabledSystems(key);
    if (enabled.empty()) report.add("", "imaging:", "no imaging system is enabled");
    for (const auto& shortName : enabled) {
        const std::string name = displayNameOf(shortName);
        const imaging::BridgeDefinition* bridge = nullptr;
        for (const auto* candidate : imaging::dispatchTable())
            if (candidate->shortName == shortName) bridge = candidate;
        if (!bridge || !bridge->plan) {
            report.add("", name + ":", "has nothing on this workstation to check");
            continue;
        }
        imaging::BridgePlan plan;
        try {
            plan = imaging::planBridge(*bridge, checkPatient(), key, {services.ansi, services.system, services.clock});
        } catch (const Error& e) {
            report.add(std::string("cannot be used with its settings: ") + e.what(), name + ":", "");
            continue;
        }
        if (plan.file) {
            const std::string folder = utf16ToUtf8(folderOf(plan.file->path));
            const std::string why = probe.whyFolderNotWritable(folderOf(plan.file->path));
            report.add(why.empty() ? "" : "exchange folder " + folder + " cannot be written: " + why, name + ":",
                       "exchange folder " + folder + " can be written");
        }
        if (plan.launch) {
            const std::string program = utf16ToUtf8(plan.launch->file);
            const std::string why = probe.whyNotStartable(*plan.launch);
            report.add(why.empty() ? "" : "program " + program + " cannot be started: " + why, name + ":",
                       "program " + program + " can be started");
        }
        if (plan.clipboardText && !plan.launch) report.add("", name + ":", "is given the patient on the clipboard");
    }
}

void checkPrinters(settings::OpenSettingsKey& key, platform::Printers& printers, Report& report) {
    std::vector<std::u16string> installed;
    std::string listError;
    try {
        installed = printers.printerNames();
    } catch (const Error& e) {
        listError = e.what();
    }
    struct Role {
        const char16_t* setting;
        const char* what;
    };
    for (const Role role : {Role{u"apptcard_printer", "appointment card printer"}, Role{u"receipt_printer", "receipt printer"}}) {
        const std::u16string printer = key.read(role.setting);
        if (printer.empty()) {
            report.add("", role.what, "is not chosen: its prints go to the default printer");
        } else if (!listError.empty()) {
            report.add(utf16ToUtf8(printer) + ": the printers cannot be listed: " + listError, role.what, "");
        } else if (std::find(installed.begin(), installed.end(), printer) == installed.end()) {
            report.add(utf16ToUtf8(printer) + " is not installed", role.what, "");
        } else {
            report.add("", role.what, utf16ToUtf8(printer) + " is installed");
        }
    }
}

}  // namespace

SetupReport checkSetup(settings::SettingsStore& store, platform::Platform& services, platform::SetupProbe& probe) {
    Report report;
    auto key = store.openExisting();
    if (!key) {
        report.problem("the program has no settings yet: start it once with -s SERVER and set it up");
    } else {
        checkImaging(*key, services, probe, report);
        checkPrinters(*key, services.printers, report);
        const std::u16string server = key->read(u"server_ip");
        if (server.empty()) {
            report.add("is not stored: start the program once with -s SERVER", "practice server", "");
        } else {
            bool tls = false;
            std::string why;
            try {
                tls = settings::settingToBool(key->read(u"server_ssl"), services.locale.decimalSeparator());
            } catch (const Error& e) {
                why = std::string("its SSL setting cannot be read: ") + e.what();
            }
            if (why.empty()) why = probe.whyServerSilent(server, tls, kServerAnswerMs);
            const std::string address = std::string(tls ? "https://" : "http://") + utf16ToUtf8(server) + "/";
            report.add(why.empty() ? "" : address + " does not answer: " + why, "practice server",
                       address + " answers");
        }
    }
    const std::u16string log = settings::sharedLogPath(services.folders);
    const std::string why = probe.whyLogUnusable(log);
    report.add(why.empty() ? "" : "cannot be written: " + why, "shared log " + utf16ToUtf8(log), "can be written");
    return report.take();
}

}  // namespace veltrane::app
