// Sidexis reads the patient from an exchange file of three length-framed records ("U", "N", "A").

#include <cstdio>

#include "base/error.h"
#include "base/text.h"
#include "imaging/bridges/exchange_file_bridges.h"
#include "imaging/launch_conventions.h"

namespace veltrane::imaging {

namespace {

using namespace std::string_view_literals;

// A zero byte separates the fields, so one inside a value would shift every field after it.
constexpr std::string_view kFieldBreakers = "\0"sv;
constexpr std::size_t kMaxNetbiosLength = 15;

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

std::string twoHexDigits(std::size_t value) {
    char buffer[3];
    std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(value & 0xFFu));
    return buffer;
}

std::u16string digits(int value, int width) {
    std::string text = std::to_string(value < 0 ? 0 : value);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return std::u16string(text.begin(), text.end());
}

// Type letter, then each field after a zero byte, then four zero bytes.
std::string recordBody(platform::AnsiCodec& ansi, char type, std::initializer_list<std::u16string_view> fields) {
    ExchangeText body(ansi);
    body.literal(std::string_view(&type, 1));
    for (auto field : fields) body.literal("\0"sv).value(field, kFieldBreakers);
    body.literal("\0\0\0\0"sv);
    return body.bytes();
}

BridgePlan planSirona(const BridgeSettings& settings, const PatientRecord& patient, BridgeContext& context) {
    std::u16string program = settingValue(settings, settingsOf(u"sirona").program);
    std::u16string exchangeFile = settingValue(settings, settingsOf(u"sirona").images);
    // Either kind of location is accepted: a value naming the file itself is used as it is.
    if (program.find(u".exe") == std::u16string::npos) program += u"sidexis.exe";
    if (exchangeFile.find(u".sdx") == std::u16string::npos) exchangeFile += u"sidexis.sdx";

    const BirthDateParts parts = splitBirthDate(patient.dob);
    const std::u16string dob = parts.day + u"." + parts.month + u"." + parts.year;
    const std::u16string sex = patient.gender == u"F" ? u"F" : u"M";
    const std::u16string computer = getComputerName(context.computerName);
    const auto& now = context.now;
    const std::u16string date = digits(now.day, 2) + u"." + digits(now.month, 2) + u"." + digits(now.year, 4);
    const std::u16string time = digits(now.hour, 2) + u"." + digits(now.minute, 2) + u"." + digits(now.second, 2);

    std::string bytes;
    bytes += frameSidexisRecord(recordBody(context.ansi, 'U', {patient.surname, patient.forenames, dob, u""}));
    bytes += frameSidexisRecord(
        recordBody(context.ansi, 'N', {patient.surname, patient.forenames, dob, patient.patientId, sex}));
    bytes += frameSidexisRecord(
        recordBody(context.ansi, 'A', {patient.surname, patient.forenames, dob, u"", computer, date, time}));

    BridgePlan plan;
    plan.file = ExchangeFile{exchangeFile, std::move(bytes)};
    plan.launch = platform::LaunchRequest{};
    plan.launch->file = program;
    return plan;
}

}  // namespace

std::u16string hexToText(std::u16string_view hex) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) break;
        text.push_back(static_cast<char16_t>(high * 16 + low));
    }
    return text;
}

std::u16string getComputerName(std::u16string_view platformName) {
    std::u16string name(platformName.substr(0, platformName.find(u'.')));
    if (name.size() > kMaxNetbiosLength) name.resize(kMaxNetbiosLength);
    for (auto& c : name) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return name;
}

std::string frameSidexisRecord(std::string_view body) {
    // The length counts the bytes actually written, so a code page with multi-byte characters keeps the framing.
    const std::size_t length = body.size() + 4;
    if (length > 0xFFFF) throw Error("The patient's details are too long for the Sidexis exchange file");
    // Low byte first, then the high byte, so records shorter than 16 or longer than 255 bytes keep their framing.
    const std::u16string pair = hexToText(u16(twoHexDigits(length) + twoHexDigits(length >> 8)));
    std::string record;
    record.reserve(length);
    for (char16_t c : pair) record.push_back(static_cast<char>(c));
    record += body;
    record += "\r\n";
    return record;
}

bool parseSidexisRecords(std::string_view bytes, std::vector<std::string>* bodies) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 4) return false;
        const std::size_t length = static_cast<unsigned char>(bytes[pos]) |
                                   (static_cast<std::size_t>(static_cast<unsigned char>(bytes[pos + 1])) << 8);
        if (length < 4 || length > bytes.size() - pos) return false;
        if (bytes.substr(pos + length - 2, 2) != "\r\n") return false;
        if (bodies) bodies->emplace_back(bytes.substr(pos + 2, length - 4));
        pos += length;
    }
    return true;
}

const BridgeDefinition kSironaBridge{u"sirona", bridgeSettingNames(settingsOf(u"sirona")), planSirona};

}  // namespace veltrane::imaging
