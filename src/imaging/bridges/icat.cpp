// iCat Registration and the iCat viewer both import the patient through VisionConnect, which is given the path of
// the import file it should read.

#include "imaging/bridges/exchange_file_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

BridgePlan planIcat(std::u16string_view programSetting, std::u16string_view importSetting,
                    const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    const std::u16string importFile = programInFolder(settingValue(settings, importSetting), u"patimport.ini");

    ExchangeText text(context.ansi);
    text.literal("[PATIENT]").endLine();
    text.literal("BVS=KAVO_3DeXam").endLine();
    text.literal("PVS=VELTRANE").endLine();
    text.literal("PATID=").value(patient.patientId).endLine();
    text.literal("LASTNAME=").value(patient.surname).endLine();
    text.literal("FIRSTNAME=").value(patient.forenames).endLine();
    text.literal("BIRTHDAY=").value(patient.dob).endLine();
    text.literal("SEX=").value(patient.gender).endLine();
    text.literal("READY=0").endLine();
    text.literal("ERRORLEVEL=0").endLine();

    BridgePlan plan;
    plan.file = ExchangeFile{importFile, text.bytes()};
    plan.launch = platform::LaunchRequest{};
    plan.launch->file = programInFolder(settingValue(settings, programSetting), u"VisionConnect.exe");
    plan.launch->parameters = importFile;  // unquoted even when it holds blanks
    return plan;
}

BridgePlan planIcatReg(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    return planIcat(settingsOf(u"icatreg").program, settingsOf(u"icatreg").images, settings, patient, context);
}

BridgePlan planIcatView(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    return planIcat(settingsOf(u"icatview").program, settingsOf(u"icatview").images, settings, patient, context);
}

}  // namespace

const BridgeDefinition kIcatRegBridge{u"icatreg", bridgeSettingNames(settingsOf(u"icatreg")), planIcatReg};
const BridgeDefinition kIcatViewBridge{u"icatview", bridgeSettingNames(settingsOf(u"icatview")), planIcatView};

}  // namespace veltrane::imaging
