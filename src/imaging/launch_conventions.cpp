#include "imaging/launch_conventions.h"

#include "base/error.h"
#include "base/numbers.h"
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
    const auto value = parseInteger(text);
    if (!value) throw Error(formatMessage(messages::kInvalidInteger, utf16ToUtf8(text)));
    return *value;
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

}  // namespace veltrane::imaging
