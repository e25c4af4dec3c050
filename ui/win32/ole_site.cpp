// Our own small OLE container for the WebBrowser control: the client site, the
// in-place site and frame, and a plain host window. It stands where an ActiveX host
// window of a template library would.
#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include "ui/win32/browser_host.h"
#include "ui/win32/browser_view.h"

const wchar_t* const HostWindowClass = L"OrvBrowserHost";

class ViewSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit ViewSite(HWND host) : host_(host) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IOleInPlaceFrame || riid == IID_IOleInPlaceUIWindow)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = host_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        GetClientRect(host_, position);
        GetClientRect(host_, clip);
        info->cb = sizeof(OLEINPLACEFRAMEINFO);
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(host_, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    ~ViewSite() = default;
    LONG refs_ = 1;
    HWND host_;
};

namespace {

OrvBrowser* ViewOfHost(HWND host) {
    if (ServiceBrowser && ServiceBrowser->host == host) return ServiceBrowser;
    if (PageBrowser && PageBrowser->host == host) return PageBrowser;
    return nullptr;
}

// Keeps the control filling its host window.
void FitControl(OrvBrowser& view) {
    if (!view.object) return;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(view.object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) &&
        inPlace) {
        RECT area;
        GetClientRect(view.host, &area);
        inPlace->SetObjectRects(&area, &area);
        inPlace->Release();
    }
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (OrvBrowser* view = ViewOfHost(window)) FitControl(*view);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the control paints all of it
    case HostPageLoaded:
        ProcessLoadedPages();
        return 0;
    case HostClosePage:
        if (BrowserListener* l = Listener()) l->BrowserCloseRequested();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterHostWindowClass(HINSTANCE instance) {
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = HostWindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.lpszClassName = HostWindowClass;
    return RegisterClassExW(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CreateBrowserView(OrvBrowser& view, HWND parent, int32_t controlId, const RECT& place) {
    view.controlId = controlId;
    view.host = CreateWindowExW(0, HostWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP,
                                place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!view.host) return false;
    view.site = new ViewSite(view.host);

    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&view.object))) ||
        !view.object)
        return false;
    view.object->SetClientSite(static_cast<IOleClientSite*>(view.site));
    OleSetContainedObject(view.object, TRUE);
    RECT area;
    GetClientRect(view.host, &area);
    if (FAILED(view.object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(view.site), 0,
                                   view.host, &area)))
        return false;
    if (FAILED(view.object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&view.browser))))
        view.browser = nullptr;
    return view.browser != nullptr;
}

void PlaceBrowserView(OrvBrowser& view, const RECT& place) {
    if (!view.host) return;
    SetWindowPos(view.host, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void DestroyBrowserView(OrvBrowser& view) {
    if (view.activeObject) view.activeObject->Release();
    if (view.browser) {
        view.browser->Stop();
        view.browser->Release();
    }
    if (view.object) {
        view.object->Close(OLECLOSE_NOSAVE);
        view.object->SetClientSite(nullptr);
        view.object->Release();
    }
    if (view.site) view.site->Release();
    if (view.host && IsWindow(view.host)) DestroyWindow(view.host);
    view.activeObject = nullptr;
    view.browser = nullptr;
    view.object = nullptr;
    view.site = nullptr;
    view.host = nullptr;
}
