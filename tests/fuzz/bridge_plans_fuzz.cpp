// Every bridge plan with arbitrary patient records and settings: plans must never crash, and what they hand
// over must keep its fixed shape whatever the patient values hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "imaging/bridge_table.h"
#include "imaging/launch_conventions.h"
#include "platform/common/windows_command_line.h"

namespace {

class Latin1 final : public veltrane::platform::AnsiCodec {
public:
    int codePage() const override { return 28591; }
    std::string encode(std::u16string_view text, bool) override {
        std::string out;
        for (char16_t c : text) out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
        return out;
    }
    std::u16string decode(std::string_view bytes) override {
        std::u16string out;
        for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
        return out;
    }
};

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltrane;
    const auto f = fields(data, size, 10);
    imaging::PatientRecord patient{f[0], f[1], f[2], f[3], f[4], f[5]};
    Latin1 ansi;
    imaging::BridgeContext context{ansi, f[6], {2026, 12, 9, 14, 5, 9, 0}};
    for (const auto* bridge : imaging::dispatchTable()) {
        if (!bridge->plan) continue;
        imaging::BridgeSettings settings;
        for (const auto& name : bridge->settingNames) {
            // Pad lengths stay short: a padded id of billions of zeros is not what this target looks for.
            settings[name] = name.find(u"idpad") != std::u16string::npos    ? f[9].substr(0, 4)
                             : name.find(u"images") != std::u16string::npos ? f[8]
                                                                            : f[7];
        }
        imaging::BridgePlan plan;
        try {
            plan = bridge->plan(settings, patient, context);
        } catch (const Error&) {
            continue;  // a pad length that is not a number
        }
        // Plans with an exchange file keep their patient values in the file; exchange_plans_fuzz checks those.
        if (plan.launch && !plan.file) {
            if (plan.launch->verb != u"open" || !plan.launch->directory.empty() || plan.launch->showCommand != 1) {
                std::abort();
            }
            // Patient values are never dropped: the surname is always in the command line, as the bridge can
            // quote it where it puts it in quotes.
            const auto& line = plan.launch->parameters;
            if (line.find(patient.surname) == std::u16string::npos &&
                line.find(imaging::quotableValue(patient.surname)) == std::u16string::npos) {
                std::abort();
            }
            (void)platform::splitWindowsCommandLine(plan.launch->parameters);
        }
        if (plan.clipboardText && plan.clipboardText->rfind(u"$$DFWIN$$ OPEN -n\"", 0) != 0) std::abort();
        if (plan.traceLine && plan.launch && *plan.traceLine != plan.launch->file + u" " + plan.launch->parameters) {
            std::abort();
        }
    }
    return 0;
}
