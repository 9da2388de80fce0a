// Stands in for the imaging program in the Windows images-request benchmark: on entry it writes the wall-clock
// time (microseconds since 1970, the clock the runner reads) to the file $VELTRANE_BENCH_STAMP and ends. A window
// program, so that starting it costs no console.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // FILETIME counts 100 ns from 1601.
    const unsigned long long micros = (ticks - 116444736000000000ULL) / 10;

    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"VELTRANE_BENCH_STAMP", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    char text[32];
    const int size = std::snprintf(text, sizeof text, "%llu\n", micros);
    // Written whole to a new name and moved into place, so the runner never reads half a stamp.
    wchar_t partial[MAX_PATH + 8];
    std::swprintf(partial, MAX_PATH + 8, L"%ls.part", path);
    HANDLE file = CreateFileW(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != static_cast<DWORD>(size)) return 1;
    return MoveFileExW(partial, path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
