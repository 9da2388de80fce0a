// Programs opened with slash switches: DentalEye, Schick, myRay, MediaDent, Examine Pro, Dr Suni.

#include "imaging/bridges/command_line_bridges.h"
#include "imaging/launch_conventions.h"
#include "imaging/value_rules.h"

namespace veltrane::imaging {

namespace {

constexpr std::u16string_view kDentaleyeProgram = settingsOf(u"dentaleye").program;
constexpr std::u16string_view kDicomProgram = settingsOf(u"dicom").program;
constexpr std::u16string_view kDicomIdPad = settingsOf(u"dicom").option;
constexpr std::u16string_view kMyrayProgram = settingsOf(u"myray").program;
constexpr std::u16string_view kSuniProgram = settingsOf(u"suni").program;

BridgePlan launchDentaleye(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    // dob and gender go out as received.
    CommandLineText line(context.ansi);
    line.literal(u"/ID=").value(p.patientId).literal(u" /FN=").value(p.forenames).literal(u" /LN=").value(p.surname);
    line.literal(u" /BD=").value(p.dob).literal(u" /Sex=").value(p.gender);
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kDentaleyeProgram), u"cmdlink.exe"), line.text());
    return plan;
}

BridgePlan launchDicom(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    // The pad length is converted first, so a bad value ends the run before anything is made.
    const std::u16string id = padPatientId(p.patientId, padLengthFromSetting(settingValue(settings, kDicomIdPad)));
    CommandLineText line(context.ansi);
    line.literal(u"/LastName ").value(p.surname).literal(u" /FirstName ").value(p.forenames);
    line.literal(u" /IDNumber ").value(id).literal(u" ");
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kDicomProgram), u"cdrstart.exe"), line.text());
    return plan;
}

BridgePlan launchMyray(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    CommandLineText line(context.ansi);
    line.literal(u"/PATID ").value(p.patientId).literal(u" /name ").value(p.forenames);
    line.literal(u" /surname ").value(p.surname);
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        line.literal(u" /dateb ").value(d.month).literal(u",").value(d.day).literal(u",").value(d.year);
    }
    line.literal(u" /sex ").value(p.gender);
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kMyrayProgram), u"NNTBridge.exe"), line.text());
    return plan;
}

// MediaDent and Examine Pro share one format; only their settings and program differ.
BridgePlan imagesFolderSwitches(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context,
                                std::u16string_view program, std::u16string_view images, std::u16string_view fileName) {
    // The "\" before the id is always inserted, even after a stored trailing delimiter: the programs expect it.
    CommandLineText line(context.ansi);
    line.literal(u"/P").value(p.forenames).literal(u" ").value(p.surname);
    line.literal(u" /F").literal(settingValue(settings, images)).literal(u"\\").value(p.patientId).literal(u" /B");
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        line.value(d.day + d.month + d.year);
    }
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, program), fileName), line.text());
    return plan;
}

constexpr std::u16string_view kMediadentProgram = settingsOf(u"mediadent").program;
constexpr std::u16string_view kMediadentImages = settingsOf(u"mediadent").images;
constexpr std::u16string_view kExamineproProgram = settingsOf(u"examinepro").program;
constexpr std::u16string_view kExamineproImages = settingsOf(u"examinepro").images;

BridgePlan launchMediadent(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    return imagesFolderSwitches(settings, p, context, kMediadentProgram, kMediadentImages, u"mediadent.exe");
}

BridgePlan launchExaminepro(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    return imagesFolderSwitches(settings, p, context, kExamineproProgram, kExamineproImages, u"expro.exe");
}

BridgePlan launchSuni(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    // The whole record goes inside one pair of quotes, so every value is a quoted one.
    std::u16string date;
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        const std::u16string shortYear = d.year.size() > 2 ? d.year.substr(2, 2) : std::u16string();
        date = d.month + u"-" + d.day + u"-" + shortYear;
    }
    CommandLineText line(context.ansi);
    line.literal(u"/p\"").quotedValue(p.surname).literal(u", ").quotedValue(p.forenames).literal(u"::::");
    line.quotedValue(p.patientId).literal(u"::").quotedValue(date).literal(u"::").quotedValue(p.gender).literal(u"\"");
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kSuniProgram), u"DrSuni.exe"), line.text());
    plan.traceLine = plan.launch->file + u" " + line.text();
    return plan;
}

}  // namespace

const BridgeDefinition kDentaleyeBridge{u"dentaleye", bridgeSettingNames(settingsOf(u"dentaleye")), launchDentaleye};
const BridgeDefinition kDicomBridge{u"dicom", bridgeSettingNames(settingsOf(u"dicom")), launchDicom};
const BridgeDefinition kMyrayBridge{u"myray", bridgeSettingNames(settingsOf(u"myray")), launchMyray};
const BridgeDefinition kMediadentBridge{u"mediadent", bridgeSettingNames(settingsOf(u"mediadent")), launchMediadent};
const BridgeDefinition kExamineproBridge{u"examinepro", bridgeSettingNames(settingsOf(u"examinepro")),
                                         launchExaminepro};
const BridgeDefinition kSuniBridge{u"suni", bridgeSettingNames(settingsOf(u"suni")), launchSuni};

}  // namespace veltrane::imaging
