#pragma once
// What the print view's engine may do beyond showing and printing a document page: the process-wide lockdown of
// pages from this computer, and a security manager that refuses what a document page does not need.

#include <urlmon.h>
#include <windows.h>

namespace veltrane::platform::win32 {

// Turns on, for this process, the engine's local-machine lockdown and its restrictions on file downloads and
// control installs. Returns whether the engine took all of them.
bool lockDownBrowserEngine();

// Whether the print view refuses a URL action outright (controls, downloads, Java, form submission, the shell,
// cross-domain data); the engine decides every other action by its own zone settings.
bool urlActionRefused(DWORD action);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The engine asks its site for this through IServiceProvider: ProcessUrlAction answers URLPOLICY_DISALLOW for a
// refused action and leaves everything else to the engine's own manager (INET_E_DEFAULT_ACTION).
class DocumentSecurityManager final : public IInternetSecurityManager {
public:
    DocumentSecurityManager() = default;
    virtual ~DocumentSecurityManager() = default;
    DocumentSecurityManager(const DocumentSecurityManager&) = delete;
    DocumentSecurityManager& operator=(const DocumentSecurityManager&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE SetSecuritySite(IInternetSecurityMgrSite*) override { return INET_E_DEFAULT_ACTION; }
    HRESULT STDMETHODCALLTYPE GetSecuritySite(IInternetSecurityMgrSite**) override { return INET_E_DEFAULT_ACTION; }
    HRESULT STDMETHODCALLTYPE MapUrlToZone(LPCWSTR, DWORD*, DWORD) override { return INET_E_DEFAULT_ACTION; }
    HRESULT STDMETHODCALLTYPE GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) override {
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT STDMETHODCALLTYPE ProcessUrlAction(LPCWSTR url, DWORD action, BYTE* policy, DWORD policySize, BYTE* context,
                                               DWORD contextSize, DWORD flags, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE QueryCustomPolicy(LPCWSTR, REFGUID, BYTE**, DWORD*, BYTE*, DWORD, DWORD) override {
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT STDMETHODCALLTYPE SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return INET_E_DEFAULT_ACTION; }
    HRESULT STDMETHODCALLTYPE GetZoneMappings(DWORD, IEnumString**, DWORD) override { return INET_E_DEFAULT_ACTION; }

private:
    LONG references_ = 1;
};

#pragma GCC diagnostic pop

}  // namespace veltrane::platform::win32
