#include "windows/services/settings_transfer_files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "base/error.h"
#include "base/text.h"
#include "windows/common/wide_text.h"
#include "windows/services/parent_console.h"
#include "windows/services/win32_files.h"

namespace veltrane::platform::win32 {

std::string SettingsTransferFiles::storeLabel() const { return "Registry key HKEY_CURRENT_USER\\Software\\Veltrane"; }

std::string SettingsTransferFiles::readImportFile(const std::string& path) {
    const std::u16string name = utf8ToUtf16(path);
    HANDLE file =
        CreateFileW(wide(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw Error("Cannot read " + utf16ToUtf8(name) + ": " + fileErrorText(GetLastError()));
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    BOOL ok = TRUE;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) bytes.append(buffer, got);
    const DWORD error = ok ? 0 : GetLastError();
    CloseHandle(file);
    if (!ok) throw Error("Cannot read " + utf16ToUtf8(name) + ": " + fileErrorText(error));
    return bytes;
}

void SettingsTransferFiles::writeExportFile(const std::string& path, const std::string& bytes) {
    Win32Files().writeWholeFile(utf8ToUtf16(path), bytes);
}

void SettingsTransferFiles::writeStandardOutput(const std::string& bytes) {
    // A console shows text, not a file's bytes: the export's UTF-16LE read as such, without its byte-order mark.
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (!text.empty() && text.front() == u'\xFEFF') text.erase(0, 1);
    if (writeConsoleText(text)) return;
    _setmode(_fileno(stdout), _O_BINARY);
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
        throw Error("Cannot write the settings export to standard output");
}

}  // namespace veltrane::platform::win32
