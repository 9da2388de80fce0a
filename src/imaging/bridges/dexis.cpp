// Dexis reads the patient from an info file named on its command line; Dexis Integrator picks up a similar file
// by itself, so nothing is started for it.

#include "imaging/bridges/exchange_file_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

BridgePlan planDexis(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    const auto& folder = settingValue(settings, settingsOf(u"dexis").program);
    const std::u16string infoFile = programInFolder(folder, u"InfoFile.txt");
    const BirthDateParts dob = splitBirthDate(patient.dob);
    auto writeDate = [&](ExchangeText& text) -> ExchangeText& {
        return text.value(dob.day).literal("/").value(dob.month).literal("/").value(dob.year);
    };

    ExchangeText text(context.ansi);
    text.value(patient.surname).literal(", ").value(patient.forenames).literal("  ");
    writeDate(text).literal("  (").value(patient.patientId).literal(")").endLine();
    text.literal("PN=").value(patient.patientId).endLine();
    text.literal("LN=").value(patient.surname).endLine();
    text.literal("FN=").value(patient.forenames).endLine();
    writeDate(text.literal("BD=")).endLine();
    text.literal("SX=").value(patient.gender).endLine();

    BridgePlan plan;
    plan.file = ExchangeFile{infoFile, text.bytes()};
    plan.launch = platform::LaunchRequest{};
    plan.launch->file = programInFolder(folder, u"dexis.exe");
    plan.launch->parameters = u"@" + infoFile;
    return plan;
}

BridgePlan planIntegrator(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    ExchangeText text(context.ansi);
    text.literal("PN=").value(patient.patientId).endLine();
    text.literal("LN=").value(patient.surname).endLine();
    text.literal("FN=").value(patient.forenames).endLine();
    text.literal("BD=").value(patient.dob).endLine();
    text.literal("SX=").value(patient.gender).endLine();

    BridgePlan plan;
    plan.file = ExchangeFile{programInFolder(settingValue(settings, settingsOf(u"integrator").program), u"patinfo.txt"),
                             text.bytes()};
    return plan;
}

}  // namespace

const BridgeDefinition kDexisBridge{u"dexis", bridgeSettingNames(settingsOf(u"dexis")), planDexis};
const BridgeDefinition kIntegratorBridge{u"integrator", bridgeSettingNames(settingsOf(u"integrator")), planIntegrator};

}  // namespace veltrane::imaging
