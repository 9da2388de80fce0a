// Programs opened with slash switches: DentalEye, Schick, myRay, MediaDent, Examine Pro, Dr Suni.

#include "imaging/bridges/command_line_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

constexpr std::u16string_view kDentaleyeProgram = settingsOf(u"dentaleye").program;
constexpr std::u16string_view kDicomProgram = settingsOf(u"dicom").program;
constexpr std::u16string_view kDicomIdPad = settingsOf(u"dicom").option;
constexpr std::u16string_view kMyrayProgram = settingsOf(u"myray").program;
constexpr std::u16string_view kSuniProgram = settingsOf(u"suni").program;

BridgePlan launchDentaleye(const BridgeSettings& settings, const PatientRecord& p, BridgeContext&) {
    // dob and gender go out as received.
    std::u16string line =
        u"/ID=" + p.patientId + u" /FN=" + p.forenames + u" /LN=" + p.surname + u" /BD=" + p.dob + u" /Sex=" + p.gender;
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kDentaleyeProgram), u"cmdlink.exe"), line);
    return plan;
}

BridgePlan launchDicom(const BridgeSettings& settings, const PatientRecord& p, BridgeContext&) {
    // The pad length is converted first, so a bad value ends the run before anything is made.
    const std::u16string id = padPatientId(p.patientId, padLengthFromSetting(settingValue(settings, kDicomIdPad)));
    std::u16string line = u"/LastName " + p.surname + u" /FirstName " + p.forenames + u" /IDNumber " + id + u" ";
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kDicomProgram), u"cdrstart.exe"), line);
    return plan;
}

BridgePlan launchMyray(const BridgeSettings& settings, const PatientRecord& p, BridgeContext&) {
    std::u16string line = u"/PATID " + p.patientId + u" /name " + p.forenames + u" /surname " + p.surname;
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        line += u" /dateb " + d.month + u"," + d.day + u"," + d.year;
    }
    line += u" /sex " + p.gender;
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kMyrayProgram), u"NNTBridge.exe"), line);
    return plan;
}

// MediaDent and Examine Pro share one format; only their settings and program differ.
BridgePlan imagesFolderSwitches(const BridgeSettings& settings, const PatientRecord& p, std::u16string_view program,
                                std::u16string_view images, std::u16string_view fileName) {
    // The "\" before the id is always inserted, even after a stored trailing delimiter: the programs expect it.
    std::u16string line =
        u"/P" + p.forenames + u" " + p.surname + u" /F" + settingValue(settings, images) + u"\\" + p.patientId + u" /B";
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        line += d.day + d.month + d.year;
    }
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, program), fileName), line);
    return plan;
}

constexpr std::u16string_view kMediadentProgram = settingsOf(u"mediadent").program;
constexpr std::u16string_view kMediadentImages = settingsOf(u"mediadent").images;
constexpr std::u16string_view kExamineproProgram = settingsOf(u"examinepro").program;
constexpr std::u16string_view kExamineproImages = settingsOf(u"examinepro").images;

BridgePlan launchMediadent(const BridgeSettings& settings, const PatientRecord& p, BridgeContext&) {
    return imagesFolderSwitches(settings, p, kMediadentProgram, kMediadentImages, u"mediadent.exe");
}

BridgePlan launchExaminepro(const BridgeSettings& settings, const PatientRecord& p, BridgeContext&) {
    return imagesFolderSwitches(settings, p, kExamineproProgram, kExamineproImages, u"expro.exe");
}

BridgePlan launchSuni(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext&) {
    // The whole record goes inside one pair of quotes; a quote (or a backslash before the closing one) in a value would
    // split it.
    const PatientRecord p = quotableRecord(patient);
    std::u16string date;
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        const std::u16string shortYear = d.year.size() > 2 ? d.year.substr(2, 2) : std::u16string();
        date = d.month + u"-" + d.day + u"-" + shortYear;
    }
    std::u16string line =
        u"/p\"" + p.surname + u", " + p.forenames + u"::::" + p.patientId + u"::" + date + u"::" + p.gender + u"\"";
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kSuniProgram), u"DrSuni.exe"), line);
    plan.traceLine = plan.launch->file + u" " + line;
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
