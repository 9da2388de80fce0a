// EasyDent and EzDent-i read the patient from a one-line XML file in the program's own folder.

#include "imaging/bridges/exchange_file_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

std::u16string sexText(const std::u16string& gender) {
    if (gender == u"M") return u"Male";
    if (gender == u"F") return u"Female";
    return gender;
}

BridgePlan planLinkage(std::u16string_view programSetting, std::u16string_view programName,
                       const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    const auto& folder = settingValue(settings, programSetting);
    const BirthDateParts dob = splitBirthDate(patient.dob);

    ExchangeText line(context.ansi);
    line.literal("<LinkageParameter>");
    line.literal("<Patient LastName=\"").xmlValue(patient.surname);
    line.literal("\" FirstName=\"").xmlValue(patient.forenames);
    line.literal("\" ChartNumber=\"").xmlValue(patient.patientId);
    line.literal("\">");
    line.literal("<Birthday>").xmlValue(dob.day).literal("/").xmlValue(dob.month).literal("/").xmlValue(dob.year);
    line.literal("</Birthday>");
    line.literal("<Gender>").xmlValue(sexText(patient.gender)).literal("</Gender>");
    line.literal("</Patient>");
    line.literal("</LinkageParameter>").endLine();

    BridgePlan plan;
    plan.file = ExchangeFile{programInFolder(folder, u"linkage.xml"), line.bytes()};
    plan.launch = platform::LaunchRequest{};
    plan.launch->file = programInFolder(folder, programName);
    return plan;
}

BridgePlan planEasydent(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    return planLinkage(settingsOf(u"easydent").program, u"EasyDent4.exe", settings, patient, context);
}

BridgePlan planEzdenti(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    return planLinkage(settingsOf(u"ezdenti").program, u"VTEzDent-iLoader32.exe", settings, patient, context);
}

}  // namespace

const BridgeDefinition kEasydentBridge{u"easydent", bridgeSettingNames(settingsOf(u"easydent")), planEasydent};
const BridgeDefinition kEzdentiBridge{u"ezdenti", bridgeSettingNames(settingsOf(u"ezdenti")), planEzdenti};

}  // namespace veltrane::imaging
