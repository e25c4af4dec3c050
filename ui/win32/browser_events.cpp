// The events of both WebBrowser controls, routed by the sink table: sink 1 listens to
// the service view, sink 2 to the page view.
#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <exdispid.h>
#include <ole2.h>

#include <deque>
#include <string>

#include "base/settings.h"
#include "net/access_token.h"
#include "net/signin.h"
#include "ui/win32/browser_host.h"
#include "ui/win32/browser_view.h"

namespace {

#ifndef DISPID_NAVIGATEERROR
#define DISPID_NAVIGATEERROR 271
#endif
#ifndef DISPID_NEWWINDOW3
#define DISPID_NEWWINDOW3 273
#endif
constexpr DWORD SuggestWindowFlag = 0x40000;  // NWMF_SUGGESTWINDOW

// The arguments of one event, in declaration order.
class EventArgs {
public:
    explicit EventArgs(const DISPPARAMS* params) : params_(params) {}

    const VARIANT* at(UINT index) const {
        if (!params_ || index >= params_->cArgs) return nullptr;
        const VARIANT* v = &params_->rgvarg[params_->cArgs - 1 - index];
        while (v && v->vt == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
        return v;
    }
    std::u16string text(UINT index) const {
        const VARIANT* v = at(index);
        if (!v) return std::u16string();
        if (v->vt == VT_BSTR) return FromBstr(v->bstrVal);
        if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal) return FromBstr(*v->pbstrVal);
        return std::u16string();
    }
    long number(UINT index) const {
        const VARIANT* v = at(index);
        if (!v) return 0;
        switch (v->vt) {
        case VT_I4: case VT_INT: return v->lVal;
        case VT_UI4: case VT_UINT: return static_cast<long>(v->ulVal);
        case VT_I2: return v->iVal;
        case VT_BYREF | VT_I4: return v->plVal ? *v->plVal : 0;
        default: return 0;
        }
    }
    uintptr_t frame(UINT index) const {
        const VARIANT* v = at(index);
        if (v && v->vt == VT_DISPATCH) return reinterpret_cast<uintptr_t>(v->pdispVal);
        return 0;
    }
    void cancel(UINT index) const {
        const VARIANT* v = at(index);
        if (v && v->vt == (VT_BYREF | VT_BOOL) && v->pboolVal) *v->pboolVal = VARIANT_TRUE;
    }

private:
    const DISPPARAMS* params_;
};

// The receiver of both sinks.
OrvBrowser& Receiver() { return *PageBrowser; }

// The sign-in handler runs from the host window's queue, once per address and
// navigation (a failing navigation may report its error twice).
std::deque<std::u16string> loadedPages;
std::u16string lastLoadedAddress;

void QueueLoadedPage(const std::u16string& address) {
    if (HaveAccessToken() || address.empty() || address == lastLoadedAddress) return;
    lastLoadedAddress = address;
    loadedPages.push_back(address);
    if (ServiceBrowser && ServiceBrowser->host) PostMessageW(ServiceBrowser->host, HostPageLoaded, 0, 0);
}

bool IsTopFrame(uintptr_t frame) {
    OrvBrowser& receiver = Receiver();
    if (receiver.topFrame == 0) receiver.topFrame = frame;
    return frame == receiver.topFrame;
}

void ServiceBeforeNavigate(const EventArgs& args) {
    bool top = IsTopFrame(args.frame(0));
    Receiver().navigationCompleted = 0;
    if (!top) return;
    ServiceBrowser->currentAddress = CutText(args.text(1), CurrentAddressLimit);
    lastLoadedAddress.clear();
    if (CurrentTab != 0 && CurrentTab != TabCount && TabNavigationPending == 0 && BrowserTabControl())
        SendMessageW(BrowserTabControl(), TCM_SETCURSEL, 0, 0);  // the page left the tab's page
}

void NavigateComplete(const EventArgs&) { Receiver().navigationCompleted = 1; }

void ServiceDocumentComplete(const EventArgs& args) {
    if (!IsTopFrame(args.frame(0))) return;
    TabNavigationPending = 0;
    const std::u16string address = args.text(1);
    if (BrowserListener* l = Listener()) l->BrowserPageLoaded(address);
    QueueLoadedPage(address);
}

// An engine that renders nothing ends every navigation here; the view's own address
// is then the final one (after redirects, with the token in its fragment).
void ServiceNavigateError(const EventArgs& args) {
    if (!IsTopFrame(args.frame(0))) return;
    TabNavigationPending = 0;
    std::u16string address;
    BSTR location = nullptr;
    if (ServiceBrowser->browser && SUCCEEDED(ServiceBrowser->browser->get_LocationURL(&location))) {
        address = FromBstr(location);
        SysFreeString(location);
    }
    if (address.empty()) address = args.text(1);
    if (BrowserListener* l = Listener()) l->BrowserPageLoaded(address);
    QueueLoadedPage(address);
}

void ServiceTitleChange(const EventArgs& args) {
    std::u16string title = CutText(args.text(0), TitleLimit);
    ServiceBrowser->title = title;
    if (BrowserListener* l = Listener()) l->BrowserTitleChanged(title, Receiver().navigationCompleted == 1);
}

// The page names itself in its tab; a blank page leaves the tab blank.
void PageTitleChange(const EventArgs& args) {
    std::u16string title = CutText(args.text(0), TitleLimit);
    PageBrowser->title = title;
    if (title.empty()) return;  // keep the text the tab opened with
    SetPageTabText(title == u"about:blank" ? std::u16string() : title);
}

void StatusTextChange(const EventArgs& args) {
    if (BrowserListener* l = Listener()) l->BrowserStatusText(CutText(args.text(0), StatusTextLimit));
}

void NewWindow3(const EventArgs& args) {
    if (static_cast<DWORD>(args.number(2)) & SuggestWindowFlag) return;
    args.cancel(1);
    if (BrowserListener* l = Listener()) l->BrowserNewWindowRequested(CutText(args.text(4), PendingAddressLimit));
}

void ServiceWindowClosing(const EventArgs& args) { args.cancel(1); }

void PageWindowClosing(const EventArgs& args) {
    args.cancel(1);
    if (PageBrowser->host) PostMessageW(PageBrowser->host, HostClosePage, 0, 0);
}

void ProgressChange(const EventArgs& args) {
    long progress = args.number(0);
    long maximum = args.number(1);
    if (progress < 0 || maximum <= 0) return;
    if (BrowserListener* l = Listener())
        l->BrowserProgress(true, static_cast<int32_t>(progress), static_cast<int32_t>(maximum));
}

void DownloadBegin(const EventArgs&) {
    if (BrowserListener* l = Listener()) l->BrowserProgress(true, 0, 0);
}
void DownloadComplete(const EventArgs&) {
    if (BrowserListener* l = Listener()) l->BrowserProgress(false, 0, 0);
}

struct SinkRow {
    int32_t sinkId;  // 0 ends the table
    DISPID event;
    void (*handler)(const EventArgs&);
};

const SinkRow SinkTable[] = {
    {1, DISPID_BEFORENAVIGATE2, ServiceBeforeNavigate},
    {1, DISPID_NAVIGATECOMPLETE2, NavigateComplete},
    {2, DISPID_NAVIGATECOMPLETE2, NavigateComplete},
    {1, DISPID_DOCUMENTCOMPLETE, ServiceDocumentComplete},
    {1, DISPID_NAVIGATEERROR, ServiceNavigateError},
    {1, DISPID_TITLECHANGE, ServiceTitleChange},
    {2, DISPID_TITLECHANGE, PageTitleChange},
    {1, DISPID_STATUSTEXTCHANGE, StatusTextChange},
    {2, DISPID_STATUSTEXTCHANGE, StatusTextChange},
    {1, DISPID_NEWWINDOW3, NewWindow3},
    {2, DISPID_NEWWINDOW3, NewWindow3},
    {1, DISPID_WINDOWCLOSING, ServiceWindowClosing},
    {2, DISPID_WINDOWCLOSING, PageWindowClosing},
    {1, DISPID_PROGRESSCHANGE, ProgressChange},
    {2, DISPID_PROGRESSCHANGE, ProgressChange},
    {1, DISPID_DOWNLOADBEGIN, DownloadBegin},
    {2, DISPID_DOWNLOADBEGIN, DownloadBegin},
    {1, DISPID_DOWNLOADCOMPLETE, DownloadComplete},
    {2, DISPID_DOWNLOADCOMPLETE, DownloadComplete},
    {0, 0, nullptr},
};

class EventSink final : public IDispatch {
public:
    explicit EventSink(int32_t sinkId) : sinkId_(sinkId) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }   // lives as long as the process
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        if (!ServiceBrowser || !PageBrowser) return S_OK;
        EventArgs args(params);
        for (const SinkRow* row = SinkTable; row->sinkId != 0; ++row)
            if (row->sinkId == sinkId_ && row->event == event) row->handler(args);
        return S_OK;
    }

    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;

