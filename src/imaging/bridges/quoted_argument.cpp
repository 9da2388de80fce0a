// Programs opened with positional arguments, names in double quotes: SOPRO, Romexis, Acteon.

#include "imaging/bridges/command_line_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

const std::u16string kSoproProgram = u"sopro_program";
const std::u16string kRomexisProgram = u"romexis_program";
const std::u16string kActeonProgram = u"acteon_program";

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

const BridgeDefinition kSoproBridge{u"sopro", {kSoproProgram}, launchSopro};
const BridgeDefinition kRomexisBridge{u"romexis", {kRomexisProgram}, launchRomexis};
const BridgeDefinition kActeonBridge{u"acteon", {kActeonProgram}, launchActeon};

}  // namespace veltrane::imaging
