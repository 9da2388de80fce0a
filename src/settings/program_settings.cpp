#include "settings/program_settings.h"

#include "base/text.h"
#include "imaging/catalogue.h"

namespace veltrane::settings {

namespace {

// Read by start-up, the print and the Printers and Config pages.
constexpr std::u16string_view kProgramSettings[] = {
    u"apptcard_printer", u"receipt_printer", u"appt_type",     u"receipt_type",    u"server_ip",
    u"server_ssl",       u"word_location",   u"docs_location", u"logging_enabled", u"imaging_autoload",
};

}  // namespace

bool programReadsSetting(std::u16string_view name) {
    for (const auto setting : kProgramSettings)
        if (equalsIgnoreCase(setting, name)) return true;
    // Each imaging system's page and bridge read its own values.
    for (const auto& system : imaging::kCatalogue) {
        for (const auto setting :
             {system.settings.enabled, system.settings.program, system.settings.images, system.settings.option}) {
            if (!setting.empty() && equalsIgnoreCase(setting, name)) return true;
        }
    }
    return false;
}

}  // namespace veltrane::settings
