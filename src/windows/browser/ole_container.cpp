#include "windows/browser/ole_container.h"

#include <exdisp.h>
#include <exdispid.h>

#include <new>

#include "windows/browser/browser_security.h"

namespace veltrane::platform::win32 {

namespace {

// Event arguments may come by value or as a reference to a VARIANT that holds the value.
const VARIANT* valueOf(const VARIANT* argument) {
    while (argument && V_VT(argument) == (VT_BYREF | VT_VARIANT)) argument = V_VARIANTREF(argument);
    return argument;
}

// DISPPARAMS holds the arguments last first.
const VARIANT* argument(const DISPPARAMS* params, UINT index) {
    if (!params || index >= params->cArgs) return nullptr;
    return valueOf(&params->rgvarg[params->cArgs - 1 - index]);
}

IDispatch* dispatchArgument(const DISPPARAMS* params, UINT index) {
    const VARIANT* value = argument(params, index);
    if (!value) return nullptr;
    if (V_VT(value) == VT_DISPATCH) return V_DISPATCH(value);
    if (V_VT(value) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(value)) return *V_DISPATCHREF(value);
    return nullptr;
}

std::u16string textArgument(const DISPPARAMS* params, UINT index) {
    const VARIANT* value = argument(params, index);
    if (!value) return {};
    const BSTR text = V_VT(value) == VT_BSTR                                    ? V_BSTR(value)
                      : V_VT(value) == (VT_BYREF | VT_BSTR) && V_BSTRREF(value) ? *V_BSTRREF(value)
                                                                                : nullptr;
    if (!text) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

// Sets a by-reference VARIANT_BOOL argument (an event's Cancel) to true.
void setTrue(const DISPPARAMS* params, UINT index) {
    if (!params || index >= params->cArgs) return;
    VARIANT* value = &params->rgvarg[params->cArgs - 1 - index];
    if (V_VT(value) == (VT_BYREF | VT_BOOL) && V_BOOLREF(value)) *V_BOOLREF(value) = VARIANT_TRUE;
}

long longArgument(const DISPPARAMS* params, UINT index) {
    const VARIANT* value = argument(params, index);
    if (!value) return 0;
    VARIANT converted;
    VariantInit(&converted);
    long result = 0;
    if (SUCCEEDED(VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_I4))) result = V_I4(&converted);
    VariantClear(&converted);
    return result;
}

}  // namespace

HRESULT STDMETHODCALLTYPE OleSite::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
        *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (IsEqualIID(riid, IID_IServiceProvider)) {
        *object = static_cast<IServiceProvider*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE OleSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG STDMETHODCALLTYPE OleSite::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE OleSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OleSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE OleSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                    LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (frame) {
        *frame = this;
        AddRef();
    }
    if (document) *document = nullptr;
    RECT client{};
    GetClientRect(window_, &client);
    if (position) *position = client;
    if (clip) *clip = client;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(window_, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleSite::QueryService(REFGUID service, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualGUID(service, SID_SInternetSecurityManager)) return E_NOINTERFACE;
    auto* manager = new (std::nothrow) DocumentSecurityManager();
    if (!manager) return E_OUTOFMEMORY;
    const HRESULT result = manager->QueryInterface(riid, object);
    manager->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE OleSite::OnPosRectChange(LPCRECT position) {
    if (inPlace_ && position) inPlace_->SetObjectRects(position, position);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserEventSink::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, DIID_DWebBrowserEvents2)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE BrowserEventSink::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG STDMETHODCALLTYPE BrowserEventSink::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE BrowserEventSink::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserEventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                                   VARIANT* result, EXCEPINFO*, UINT*) {
    if (result) VariantInit(result);
    switch (member) {
        case DISPID_NEWWINDOW2:  // (new window, cancel)
        case DISPID_NEWWINDOW3:  // (new window, cancel, flags, URL context, URL)
            setTrue(params, 1);
            return S_OK;
        default:
            break;
    }
    if (!handler_) {
        // A host that is going away loads nothing more.
        if (member == DISPID_BEFORENAVIGATE2) setTrue(params, 6);
        return S_OK;
    }
    // Nothing may unwind into the control: it is C code that knows no exceptions.
    try {
        switch (member) {
            case DISPID_BEFORENAVIGATE2:  // (frame, URL, flags, target frame name, post data, headers, cancel)
                if (handler_->beforeNavigate2(dispatchArgument(params, 0), textArgument(params, 1))) setTrue(params, 6);
                break;
            case DISPID_NAVIGATECOMPLETE2:  // (frame, URL)
                handler_->navigateComplete2(dispatchArgument(params, 0), textArgument(params, 1));
                break;
            case DISPID_DOCUMENTCOMPLETE:  // (frame, URL)
                handler_->documentComplete(dispatchArgument(params, 0));
                break;
            case DISPID_NAVIGATEERROR: {  // (frame, URL, target frame name, status code, cancel)
                const bool cancel = handler_->navigateError(dispatchArgument(params, 0), textArgument(params, 1),
                                                            longArgument(params, 3));
                const VARIANT* cancelArgument = params && params->cArgs >= 5 ? &params->rgvarg[0] : nullptr;
                if (cancel && cancelArgument && V_VT(cancelArgument) == (VT_BYREF | VT_BOOL) &&
                    V_BOOLREF(cancelArgument)) {
                    *V_BOOLREF(cancelArgument) = VARIANT_TRUE;
                }
                break;
            }
            case DISPID_PROGRESSCHANGE:  // (progress, progress max)
                handler_->progressChange(longArgument(params, 0), longArgument(params, 1));
                break;
            case DISPID_PRINTTEMPLATETEARDOWN:  // (frame)
                handler_->printTemplateTeardown();
                break;
            default:
                break;
        }
    } catch (const std::bad_alloc&) {
        // A navigation that could not be checked is not made.
        if (member == DISPID_BEFORENAVIGATE2) setTrue(params, 6);
        return E_OUTOFMEMORY;
    } catch (...) {
        if (member == DISPID_BEFORENAVIGATE2) setTrue(params, 6);
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace veltrane::platform::win32
