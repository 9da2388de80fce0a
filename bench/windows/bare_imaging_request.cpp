// The baseline for the Windows images-request benchmark: a bare Win32 program that reads the same registry values
// and request-file keys as the real program's DentalEye request, builds the same command line and starts the
// imaging program through ShellExecuteW, then exits. It links only what that needs (kernel32, advapi32, shell32,
// ole32), so the gap to the real program is what the real program does besides.
// Usage: bare-imaging-request.exe REQUEST_FILE
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <string>

namespace {

std::wstring profileValue(const wchar_t* section, const wchar_t* key, const std::wstring& file) {
    wchar_t buffer[2048];
    GetPrivateProfileStringW(section, key, L"", buffer, 2048, file.c_str());
    return buffer;
}

std::wstring registryValue(HKEY key, const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    buffer[size / sizeof(wchar_t)] = L'\0';
    return buffer;
}

// A double quote in a patient value would end the argument it sits in: the real bridge drops it too.
std::wstring withoutQuotes(std::wstring value) {
    std::erase(value, L'"');
    return value;
}

// Every system's switch, as the real program scans them to find the one enabled.
constexpr const wchar_t* kEnabledValues[] = {
    L"dbswin_enabled",   L"dentaleye_enabled", L"dexis_enabled",    L"integrator_enabled", L"dicom_enabled",
    L"digora_enabled",   L"scanora_enabled",   L"easydent_enabled", L"idixel_enabled",     L"icat_enabled",
    L"icatview_enabled", L"trophy_enabled",    L"vixwin_enabled",   L"mediadent_enabled",  L"examinepro_enabled",
    L"apexnrg_enabled",  L"myray_enabled",     L"sopro_enabled",    L"romexis_enabled",    L"suni_enabled",
    L"sirona_enabled",   L"dtxstudio_enabled", L"acteon_enabled",   L"cliniview_enabled",  L"ezdenti_enabled"};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring request = argv[1];
    if (profileValue(L"settings", L"action", request) != L"images") return 1;

    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Veltrane", 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
    bool dentalEye = false;
    for (const wchar_t* name : kEnabledValues) {
        if (registryValue(key, name) == L"True" && std::wstring(name) == L"dentaleye_enabled") dentalEye = true;
    }
    const std::wstring folder = registryValue(key, L"dentaleye_program");
    RegCloseKey(key);
    if (!dentalEye) return 1;

    const std::wstring id = profileValue(L"settings", L"patient_id", request);
    const std::wstring forenames = profileValue(L"settings", L"forenames", request);
    const std::wstring surname = profileValue(L"settings", L"surname", request);
    const std::wstring birth = profileValue(L"settings", L"dob", request);
    const std::wstring gender = profileValue(L"settings", L"gender", request);
    profileValue(L"settings", L"title", request);
    profileValue(L"imaging", L"dentaleye", request);

    const std::wstring program = folder + L"cmdlink.exe";
    const std::wstring parameters = L"/ID=" + withoutQuotes(id) + L" /FN=" + withoutQuotes(forenames) + L" /LN=" +
                                    withoutQuotes(surname) + L" /BD=" + withoutQuotes(birth) + L" /Sex=" +
                                    withoutQuotes(gender);
    // The shell may hand the start to COM objects: it asks for an apartment first, as the real program does.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
    if (com) CoUninitialize();
    return started > 32 ? 0 : 1;
}
