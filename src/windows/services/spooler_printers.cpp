#include "windows/services/spooler_printers.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"
#include "platform/printers.h"

namespace veltrane::platform::win32 {

namespace {

std::u16string textOrEmpty(const wchar_t* text) { return text ? fromWide(text) : std::u16string(); }

}  // namespace

std::vector<std::u16string> SpoolerPrinters::printerNames() {
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    std::vector<BYTE> buffer;
    DWORD needed = 0;
    DWORD count = 0;
    // A printer may be added between asking the size and listing: ask again until the list fits.
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (EnumPrintersW(flags, nullptr, 4, buffer.empty() ? nullptr : buffer.data(),
                          static_cast<DWORD>(buffer.size()), &needed, &count)) {
            std::vector<std::u16string> names;
            const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) names.push_back(textOrEmpty(printers[i].pPrinterName));
            return names;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        buffer.assign(needed, 0);
    }
    // A spooler that cannot list its printers has none to offer; the default-printer check then reports it.
    return {};
}

std::optional<std::u16string> SpoolerPrinters::defaultPrinterName() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return std::nullopt;
    std::vector<wchar_t> buffer(size);
    if (!GetDefaultPrinterW(buffer.data(), &size)) return std::nullopt;
    std::u16string name = fromWide(buffer.data());
    if (name.empty()) return std::nullopt;
    return name;
}

PrinterDetails SpoolerPrinters::details(const std::u16string& printerName) {
    PrinterDetails details{printerName, u"", u""};
    if (holdsZero(printerName)) return details;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(wide(printerName)), &printer, nullptr)) return details;
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed > 0 && GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        if (info->pPrinterName) details.device = fromWide(info->pPrinterName);
        details.driver = textOrEmpty(info->pDriverName);
        details.port = textOrEmpty(info->pPortName);
    }
    ClosePrinter(printer);
    return details;
}

void SpoolerPrinters::writeDefaultDeviceEntry(const std::u16string& value) {
    const std::string device = utf16ToUtf8(platform::deviceOfEntry(value));
    if (holdsZero(value)) throw Error("Cannot make '" + device + "' the default printer: the name holds a zero");
    // A write the platform refuses must not let the print go to the old default unnoticed.
    if (!WriteProfileStringW(L"windows", L"device", wide(value))) {
        throw Error("Cannot make '" + device + "' the default printer: " + systemMessage(GetLastError()));
    }
}

}  // namespace veltrane::platform::win32
