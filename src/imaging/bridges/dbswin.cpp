// DBSWin imports the patient from a one-line, semicolon-separated file.

#include "imaging/bridges/exchange_file_bridges.h"
#include "imaging/launch_conventions.h"
#include "platform/paths.h"

namespace veltrane::imaging {

namespace {

constexpr std::string_view kSeparator = ";";

// The extension of the last path component, dot included; empty when that component has no dot.
std::u16string_view extension(std::u16string_view path) {
    const auto lastComponent = path.substr(path.rfind(platform::kPathDelimiter) + 1);
    const auto dot = lastComponent.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string_view{} : lastComponent.substr(dot);
}

BridgePlan planDbswin(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    const auto& program = settingValue(settings, settingsOf(u"dbswin").program);
    const auto& importFolder = settingValue(settings, settingsOf(u"dbswin").images);
    const bool sendId = settingValue(settings, settingsOf(u"dbswin").option) != u"True";
    const BirthDateParts dob = splitBirthDate(patient.dob);

    ExchangeText line(context.ansi);
    line.value(patient.surname, kSeparator).literal(";").value(patient.forenames, kSeparator).literal(";");
    line.value(dob.day, kSeparator).literal(".").value(dob.month, kSeparator).literal(".");
    line.value(dob.year, kSeparator).literal(";");
    if (sendId) line.value(patient.patientId, kSeparator);
    line.literal(";;;;;").value(patient.gender, kSeparator).literal(";;").endLine();

    BridgePlan plan;
    plan.file = ExchangeFile{programInFolder(importFolder, u"patimport.txt"), line.bytes()};
    plan.launch = platform::LaunchRequest{};
    // The configuration page stores either the program file itself or its folder.
    plan.launch->file = extension(program) == u".exe" ? program : programInFolder(program, u"dbswin.exe");
    plan.launch->showCommand = platform::kShow;
    return plan;
}

}  // namespace

const BridgeDefinition kDbswinBridge{u"dbswin", bridgeSettingNames(settingsOf(u"dbswin")), planDbswin};

}  // namespace veltrane::imaging
