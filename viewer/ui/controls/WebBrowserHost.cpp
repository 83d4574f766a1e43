#include "ui/controls/WebBrowserHost.h"

#include <ole2.h>
#include <exdisp.h>
// The HTML engine's class id, defined here: the uuid library does not carry it.
#include <initguid.h>
#include <mshtml.h>

#include "win/SystemError.h"

namespace kestro::ui {

namespace {

template <typename T>
struct ComRelease {
  void operator()(T* object) const noexcept { object->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease<T>>;

struct BstrFree {
  void operator()(BSTR text) const noexcept { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

// The control needs OLE on this thread; the count is the thread's, so each
// host takes one use and gives it back.
class OleUse {
 public:
  OleUse() : started_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleUse() {
    if (started_) OleUninitialize();
  }
  OleUse(const OleUse&) = delete;
  OleUse& operator=(const OleUse&) = delete;
  bool started() const { return started_; }

 private:
  bool started_;
};

// What the control asks of its container. It lives as long as its host, which
// closes and releases the control before it goes, so references are not counted.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  Site(HWND window, const RECT& area) : window_(window), area_(area) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
      *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
      *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
      *object = static_cast<IOleInPlaceFrame*>(this);
    else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, of the in-place site and of the frame alike
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, RECT* position,
                                             RECT* clip, OLEINPLACEFRAMEINFO* info) override {
    *frame = this;
    *document = nullptr;  // the frame is the document window too
    *position = area_;
    *clip = area_;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  // The window has a fixed size: the control keeps the area it was given.
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow: no tool space, menus or status line to share.
  HRESULT STDMETHODCALLTYPE GetBorder(RECT*) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return OLE_E_INVALIDRECT; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
    return S_OK;
  }

  // IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }

 private:
  HWND window_;
  RECT area_;
};

// The control exists without its HTML engine (Wine without one), and would
// then fetch pages that it cannot show.
bool HtmlEngineAvailable() {
  IUnknown* document = nullptr;
  if (FAILED(CoCreateInstance(CLSID_HTMLDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&document))))
    return false;
  document->Release();
  return true;
}

}  // namespace

struct WebBrowserHost::Impl {
  Impl(HWND window, const RECT& area) : site(window, area) {}

  ~Impl() {
    browser.reset();
    if (!object) return;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(
            object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
      inPlace->InPlaceDeactivate();
      inPlace->Release();
    }
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    object.reset();
  }

  bool Start(HWND window, RECT area) {
    if (!ole.started() || !HtmlEngineAvailable()) return false;
    IOleObject* created = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&created))))
      return false;
    object.reset(created);
    if (FAILED(object->SetClientSite(&site))) return false;
    if (FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, window, &area)))
      return false;
    IWebBrowser2* web = nullptr;
    if (FAILED(object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&web))))
      return false;
    browser.reset(web);
    return true;
  }

  OleUse ole;  // first in, last out
  Site site;
  ComPtr<IOleObject> object;
  ComPtr<IWebBrowser2> browser;
};

std::unique_ptr<WebBrowserHost> WebBrowserHost::Create(HWND parent, const RECT& area) {
  auto impl = std::make_unique<Impl>(parent, area);
  if (!impl->Start(parent, area)) return nullptr;
  return std::unique_ptr<WebBrowserHost>(new WebBrowserHost(std::move(impl)));
}

WebBrowserHost::WebBrowserHost(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WebBrowserHost::~WebBrowserHost() = default;

void WebBrowserHost::Navigate(const std::wstring& address) {
  UniqueBstr url(SysAllocString(address.c_str()));
  if (!url) throw SystemError(ERROR_NOT_ENOUGH_MEMORY);
  VARIANT none;
  VariantInit(&none);
  if (HRESULT result = impl_->browser->Navigate(url.get(), &none, &none, &none, &none);
      FAILED(result))
    throw SystemError(static_cast<DWORD>(result));
}

}  // namespace kestro::ui
