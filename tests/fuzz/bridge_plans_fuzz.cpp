// Every bridge plan with arbitrary patient records and settings: plans must never crash, and what they hand
// over must keep its fixed shape whatever the patient values hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "fakes/best_fit_ansi.h"
#include "imaging/bridge_table.h"
#include "imaging/launch_conventions.h"
#include "imaging/value_rules.h"
#include "platform/common/windows_command_line.h"

namespace {

// Splits the input at 0x1F bytes into the fields the plans read.
std::vector<std::u16string> fields(const std::uint8_t* data, std::size_t size, std::size_t count) {
    std::vector<std::u16string> out(count);
    std::size_t field = 0;
    std::string current;
    for (std::size_t i = 0; i < size && field < count; ++i) {
        if (data[i] == 0x1F) {
            out[field++] = veltrane::utf8ToUtf16(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (field < count) out[field] = veltrane::utf8ToUtf16(current);
    return out;
}

// The text as a program that reads the ANSI command line sees it.
std::u16string asRead(const std::u16string& text, veltrane::platform::AnsiCodec& ansi) {
    std::u16string out;
    for (char16_t c : text) out.push_back(veltrane::imaging::readAs(c, ansi));
    return out;
}

// Every switch: '/' or '-' at the start of the line or after a blank, outside quotes.
std::vector<std::u16string> switchesOf(const std::u16string& line) {
    std::vector<std::u16string> out;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == u'"') quoted = !quoted;
        if (!quoted && (i == 0 || line[i - 1] <= u' ') && (line[i] == u'/' || line[i] == u'-')) {
            out.push_back(line.substr(i, 1));  // a setting may end just before a value: only the sign
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltrane;
    // The first byte picks the bridge, so that each run goes deep into one plan instead of all of them at once.
    if (size == 0) return 0;
    std::vector<const imaging::BridgeDefinition*> bridges;
    for (const auto* bridge : imaging::dispatchTable())
        if (bridge->plan) bridges.push_back(bridge);
    const auto* picked = bridges[data[0] % bridges.size()];
    const auto f = fields(data + 1, size - 1, 10);
    imaging::PatientRecord patient{f[0], f[1], f[2], f[3], f[4], f[5]};
    fakes::BestFitAnsi ansi;
    imaging::BridgeContext context{ansi, f[6], {2026, 12, 9, 14, 5, 9, 0}};
    for (const auto* bridge : {picked}) {
        imaging::BridgeSettings settings;
        for (const auto& name : bridge->settingNames) {
            // Pad lengths stay short: a padded id of billions of zeros is not what this target looks for.
            settings[name] = name.find(u"idpad") != std::u16string::npos    ? f[9].substr(0, 4)
                             : name.find(u"images") != std::u16string::npos ? f[8]
                                                                            : f[7];
        }
        imaging::BridgePlan plan;
        imaging::BridgePlan plain;
        // The same run with values that hold nothing but letters: the line's switches and arguments must match.
        const imaging::PatientRecord letters{u"1042", u"Anna", u"Berg", patient.dob.empty() ? u"" : u"19800102",
                                             u"F",    u"Mrs"};
        try {
            plan = bridge->plan(settings, patient, context);
            plain = bridge->plan(settings, letters, context);
        } catch (const Error&) {
            continue;  // a pad length that is not a number, an id with a blank where it stands alone
        }
        // Plans with an exchange file keep their patient values in the file; exchange_plans_fuzz checks those.
        if (plan.launch && !plan.file) {
            if (plan.launch->verb != u"open" || !plan.launch->directory.empty() || plan.launch->showCommand != 1) {
                std::abort();
            }
            const auto line = asRead(plan.launch->parameters, ansi);
            const auto plainLine = asRead(plain.launch->parameters, ansi);
            // Settings values go in as written, quotes and all; the patient's values must add no switch to them.
            bool settingsQuoted = false;
            for (const auto& [name, value] : settings)
                settingsQuoted |= asRead(value, ansi).find(u'"') != std::u16string::npos;
            if (!settingsQuoted && switchesOf(line) != switchesOf(plainLine)) std::abort();
            // Where every patient value stands in quotes or may hold no blank, it is exactly one argument; but an
            // id outside quotes with nothing left to send is none, as the format has it for an empty id.
            const auto name = bridge->shortName;
            const bool idOutsideQuotes = name == u"sopro" || name == u"acteon";
            const bool idLeft = !imaging::CommandLineText(ansi).value(patient.patientId).text().empty();
            if ((name == u"romexis" || name == u"dtxstudio" || name == u"suni" || (idOutsideQuotes && idLeft)) &&
                platform::splitWindowsCommandLine(line).size() != platform::splitWindowsCommandLine(plainLine).size()) {
                std::abort();
            }
        }
        if (plan.clipboardText) {
            // $$DFWIN$$ OPEN -n"name" -c"id" -r -a: six words, whatever the name and id hold.
            if (platform::splitWindowsCommandLine(asRead(*plan.clipboardText, ansi)).size() != 6) std::abort();
        }
        if (plan.clipboardText && plan.clipboardText->rfind(u"$$DFWIN$$ OPEN -n\"", 0) != 0) std::abort();
        if (plan.traceLine && plan.launch && *plan.traceLine != plan.launch->file + u" " + plan.launch->parameters) {
            std::abort();
        }
    }
    return 0;
}
