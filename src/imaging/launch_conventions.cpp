#include "imaging/launch_conventions.h"

#include "base/error.h"
#include "base/text.h"

namespace veltrane::imaging {

namespace {
std::u16string piece(std::u16string_view text, std::size_t start, std::size_t length) {
    if (start >= text.size()) return {};
    return std::u16string(text.substr(start, length));
}
}  // namespace

BirthDateParts splitBirthDate(std::u16string_view dob) {
    return {piece(dob, 0, 4), piece(dob, 4, 2), piece(dob, 6, 2)};
}

std::u16string padPatientId(std::u16string_view id, long long length) {
    std::u16string out(id);
    if (length <= 0 || static_cast<long long>(out.size()) >= length) return out;
    // A mistyped pad length such as 2000000000 would ask for gigabytes of zeros; no command line or exchange
    // field can carry more than the platform's command-line limit, so refuse instead of exhausting memory.
    if (length > kMaxPaddedIdLength) throw Error(std::string(messages::kOutOfResources));
    out.insert(0, static_cast<std::size_t>(length) - out.size(), u'0');
    return out;
}

long long padLengthFromSetting(std::u16string_view text) {
    if (text.empty()) return 0;
    // A whole number as the platform's integer conversion reads it: optional sign, decimal digits, or $/0x hex.
    auto fail = [&] { throw Error(formatMessage(messages::kInvalidInteger, utf16ToUtf8(text))); };
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;  // leading blanks are allowed
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16, ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16, i += 2;
    }
    if (i >= text.size()) fail();
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        int digit = 0;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (base == 16 && c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (base == 16 && c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            fail();
        }
        value = value * base + digit;
        if (value > 0x7FFFFFFFLL + (negative ? 1 : 0)) fail();  // a 32-bit integer, as the platform's
    }
    return negative ? -value : value;
}

std::u16string programInFolder(std::u16string_view folderLocation, std::u16string_view fileName) {
    std::u16string path(folderLocation);
    path += fileName;
    return path;
}

platform::LaunchRequest openRequest(std::u16string file, std::u16string parameters, int showCommand) {
    platform::LaunchRequest request;
    request.verb = u"open";
    request.file = std::move(file);
    request.parameters = std::move(parameters);
    request.showCommand = showCommand;
    return request;
}

std::u16string quotableValue(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size());
    for (char16_t c : value) {
        if (c != u'"') out.push_back(c);
    }
    while (!out.empty() && out.back() == u'\\') out.pop_back();
    return out;
}

PatientRecord quotableRecord(PatientRecord patient) {
    for (auto* field : {&patient.patientId, &patient.forenames, &patient.surname, &patient.dob, &patient.gender}) {
        *field = quotableValue(*field);
    }
    return patient;
}

}  // namespace veltrane::imaging