private:
    int32_t sinkId_;
};

EventSink serviceSink(1);
EventSink pageSink(2);

bool Advise(EventSink& sink, OrvBrowser& view) {
    if (sink.point) return true;  // connected by an earlier attempt
    if (!view.browser) return false;
    IConnectionPointContainer* container = nullptr;
    if (FAILED(view.browser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))))
        return false;
    HRESULT hr = container->FindConnectionPoint(DIID_DWebBrowserEvents2, &sink.point);
    container->Release();
    if (FAILED(hr) || !sink.point) return false;
    if (FAILED(sink.point->Advise(static_cast<IDispatch*>(&sink), &sink.cookie))) {
        sink.point->Release();
        sink.point = nullptr;
        return false;
    }
    return true;
}

void Unadvise(EventSink& sink) {
    if (!sink.point) return;
    sink.point->Unadvise(sink.cookie);
    sink.point->Release();
    sink.point = nullptr;
    sink.cookie = 0;
}

void ApplyPageLoaded(const PageLoadedActions& actions) {
    if (actions.beginSignIn) BeginSignIn();
    if (BrowserListener* l = Listener()) l->BrowserSignInResult(actions);
    if (!actions.navigate.address.empty()) NavigateBrowser(actions.navigate);
}

}  // namespace

bool ConnectBrowserEvents() {
    bool service = Advise(serviceSink, *ServiceBrowser);
    bool page = Advise(pageSink, *PageBrowser);
    return service && page;
}

void DisconnectBrowserEvents() {
    Unadvise(serviceSink);
    Unadvise(pageSink);
}

void ProcessLoadedPages() {
    ForgetAddressesHolding(LoggedOutToken);
    while (!loadedPages.empty()) {
        std::u16string address = std::move(loadedPages.front());
        loadedPages.pop_front();
        if (HaveAccessToken()) continue;
        PageLoadedContext context;
        context.haveControl = ServiceBrowser && ServiceBrowser->browser;
        context.openMainAtStart = AppSettings.openMainWindowAtStart != 0;
        const PageLoadedActions actions = OnServicePageLoaded(address, context);
        if (actions.tokenCaptured) ForgetAddressesHolding(AccessToken());
        ApplyPageLoaded(actions);
    }
}
