// Scanora and Cliniview read the patient from a practice-management interface file in a configured folder.

#include "imaging/bridges/exchange_file_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

struct InterfaceFileNames {
    std::u16string_view programSetting;
    std::u16string_view folderSetting;
    std::u16string_view fileName;
    std::u16string_view programName;
};

BridgePlan planInterfaceFile(const InterfaceFileNames& names, const BridgeSettings& settings,
                             const PatientRecord& patient, BridgeContext& context) {
    const auto& programFolder = settingValue(settings, names.programSetting);
    const auto& interfaceFolder = settingValue(settings, names.folderSetting);
    const BirthDateParts dob = splitBirthDate(patient.dob);

    ExchangeText text(context.ansi);
    text.literal("[PracticeManagementInterface]").endLine();
    text.literal("CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY = 1").endLine();
    text.literal("USE_PRACTICE_MANAGEMENT = 1").endLine();
    text.literal("PATID=").value(patient.patientId).endLine();
    text.literal("PATLNAME=").value(patient.surname).endLine();
    text.literal("PATMNAME=0").endLine();  // the interface has no middle name; the programs expect the literal 0
    text.literal("PATFNAME=").value(patient.forenames).endLine();
    text.literal("PATBD=").value(dob.day).literal("/").value(dob.month).literal("/").value(dob.year).endLine();
    for (const char* key : {"PROVIDER1", "PROVIDER2", "ADDRESS1", "ADDRESS2", "CITY", "STATE", "ZIP", "HOMEPHONE",
                            "WORKPHONE", "EMAIL1"}) {
        text.literal(key).literal(" = 0").endLine();
    }

    BridgePlan plan;
    plan.file = ExchangeFile{programInFolder(interfaceFolder, names.fileName), text.bytes()};
    plan.launch = platform::LaunchRequest{};
    plan.launch->file = programInFolder(programFolder, names.programName);
    return plan;
}

constexpr InterfaceFileNames kScanoraNames{settingsOf(u"scanora").program, settingsOf(u"scanora").images,
                                           u"SCANORA.ini", u"SCANORA.exe"};
constexpr InterfaceFileNames kCliniviewNames{settingsOf(u"cliniview").program, settingsOf(u"cliniview").images,
                                             u"CLINIVIEW.ini", u"CLINIVIEW.exe"};

BridgePlan planScanora(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    return planInterfaceFile(kScanoraNames, settings, patient, context);
}

BridgePlan planCliniview(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    return planInterfaceFile(kCliniviewNames, settings, patient, context);
}

}  // namespace

// Both receive the title with the other patient fields but never write it.
const BridgeDefinition kScanoraBridge{u"scanora", bridgeSettingNames(settingsOf(u"scanora")), planScanora, true};
const BridgeDefinition kCliniviewBridge{u"cliniview", bridgeSettingNames(settingsOf(u"cliniview")), planCliniview,
                                        true};

}  // namespace veltrane::imaging
