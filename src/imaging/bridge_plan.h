#pragma once
// A bridge is a pure function from its settings values and the patient record to a plan: what it would write,
// start, put on the clipboard and trace. One executor carries plans out, so every bridge can be tested byte for
// byte and a dry run can print what would be sent.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/catalogue.h"
#include "imaging/patient_record.h"
#include "platform/ansi_codec.h"
#include "platform/clock.h"
#include "platform/launcher.h"

namespace veltrane::imaging {

struct ExchangeFile {
    std::u16string path;
    std::string bytes;  // exactly what is written: ANSI code page, CR LF line ends, no byte-order mark

    bool operator==(const ExchangeFile&) const = default;
};

struct BridgePlan {
    std::optional<ExchangeFile> file;               // written and closed first
    std::optional<platform::LaunchRequest> launch;  // then started, without waiting
    std::optional<std::u16string> clipboardText;    // or put on the clipboard
    std::optional<std::u16string> traceLine;        // then appended to Memo1
};

// The bridge's settings values as read from the open settings key; an absent value is the empty text.
using BridgeSettings = std::map<std::u16string, std::u16string>;

// What a few bridges need besides settings and patient: the code page of exchange files, the clock and the
// workstation name (Sidexis).
struct BridgeContext {
    platform::AnsiCodec& ansi;
    std::u16string computerName;
    platform::LocalDateTime now;
};

using PlanFunction = BridgePlan (*)(const BridgeSettings& settings, const PatientRecord& patient,
                                    BridgeContext& context);

// One bridge: the settings values it reads from the open key (before anything is made), and its plan.
struct BridgeDefinition {
    std::u16string_view shortName;
    std::vector<std::u16string> settingNames;
    PlanFunction plan = nullptr;  // nullptr: the bridge does nothing and opens no key (ApexNRG)
    bool takesTitle = false;      // the patient's title reaches only a few bridges
};

// The value of name in settings, or the empty text.
inline const std::u16string& settingValue(const BridgeSettings& settings, std::u16string_view name) {
    static const std::u16string empty;
    auto it = settings.find(std::u16string(name));
    return it == settings.end() ? empty : it->second;
}

}  // namespace veltrane::imaging
