// Programs opened with positional arguments, names in double quotes: SOPRO, Romexis, Acteon.

#include "imaging/bridges/command_line_bridges.h"
#include "imaging/launch_conventions.h"
#include "imaging/value_rules.h"

namespace veltrane::imaging {

namespace {

constexpr std::u16string_view kSoproProgram = settingsOf(u"sopro").program;
constexpr std::u16string_view kRomexisProgram = settingsOf(u"romexis").program;
constexpr std::u16string_view kActeonProgram = settingsOf(u"acteon").program;

// id "surname" "forenames" ["date"]: the id stands outside quotes, where a blank would make it two arguments.
std::u16string unquotedIdLine(const PatientRecord& p, const std::u16string& date, platform::AnsiCodec& ansi) {
    requireSingleArgumentId(p.patientId, ansi);
    CommandLineText line(ansi);
    line.value(p.patientId).literal(u" \"").quotedValue(p.surname).literal(u"\" \"").quotedValue(p.forenames);
    if (!p.dob.empty()) line.literal(u"\" \"").quotedValue(date);
    return line.literal(u"\"").text();
}

BridgePlan launchSopro(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    std::u16string date;
    if (!p.dob.empty()) {
        const auto d = splitBirthDate(p.dob);
        date = d.day + u"/" + d.month + u"/" + d.year;
    }
    BridgePlan plan;
    plan.launch = openRequest(programInFolder(settingValue(settings, kSoproProgram), u"SOPRO Imaging.exe"),
                              unquotedIdLine(p, date, context.ansi));
    return plan;
}

BridgePlan launchRomexis(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    CommandLineText text(context.ansi);
    text.literal(u"\"").quotedValue(p.patientId).literal(u"\" \"").quotedValue(p.surname);
    text.literal(u"\" \"").quotedValue(p.forenames);
    if (!p.dob.empty()) text.literal(u"\" \"").quotedValue(p.dob);
    const std::u16string& line = text.literal(u"\"").text();
    // The setting names the program file itself.
    const std::u16string& program = settingValue(settings, kRomexisProgram);
    BridgePlan plan;
    plan.launch = openRequest(program, line);
    plan.traceLine = program + u" " + line;
    return plan;
}

BridgePlan launchActeon(const BridgeSettings& settings, const PatientRecord& p, BridgeContext& context) {
    BridgePlan plan;
    plan.launch = openRequest(settingValue(settings, kActeonProgram), unquotedIdLine(p, p.dob, context.ansi));
    return plan;
}

}  // namespace

const BridgeDefinition kSoproBridge{u"sopro", bridgeSettingNames(settingsOf(u"sopro")), launchSopro};
const BridgeDefinition kRomexisBridge{u"romexis", bridgeSettingNames(settingsOf(u"romexis")), launchRomexis};
const BridgeDefinition kActeonBridge{u"acteon", bridgeSettingNames(settingsOf(u"acteon")), launchActeon};

}  // namespace veltrane::imaging
