// The host window and its container object. The container is one COM object per host
// window: the control's client site, in-place site and frame, its ambient properties, and
// (through a small inner object) its document host, which asks the owner's
// IDocHostUIHandlerDispatch and fills in what the owner leaves open.
#include "framework/ax_host.h"

#include <mshtmhst.h>
#include <olectl.h>

#include "framework/com_ptr.h"

namespace fw {
namespace {

// Ambient properties read by the WebBrowser control and the document inside it.
constexpr DISPID kAmbientUserMode = -709;         // DISPID_AMBIENT_USERMODE
constexpr DISPID kAmbientUiDead = -710;           // DISPID_AMBIENT_UIDEAD
constexpr DISPID kAmbientShowGrabHandles = -711;  // DISPID_AMBIENT_SHOWGRABHANDLES
constexpr DISPID kAmbientShowHatching = -712;     // DISPID_AMBIENT_SHOWHATCHING

// A copy of a BSTR in task memory, as IDocHostUIHandler hands strings back.
LPOLESTR TaskCopy(BSTR text) {
  if (!text) return nullptr;
  const UINT length = SysStringLen(text);
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(OLECHAR)));
  if (!copy) return nullptr;
  CopyMemory(copy, text, length * sizeof(OLECHAR));
  copy[length] = 0;
  return copy;
}

