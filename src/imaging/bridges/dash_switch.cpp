// Programs opened with dash switches: Trophy, VixWin, DTX Studio.

#include "imaging/bridges/command_line_bridges.h"
#include "imaging/launch_conventions.h"
#include "imaging/value_rules.h"

namespace veltrane::imaging {

namespace {

constexpr std::u16string_view kTrophyProgram = settingsOf(u"trophy").program;
constexpr std::u16string_view kTrophyImages = settingsOf(u"trophy").images;
constexpr std::u16string_view kVixwinProgram = settingsOf(u"vixwin").program;
constexpr std::u16string_view kVixwinImages = settingsOf(u"vixwin").images;
constexpr std::u16string_view kDtxstudioProgram = settingsOf(u"dtxstudio").program;
constexpr std::u16string_view kDtxstudioIdPad = settingsOf(u"dtxstudio").option;

BridgePlan launchTrophy(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    // The images folder and the id form one path; the stored folder brings its own delimiter.
    CommandLineText line(context.ansi);
    line.literal(u"-P").literal(settingValue(settings, kTrophyImages)).value(p.patientId);
    line.literal(u" -N").value(p.forenames).literal(u" ").value(p.surname);
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kTrophyProgram), u"tw.exe"), line.text());
    return plan;
}

BridgePlan launchVixwin(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    CommandLineText line(context.ansi);
    line.literal(u"-I ").value(p.patientId).literal(u" -N ").value(p.forenames).literal(u"^").value(p.surname);
    line.literal(u" -P ").literal(settingValue(settings, kVixwinImages));
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kVixwinProgram), u"vixwin.exe"), line.text());
    return plan;
}

std::u16string dtxGenderName(const std::u16string& gender) {
    if (gender == u"M") return u"MALE";
    if (gender == u"F") return u"FEMALE";
    return u"OTHER";
}

BridgePlan launchDtxstudio(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    // Every value is sent in quotes.
    const std::u16string genderName = dtxGenderName(p.gender);
    std::u16string date;
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        date = d.year + u"-" + d.month + u"-" + d.day;
    }
    const std::u16string id = padPatientId(p.patientId, padLengthFromSetting(settingValue(settings, kDtxstudioIdPad)));
    CommandLineText line(context.ansi);
    line.literal(u"-c \"UPDATE_CREATE\" -r \"").quotedValue(id).literal(u"\" -f \"").quotedValue(p.forenames);
    line.literal(u"\" -l \"").quotedValue(p.surname);
    if (!p.dob.empty()) line.literal(u"\" -b \"").quotedValue(date);
    line.literal(u"\" -g \"").literal(genderName).literal(u"\"");
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kDtxstudioProgram), u"DTXSync.exe"), line.text());
    return plan;
}

}  // namespace

const BridgeDefinition kTrophyBridge{u"trophy", bridgeSettingNames(settingsOf(u"trophy")), launchTrophy};
const BridgeDefinition kVixwinBridge{u"vixwin", bridgeSettingNames(settingsOf(u"vixwin")), launchVixwin};
const BridgeDefinition kDtxstudioBridge{u"dtxstudio", bridgeSettingNames(settingsOf(u"dtxstudio")), launchDtxstudio};

}  // namespace veltrane::imaging
