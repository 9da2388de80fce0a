// Programs opened with dash switches: Trophy, VixWin, DTX Studio.

#include "imaging/bridges/command_line_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

constexpr std::u16string_view kTrophyProgram = settingsOf(u"trophy").program;
constexpr std::u16string_view kTrophyImages = settingsOf(u"trophy").images;
constexpr std::u16string_view kVixwinProgram = settingsOf(u"vixwin").program;
constexpr std::u16string_view kVixwinImages = settingsOf(u"vixwin").images;
constexpr std::u16string_view kDtxstudioProgram = settingsOf(u"dtxstudio").program;
constexpr std::u16string_view kDtxstudioIdPad = settingsOf(u"dtxstudio").option;

BridgePlan launchTrophy(const BridgeSettings& settings, const PatientRecord& p, BridgeContext&) {
    // The images folder and the id form one path; the stored folder brings its own delimiter.
    std::u16string line =
        u"-P" + settingValue(settings, kTrophyImages) + p.patientId + u" -N" + p.forenames + u" " + p.surname;
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kTrophyProgram), u"tw.exe"), line);
    return plan;
}

BridgePlan launchVixwin(const BridgeSettings& settings, const PatientRecord& p, BridgeContext&) {
    std::u16string line = u"-I " + p.patientId + u" -N " + p.forenames + u"^" + p.surname + u" -P " +
                          settingValue(settings, kVixwinImages);
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kVixwinProgram), u"vixwin.exe"), line);
    return plan;
}

std::u16string dtxGenderName(const std::u16string& gender) {
    if (gender == u"M") return u"MALE";
    if (gender == u"F") return u"FEMALE";
    return u"OTHER";
}

BridgePlan launchDtxstudio(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext&) {
    // Every value is sent in quotes; a quote inside one (or a backslash at its end) would end it early and add
    // arguments.
    const PatientRecord p = quotableRecord(patient);
    const std::u16string genderName = dtxGenderName(p.gender);
    std::u16string date;
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        date = d.year + u"-" + d.month + u"-" + d.day;
    }
    const std::u16string id = padPatientId(p.patientId, padLengthFromSetting(settingValue(settings, kDtxstudioIdPad)));
    std::u16string line = u"-c \"UPDATE_CREATE\" -r \"" + id + u"\" -f \"" + p.forenames + u"\" -l \"" + p.surname;
    if (!p.dob.empty()) line += u"\" -b \"" + date;
    line += u"\" -g \"" + genderName + u"\"";
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kDtxstudioProgram), u"DTXSync.exe"), line);
    return plan;
}

}  // namespace

const BridgeDefinition kTrophyBridge{u"trophy", bridgeSettingNames(settingsOf(u"trophy")), launchTrophy};
const BridgeDefinition kVixwinBridge{u"vixwin", bridgeSettingNames(settingsOf(u"vixwin")), launchVixwin};
const BridgeDefinition kDtxstudioBridge{u"dtxstudio", bridgeSettingNames(settingsOf(u"dtxstudio")), launchDtxstudio};

}  // namespace veltrane::imaging