VARIANT_BOOL ToVariantBool(BOOL value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

class AxHost final : public IOleClientSite,
                     public IOleInPlaceSite,
                     public IOleInPlaceFrame,
                     public IDispatch,
                     public IAxWinHostWindow {
 public:
  explicit AxHost(HWND window) : window(window) {}

  static AxHost* From(HWND window) {
    return reinterpret_cast<AxHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }

  IUnknown* Identity() { return static_cast<IOleClientSite*>(this); }
  IUnknown* Control() const { return control.Get(); }

  // The window is going away: the control lets go of its sites before the window does.
  void Teardown() {
    ReleaseControl();
    handler.Reset();
    external.Reset();
  }
  void ReleaseControl() {
    if (inPlace) inPlace->InPlaceDeactivate();
    inPlace.Reset();
    activeObject.Reset();
    if (oleObject) {
      oleObject->Close(OLECLOSE_NOSAVE);
      oleObject->SetClientSite(nullptr);
    }
    oleObject.Reset();
    control.Reset();
  }
  void Detach() { window = nullptr; }

  void Resize() {
    if (!inPlace || !window) return;
    RECT rect;
    GetClientRect(window, &rect);
    inPlace->SetObjectRects(&rect, &rect);
  }

  void Focus() {
    if (!oleObject || !window) return;
    RECT rect;
    GetClientRect(window, &rect);
    oleObject->DoVerb(OLEIVERB_UIACTIVATE, nullptr, this, 0, window, &rect);
  }

  LRESULT Forward(MSG* message) {
    if (!message) return 0;
    ComPtr<IOleInPlaceActiveObject> active = activeObject;
    if (!active) control.As(IID_IOleInPlaceActiveObject, active);
    if (!active) return 0;
    return active->TranslateAccelerator(message) == S_OK ? 1 : 0;
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
    } else if (iid == IID_IDocHostUIHandler) {
      *object = static_cast<IDocHostUIHandler*>(&docHost);
    } else if (iid == IID_IAxWinHostWindow) {
      *object = static_cast<IAxWinHostWindow*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  // No container: the control is alone in its window.
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (site and frame alike)
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window;
    return window ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return window ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = this;
    AddRef();
    *document = nullptr;  // the frame is the document window too
    GetClientRect(window, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = window;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT rect) override {
    if (inPlace && rect) inPlace->SetObjectRects(rect, rect);
    return S_OK;
  }

  // IOleInPlaceUIWindow, IOleInPlaceFrame: no menus, no tool space, no accelerators. Asking
  // for no space at all (no widths, or zeros: the object removes its tools) always succeeds.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override { return BorderSpace(widths); }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override { return BorderSpace(widths); }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override {
    activeObject = active;
    return S_OK;
  }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch: the ambient properties. Only those the control asks for and whose
  // defaults would be wrong for a running page.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    switch (id) {
      case kAmbientUserMode:
        return Bool(result, true);
      case kAmbientUiDead:
      case kAmbientShowGrabHandles:
      case kAmbientShowHatching:
        return Bool(result, false);
      default:
        return DISP_E_MEMBERNOTFOUND;  // the control's own default
    }
  }

  // IAxWinHostWindow
  STDMETHODIMP CreateControl(LPCOLESTR clsidText, HWND target, IStream* init) override {
    return CreateControlEx(clsidText, target, init, nullptr, IID_NULL, nullptr);
  }
  STDMETHODIMP CreateControlEx(LPCOLESTR clsidText, HWND target, IStream* init, IUnknown** out, REFIID sinkIid,
                               IUnknown* sink) override {
    if (out) *out = nullptr;
    if (!clsidText) return E_POINTER;
    if (target && target != window) return E_INVALIDARG;
    if (sinkIid != IID_NULL && sink) return E_NOTIMPL;  // no event connections: the owner subscribes itself
    CLSID clsid;
    HRESULT hr = clsidText[0] == L'{' ? CLSIDFromString(clsidText, &clsid) : CLSIDFromProgID(clsidText, &clsid);
    if (FAILED(hr)) return hr;
    ComPtr<IUnknown> created;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, created.PutVoid());
    if (FAILED(hr)) return hr;
    hr = Activate(created.Get(), init);
    if (SUCCEEDED(hr) && out) *out = created.Detach();
    return hr;
  }
  STDMETHODIMP AttachControl(IUnknown* existing, HWND target) override {
    if (!existing) return E_POINTER;
    if (target && target != window) return E_INVALIDARG;
    return Activate(existing, nullptr);
  }
  STDMETHODIMP QueryControl(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    return control ? control->QueryInterface(iid, object) : E_NOINTERFACE;
  }
  STDMETHODIMP SetExternalDispatch(IDispatch* dispatch) override {
    external = dispatch;
    return S_OK;
  }
  STDMETHODIMP SetExternalUIHandler(IDocHostUIHandlerDispatch* owner) override {
    handler = owner;
    return S_OK;
  }

 private:
  // The document host. Its own object because IDocHostUIHandler and IOleInPlaceFrame
  // both have an EnableModeless(BOOL) that mean different things.
  class DocHost final : public IDocHostUIHandler {
   public:
    explicit DocHost(AxHost& outer) : outer(outer) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override { return outer.QueryInterface(iid, object); }
    STDMETHODIMP_(ULONG) AddRef() override { return outer.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer.Release(); }

    // S_FALSE: the page's own menu.
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* objectHit) override {
      HRESULT answer = S_FALSE;
      if (IDocHostUIHandlerDispatch* owner = outer.handler.Get()) {
        const HRESULT hr = owner->ShowContextMenu(id, point ? point->x : 0, point ? point->y : 0, commandTarget,
                                                  objectHit, &answer);
        if (FAILED(hr)) answer = S_FALSE;
      }
      return answer;
    }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
      if (!info) return E_POINTER;
      DWORD flags = 0;
      DWORD doubleClick = DOCHOSTUIDBLCLK_DEFAULT;
      if (IDocHostUIHandlerDispatch* owner = outer.handler.Get()) {
        if (FAILED(owner->GetHostInfo(&flags, &doubleClick))) {
          flags = 0;
          doubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        }
      }
      info->dwFlags = flags;
      info->dwDoubleClick = doubleClick;
      return S_OK;
    }
    // S_FALSE: the document shows its own interface.
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* commandTarget,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override {
      HRESULT answer = S_FALSE;
      if (IDocHostUIHandlerDispatch* owner = outer.handler.Get()) {
        if (FAILED(owner->ShowUI(id, active, commandTarget, frame, document, &answer))) answer = S_FALSE;
      }
      return answer;
    }
    // Notifications: the owner hears of them, the control always gets S_OK.
    STDMETHODIMP HideUI() override {
      if (outer.handler) outer.handler->HideUI();
      return S_OK;
    }
    STDMETHODIMP UpdateUI() override {
      if (outer.handler) outer.handler->UpdateUI();
      return S_OK;
    }
    STDMETHODIMP EnableModeless(BOOL enable) override {
      if (outer.handler) outer.handler->EnableModeless(ToVariantBool(enable));
      return S_OK;
    }
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override {
      if (outer.handler) outer.handler->OnDocWindowActivate(ToVariantBool(activate));
      return S_OK;
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override {
      if (outer.handler) outer.handler->OnFrameWindowActivate(ToVariantBool(activate));
      return S_OK;
    }
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* uiWindow, BOOL frameWindow) override {
      if (outer.handler && border) {
        outer.handler->ResizeBorder(border->left, border->top, border->right, border->bottom, uiWindow,
                                    ToVariantBool(frameWindow));
      }
      return S_OK;
    }
    // S_FALSE: not consumed, the control handles the key itself.
    STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD commandId) override {
      HRESULT answer = S_FALSE;
      IDocHostUIHandlerDispatch* owner = outer.handler.Get();
      if (!owner || !message) return answer;
      BSTR groupText = nullptr;
      if (group) {
        OLECHAR text[40];
        if (StringFromGUID2(*group, text, 40) > 0) groupText = SysAllocString(text);
      }
      const HRESULT hr = owner->TranslateAccelerator(reinterpret_cast<DWORD_PTR>(message->hwnd), message->message,
                                                     message->wParam, message->lParam, groupText, commandId, &answer);
      SysFreeString(groupText);
      return FAILED(hr) ? S_FALSE : answer;
    }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override {
      if (!key) return E_POINTER;
      *key = nullptr;
      if (!outer.handler) return E_NOTIMPL;
      BSTR text = nullptr;
      const HRESULT hr = outer.handler->GetOptionKeyPath(&text, reserved);
      if (SUCCEEDED(hr) && text) *key = TaskCopy(text);
      SysFreeString(text);
      return *key ? S_OK : E_NOTIMPL;
    }
    // The owner may fill in a replacement even when it answers failure (the main window
    // does exactly that); a replacement that is a drop target wins.
    STDMETHODIMP GetDropTarget(IDropTarget* pageTarget, IDropTarget** replacement) override {
      if (!replacement) return E_POINTER;
      *replacement = nullptr;
      if (!outer.handler) return E_NOTIMPL;
      IUnknown* given = nullptr;
      outer.handler->GetDropTarget(pageTarget, &given);
      if (!given) return E_NOTIMPL;
      const HRESULT hr = given->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(replacement));
      given->Release();
      return SUCCEEDED(hr) ? S_OK : E_NOTIMPL;
    }
    // window.external: the owner's answer, else the dispatch set with SetExternalDispatch.
    STDMETHODIMP GetExternal(IDispatch** dispatch) override {
      if (!dispatch) return E_POINTER;
      *dispatch = nullptr;
      if (outer.handler && SUCCEEDED(outer.handler->GetExternal(dispatch)) && *dispatch) return S_OK;
      *dispatch = nullptr;
      if (!outer.external) return E_NOTIMPL;
      *dispatch = outer.external.Get();
      (*dispatch)->AddRef();
      return S_OK;
    }
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) override {
      if (!urlOut) return E_POINTER;
      *urlOut = nullptr;
      if (!outer.handler) return S_FALSE;
      BSTR in = SysAllocString(urlIn);
      BSTR out = nullptr;
      const HRESULT hr = outer.handler->TranslateUrl(translate, in, &out);
      SysFreeString(in);
      if (hr == S_OK && out) *urlOut = TaskCopy(out);
      SysFreeString(out);
      return *urlOut ? S_OK : S_FALSE;
    }
    STDMETHODIMP FilterDataObject(IDataObject* data, IDataObject** replacement) override {
      if (!replacement) return E_POINTER;
      *replacement = nullptr;
      if (!outer.handler) return S_FALSE;
      IUnknown* given = nullptr;
      outer.handler->FilterDataObject(data, &given);
      if (!given) return S_FALSE;
      given->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(replacement));
      given->Release();
      return *replacement ? S_OK : S_FALSE;
    }

   private:
    AxHost& outer;
  };

  static HRESULT BorderSpace(LPCBORDERWIDTHS widths) {
    const bool none = !widths || (widths->left == 0 && widths->top == 0 && widths->right == 0 && widths->bottom == 0);
    return none ? S_OK : INPLACE_E_NOTOOLSPACE;
  }

  static HRESULT Bool(VARIANT* result, bool value) {
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

  // Makes `object` the hosted control: site first if it asks for that, initialise,
  // site, then in-place activation in the whole client area. An object that is no OLE
  // object is only kept (it can still take forwarded keys).
  HRESULT Activate(IUnknown* object, IStream* init) {
    ReleaseControl();
    control = object;
    if (FAILED(control.As(IID_IOleObject, oleObject))) return S_OK;
    DWORD misc = 0;
    oleObject->GetMiscStatus(DVASPECT_CONTENT, &misc);
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) oleObject->SetClientSite(this);
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(control.As(IID_IPersistStreamInit, persist))) {
      const HRESULT hr = init ? persist->Load(init) : persist->InitNew();
      if (FAILED(hr)) return hr;
    }
    if (!siteFirst) oleObject->SetClientSite(this);
    RECT rect;
    GetClientRect(window, &rect);
    const HRESULT hr = oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window, &rect);
    control.As(IID_IOleInPlaceObject, inPlace);
    return hr;
  }

  ULONG references = 1;
  HWND window;
  DocHost docHost{*this};
  ComPtr<IUnknown> control;
  ComPtr<IOleObject> oleObject;
  ComPtr<IOleInPlaceObject> inPlace;
  ComPtr<IOleInPlaceActiveObject> activeObject;
  ComPtr<IDocHostUIHandlerDispatch> handler;
  ComPtr<IDispatch> external;
};

