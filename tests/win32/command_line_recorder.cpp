// Stands in for a Windows imaging program: writes the command line it was given, exactly as Windows hands it
// over, and its current folder to the file named by VELTRANE_RECORDER_OUT (UTF-8, "cmd <line>" and "cwd <folder>"
// lines). It writes a temporary file and renames it, so a reader never sees half of it.

#include <windows.h>

#include <string>

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

    const std::wstring temporary = std::wstring(out) + L".tmp";
    HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || !MoveFileExW(temporary.c_str(), out, MOVEFILE_REPLACE_EXISTING)) return 3;
    return 0;
}
