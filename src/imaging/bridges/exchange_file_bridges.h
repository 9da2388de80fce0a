#pragma once
// Bridges that hand the patient over in an exchange file which the imaging program reads: the file is part of the
// plan (path and exact bytes), written and closed by the executor before the program is started.

#include <string>
#include <string_view>
#include <vector>

#include "imaging/bridge_plan.h"
#include "platform/ansi_codec.h"

namespace veltrane::imaging {

// Defined with dynamic initialisation: refer to them by address (or after main starts), never copy them into
// another namespace-scope object.
extern const BridgeDefinition kScanoraBridge, kCliniviewBridge, kSironaBridge, kEasydentBridge, kEzdentiBridge,
    kIcatRegBridge, kIcatViewBridge, kDexisBridge, kIntegratorBridge, kDbswinBridge, kIdixelBridge;

// Builds the bytes of an exchange file. Literals are ASCII; each patient value is converted to the ANSI code page
// on its own and then cleaned as bytes, because a best-fit conversion can itself produce a separator (a full-width
// comma becomes ',') and no Windows code page uses a byte below 0x40 inside a multi-byte character.
class ExchangeText {
public:
    explicit ExchangeText(platform::AnsiCodec& ansi) : ansi_(ansi) {}

    ExchangeText& literal(std::string_view ascii);
    // A value in a line-based file: CR, LF and each byte of `separators` become a blank, so the value can neither
    // start a line of its own nor shift the fields after it.
    ExchangeText& value(std::u16string_view text, std::string_view separators = {});
    // A value inside XML character data or a double-quoted attribute: markup characters are escaped and control
    // characters (which XML does not allow) become a blank.
    ExchangeText& xmlValue(std::u16string_view text);
    ExchangeText& endLine() { return literal("\r\n"); }

    const std::string& bytes() const { return bytes_; }

private:
    platform::AnsiCodec& ansi_;
    std::string bytes_;
};

// For each complete pair of hex digits from the left, one character with the pair's value; an odd last digit and
// everything from the first non-hex character of a pair on are ignored.
std::u16string hexToText(std::u16string_view hex);

// The workstation's name as the network's short (NetBIOS) naming knows it: the host name up to its first dot,
// in upper case, at most 15 characters. Empty when the platform has no name.
std::u16string getComputerName(std::u16string_view platformName);

// One length-framed Sidexis record: a 16-bit little-endian length L (the whole record, CR LF included), the body,
// CR LF. Throws when the record would exceed 65535 bytes, which no length field can express.
std::string frameSidexisRecord(std::string_view body);

// Reads records framed as above; false when the bytes are not a clean sequence of them.
bool parseSidexisRecords(std::string_view bytes, std::vector<std::string>* bodies);

}  // namespace veltrane::imaging