// Not a WindowThunk: a host window may be made by class name alone (a dialog template that
// names the control in its text), with no object to pass, so the window makes its own
// reference-counted host at WM_CREATE and releases it at WM_NCDESTROY.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  AxHost* host = AxHost::From(window);
  switch (message) {
    case WM_CREATE: {
      host = new AxHost(window);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
      // A window made with a control's CLSID or ProgID as its text (as from a dialog
      // template) gets that control at once.
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (create->lpszName && create->lpszName[0]) host->CreateControl(create->lpszName, window, nullptr);
      return 0;
    }
    case WM_SIZE:
      if (host) host->Resize();
      break;
    case WM_SETFOCUS:
      if (host) host->Focus();
      return 0;
    case WM_ERASEBKGND:
      if (host && host->Control()) return 1;  // the control paints all of it
      break;
    case WM_FORWARDMSG:
      return host ? host->Forward(reinterpret_cast<MSG*>(lParam)) : 0;
    case WM_DESTROY:
      if (host) host->Teardown();
      break;
    case WM_NCDESTROY:
      if (host) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        host->Detach();
        host->Release();
      }
      break;
    default:
      if (host && message == AxGetHostMessage()) return reinterpret_cast<LRESULT>(host->Identity());
      if (host && message == AxGetControlMessage()) return reinterpret_cast<LRESULT>(host->Control());
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterHostClass(HINSTANCE module, const wchar_t* name) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(module, name, &existing)) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

