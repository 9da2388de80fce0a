#include "windows/browser/browser_security.h"

#include <cstring>
#include <initializer_list>

namespace veltrane::platform::win32 {

namespace {

struct ActionRange {
    DWORD first;
    DWORD last;
};

// What a document page never needs. Scripts, fonts, images and the engine's sign-in stay as the zone sets them:
// the practice's pages may use them.
constexpr ActionRange kRefused[] = {
    {URLACTION_DOWNLOAD_MIN, URLACTION_DOWNLOAD_MAX},  // downloading controls
    {URLACTION_ACTIVEX_MIN, URLACTION_ACTIVEX_MAX},    // running and scripting controls
    {URLACTION_SCRIPT_JAVA_USE, URLACTION_SCRIPT_JAVA_USE},
    {URLACTION_SCRIPT_SAFE_ACTIVEX, URLACTION_SCRIPT_PASTE},  // controls from script, cross-domain data, paste
    {URLACTION_HTML_SUBMIT_FORMS, URLACTION_HTML_SUBMIT_FORMS_TO},
    {URLACTION_HTML_JAVA_RUN, URLACTION_HTML_INCLUDE_FILE_PATH},  // Java, saved data, other frames, refresh, ...
    {URLACTION_SHELL_MIN, URLACTION_SHELL_MAX},                   // file downloads, shell verbs, launching programs
    {URLACTION_JAVA_MIN, URLACTION_JAVA_MAX},
    {URLACTION_BEHAVIOR_MIN, URLACTION_DOTNET_USERCONTROLS},  // behaviours, .NET controls
    {URLACTION_ALLOW_RESTRICTEDPROTOCOLS, URLACTION_ALLOW_RESTRICTEDPROTOCOLS},
    {URLACTION_WINDOWS_BROWSER_APPLICATIONS, URLACTION_LOOSE_XAML},
    {URLACTION_WINFX_SETUP, URLACTION_WINFX_SETUP},
    {URLACTION_ALLOW_AUDIO_VIDEO_PLUGINS, URLACTION_ALLOW_AUDIO_VIDEO_PLUGINS},
};

}  // namespace

bool lockDownBrowserEngine() {
    bool all = true;
    for (const INTERNETFEATURELIST feature :
         {FEATURE_LOCALMACHINE_LOCKDOWN, FEATURE_RESTRICT_FILEDOWNLOAD, FEATURE_RESTRICT_ACTIVEXINSTALL}) {
        if (FAILED(CoInternetSetFeatureEnabled(feature, SET_FEATURE_ON_PROCESS, TRUE))) all = false;
    }
    return all;
}

bool urlActionRefused(DWORD action) {
    for (const auto& range : kRefused) {
        if (action >= range.first && action <= range.last) return true;
    }
    return false;
}

HRESULT STDMETHODCALLTYPE DocumentSecurityManager::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IInternetSecurityManager)) {
        *object = static_cast<IInternetSecurityManager*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DocumentSecurityManager::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE DocumentSecurityManager::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE DocumentSecurityManager::ProcessUrlAction(LPCWSTR, DWORD action, BYTE* policy,
                                                                    DWORD policySize, BYTE*, DWORD, DWORD, DWORD) {
    if (!urlActionRefused(action)) return INET_E_DEFAULT_ACTION;
    // S_FALSE: a policy was found and it is not "allow".
    if (policy && policySize >= sizeof(DWORD)) {
        const DWORD disallow = URLPOLICY_DISALLOW;
        std::memcpy(policy, &disallow, sizeof disallow);
    }
    return S_FALSE;
}

}  // namespace veltrane::platform::win32
