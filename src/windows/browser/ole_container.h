#pragma once
// The smallest OLE container the WebBrowser control accepts for in-place activation in a child window, and the
// sink of its DWebBrowserEvents2. Both are COM objects with their own reference counts: the control may hold
// them a moment longer than the host.

#include <ole2.h>
#include <servprov.h>

#include <string>

namespace veltrane::platform::win32 {

// COM interfaces have no virtual destructor by design: these objects delete themselves in Release, never through
// an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// One site: client site, in-place site and in-place frame, with the parent window as the frame. The control
// gets no menus, tool space or accelerators from it; the one service it gets is the security manager that refuses
// what a document page does not need.
class OleSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame, public IServiceProvider {
public:
    explicit OleSite(HWND window) : window_(window) {}
    virtual ~OleSite() = default;
    OleSite(const OleSite&) = delete;
    OleSite& operator=(const OleSite&) = delete;

    // The in-place object, for the control's own requests to be moved; not owned.
    void setInPlaceObject(IOleInPlaceObject* object) { inPlace_ = object; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (both bases)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;

    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** object) override;

private:
    LONG references_ = 1;
    HWND window_;
    IOleInPlaceObject* inPlace_ = nullptr;
};

// What the host does with the control's events. Called from inside the control: implementations only record
// and post, they never call into the program.
class ControlEventHandler {
public:
    virtual ~ControlEventHandler() = default;
    // true: cancel the navigation (a page that is not the practice server's).
    virtual bool beforeNavigate2(IDispatch* frame, const std::u16string& url) = 0;
    virtual void navigateComplete2(IDispatch* frame, const std::u16string& url) = 0;
    virtual void documentComplete(IDispatch* frame) = 0;
    // true: cancel the engine's own error page.
    virtual bool navigateError(IDispatch* frame, const std::u16string& url, long statusCode) = 0;
    virtual void progressChange(long progress, long progressMax) = 0;
    // The engine has laid out a print and destroyed its print template.
    virtual void printTemplateTeardown() = 0;
};

// The DWebBrowserEvents2 sink: an IDispatch that turns the events the host needs into calls of the handler. It
// cancels every new window itself: the print view is the only window a page gets.
class BrowserEventSink final : public IDispatch {
public:
    explicit BrowserEventSink(ControlEventHandler* handler) : handler_(handler) {}
    virtual ~BrowserEventSink() = default;
    BrowserEventSink(const BrowserEventSink&) = delete;
    BrowserEventSink& operator=(const BrowserEventSink&) = delete;

    // The host is going away; events that still come are dropped.
    void detach() { handler_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                     UINT*) override;

private:
    LONG references_ = 1;
    ControlEventHandler* handler_;
};

#pragma GCC diagnostic pop

}  // namespace veltrane::platform::win32