UINT AxGetHostMessage() {
  static const UINT message = RegisterWindowMessageW(L"WM_ATLGETHOST");
  return message;
}

UINT AxGetControlMessage() {
  static const UINT message = RegisterWindowMessageW(L"WM_ATLGETCONTROL");
  return message;
}

bool AxWinInit() {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  // The licensed class takes the same path: we create no licensed controls.
  const bool classes = RegisterHostClass(module, kAxWinClass) && RegisterHostClass(module, kAxWinLicClass);
  return classes && AxGetHostMessage() != 0 && AxGetControlMessage() != 0;
}

HWND AxWindow::Create(HWND parent, const RECT& rect, DWORD style, DWORD exStyle, UINT id) {
  if (window) return nullptr;
  AxWinInit();
  window = CreateWindowExW(exStyle, kAxWinClass, L"", style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  return window;
}

void AxWindow::Destroy() {
  if (window) DestroyWindow(window);
  window = nullptr;
}

HRESULT AxWindow::CreateControlEx(const wchar_t* clsidText, IUnknown** control) {
  if (control) *control = nullptr;
  ComPtr<IAxWinHostWindow> host;
  const HRESULT hr = QueryHost(host.Put());
  if (FAILED(hr)) return hr;
  return host->CreateControlEx(clsidText, window, nullptr, control, IID_NULL, nullptr);
}

HRESULT AxWindow::QueryHost(IAxWinHostWindow** host) const {
  if (!host) return E_POINTER;
  *host = nullptr;
  if (!window) return E_HANDLE;
  auto* unknown = reinterpret_cast<IUnknown*>(SendMessageW(window, AxGetHostMessage(), 0, 0));
  if (!unknown) return E_NOINTERFACE;
  return unknown->QueryInterface(IID_IAxWinHostWindow, reinterpret_cast<void**>(host));
}

}  // namespace fw
