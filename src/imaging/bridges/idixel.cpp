// iDixel reads a one-line, comma-separated command file from its program folder.

#include "imaging/bridges/exchange_file_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

constexpr std::string_view kSeparator = ",";
constexpr long long kPatientNumberWidth = 12;

BridgePlan planIdixel(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    const auto& folder = settingValue(settings, settingsOf(u"idixel").program);
    // -1 stands for an unknown birth date, which iDixel expects as an empty field.
    const std::u16string birthDate = patient.dob == u"-1" ? u"" : patient.dob;

    ExchangeText line(context.ansi);
    line.literal("C,").value(padPatientId(patient.patientId, kPatientNumberWidth), kSeparator).literal(",,,");
    line.value(patient.forenames, kSeparator).literal(" ").value(patient.surname, kSeparator).literal(",");
    line.literal(patient.gender == u"M" ? "1" : "2").literal(",");
    line.value(birthDate, kSeparator).literal(",").endLine();

    BridgePlan plan;
    plan.file = ExchangeFile{programInFolder(folder, u"ToiVIEW.txt"), line.bytes()};
    plan.launch = platform::LaunchRequest{};
    plan.launch->file = programInFolder(folder, u"ToiVIEW.exe");
    return plan;
}

}  // namespace

const BridgeDefinition kIdixelBridge{u"idixel", bridgeSettingNames(settingsOf(u"idixel")), planIdixel};

}  // namespace veltrane::imaging
