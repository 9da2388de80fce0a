// Digora reads an open command from the clipboard.

#include "imaging/bridges/digora_clipboard.h"

#include "imaging/value_rules.h"

namespace veltrane::imaging {

namespace {

constexpr std::u16string_view kDigoraNameFormat = settingsOf(u"digora").option;

// The stored index of the "Name Format" choice; anything else (absent included) gives no name.
std::u16string digoraName(const std::u16string& format, const PatientRecord& p) {
    if (format == u"0") return p.forenames + u" " + p.surname;
    if (format == u"1") return p.title + u" " + p.forenames + u" " + p.surname;
    if (format == u"2") return p.surname + u", " + p.forenames;
    return {};
}

BridgePlan launchDigora(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    // The name and the id sit between quotes, as in a command line.
    CommandLineText command(context.ansi);
    command.literal(u"$$DFWIN$$ OPEN -n\"").quotedValue(digoraName(settingValue(settings, kDigoraNameFormat), p));
    command.literal(u"\" -c\"").quotedValue(p.patientId).literal(u"\" -r -a");
    BridgePlan plan;
    plan.clipboardText = command.text();
    return plan;
}

}  // namespace

const BridgeDefinition kDigoraBridge{u"digora", bridgeSettingNames(settingsOf(u"digora")), launchDigora,
                                     /*takesTitle=*/true};

}  // namespace veltrane::imaging
