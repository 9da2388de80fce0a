// Programs opened with positional arguments, names in double quotes: SOPRO, Romexis, Acteon.

#include "imaging/bridges/command_line_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

constexpr std::u16string_view kSoproProgram = settingsOf(u"sopro").program;
constexpr std::u16string_view kRomexisProgram = settingsOf(u"romexis").program;
constexpr std::u16string_view kActeonProgram = settingsOf(u"acteon").program;

// id "surname" "forenames" ["date"]: the id stands outside quotes. Every bridge here makes the patient's
// values quotable first (quotableRecord), so a value can never close its quotes and add arguments.
std::u16string unquotedIdLine(const PatientRecord& p, const std::u16string& date) {
    std::u16string line = p.patientId + u" \"" + p.surname + u"\" \"" + p.forenames;
    if (!p.dob.empty()) line += u"\" \"" + date;
    return line + u"\"";
}

BridgePlan launchSopro(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext&) {
    const PatientRecord p = quotableRecord(patient);
    std::u16string date;
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        date = d.day + u"/" + d.month + u"/" + d.year;
    }
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kSoproProgram), u"SOPRO Imaging.exe"),
                              unquotedIdLine(p, date));
    return plan;
}

BridgePlan launchRomexis(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext&) {
    const PatientRecord p = quotableRecord(patient);
    std::u16string line = u"\"" + p.patientId + u"\" \"" + p.surname + u"\" \"" + p.forenames;
    if (!p.dob.empty()) line += u"\" \"" + p.dob;
    line += u"\"";
    // The setting names the program file itself.
    const std::u16string& program = settingValue(settings, kRomexisProgram);
    BridgePlan plan;
    plan.launch = openRequest(program, line);
    plan.traceLine = program + u" " + line;
    return plan;
}

BridgePlan launchActeon(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext&) {
    const PatientRecord p = quotableRecord(patient);
    BridgePlan plan;
    plan.launch = openRequest(settingValue(settings, kActeonProgram), unquotedIdLine(p, p.dob));
    return plan;
}

}  // namespace

const BridgeDefinition kSoproBridge{u"sopro", bridgeSettingNames(settingsOf(u"sopro")), launchSopro};
const BridgeDefinition kRomexisBridge{u"romexis", bridgeSettingNames(settingsOf(u"romexis")), launchRomexis};
const BridgeDefinition kActeonBridge{u"acteon", bridgeSettingNames(settingsOf(u"acteon")), launchActeon};

}  // namespace veltrane::imaging
