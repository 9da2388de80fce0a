// Stands in for a Windows imaging program: writes the command line it was given, exactly as Windows hands it
// over, and its current folder to the file named by VELTRANE_RECORDER_OUT (UTF-8, "cmd <line>" and "cwd <folder>"
// lines). It writes a temporary file and renames it, so a reader never sees half of it.

#include <windows.h>

#include <filesystem>
#include <string>

#include "support/file_bytes.h"

namespace {

std::string utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

int main() {
    wchar_t out[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VELTRANE_RECORDER_OUT", out, MAX_PATH) == 0) return 2;
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::string record = "cmd " + utf8(GetCommandLineW()) + "\ncwd " + utf8(folder) + "\n";

    return veltrane::testing::writeFileAtomically(std::filesystem::path(out), record) ? 0 : 3;
}
