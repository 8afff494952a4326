// The container object of a host window: how the control is sited, activated, kept in
// place and let go, and what it is told when it asks its site.
#include "framework/ax_site.h"

#include <olectl.h>

namespace fw {
namespace {

// Ambient properties read by the WebBrowser control and the document inside it.
constexpr DISPID kAmbientUserMode = -709;         // DISPID_AMBIENT_USERMODE
constexpr DISPID kAmbientUiDead = -710;           // DISPID_AMBIENT_UIDEAD
constexpr DISPID kAmbientShowGrabHandles = -711;  // DISPID_AMBIENT_SHOWGRABHANDLES
constexpr DISPID kAmbientShowHatching = -712;     // DISPID_AMBIENT_SHOWHATCHING

HRESULT Bool(VARIANT* result, bool value) {
  VariantInit(result);
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

}  // namespace

STDMETHODIMP AxSite::QueryInterface(REFIID iid, void** object) {
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
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) AxSite::Release() {
  const ULONG left = --references;
  if (left == 0) delete this;
  return left;
}

void AxSite::Teardown() {
  ReleaseControl();
  handler.Reset();
}

void AxSite::ReleaseControl() {
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

void AxSite::Resize() {
  if (!inPlace || !window) return;
  RECT rect;
  GetClientRect(window, &rect);
  inPlace->SetObjectRects(&rect, &rect);
}

void AxSite::Focus() {
  if (!oleObject || !window) return;
  RECT rect;
  GetClientRect(window, &rect);
  oleObject->DoVerb(OLEIVERB_UIACTIVATE, nullptr, this, 0, window, &rect);
}

LRESULT AxSite::Forward(MSG* message) {
  if (!message) return 0;
  ComPtr<IOleInPlaceActiveObject> active = activeObject;
  if (!active) control.As(IID_IOleInPlaceActiveObject, active);
  if (!active) return 0;
  return active->TranslateAccelerator(message) == S_OK ? 1 : 0;
}

HRESULT AxSite::CreateControl(const wchar_t* clsidText, IUnknown** out) {
  if (out) *out = nullptr;
  if (!clsidText) return E_POINTER;
  CLSID clsid;
  HRESULT hr = clsidText[0] == L'{' ? CLSIDFromString(clsidText, &clsid) : CLSIDFromProgID(clsidText, &clsid);
  if (FAILED(hr)) return hr;
  ComPtr<IUnknown> created;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, created.PutVoid());
  if (FAILED(hr)) return hr;
  hr = Activate(created.Get());
  if (SUCCEEDED(hr) && out) *out = created.Detach();
  return hr;
}

// Makes `object` the hosted control: site first if it asks for that, initialise, site,
// then in-place activation in the whole client area. An object that is no OLE object is
// only kept (it can still take forwarded keys).
HRESULT AxSite::Activate(IUnknown* object) {
  ReleaseControl();
  control = object;
  if (FAILED(control.As(IID_IOleObject, oleObject))) return S_OK;
  DWORD misc = 0;
  oleObject->GetMiscStatus(DVASPECT_CONTENT, &misc);
  const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
  if (siteFirst) oleObject->SetClientSite(this);
  ComPtr<IPersistStreamInit> persist;
  if (SUCCEEDED(control.As(IID_IPersistStreamInit, persist))) {
    const HRESULT hr = persist->InitNew();
    if (FAILED(hr)) return hr;
  }
  if (!siteFirst) oleObject->SetClientSite(this);
  RECT rect;
  GetClientRect(window, &rect);
  const HRESULT hr = oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window, &rect);
  control.As(IID_IOleInPlaceObject, inPlace);
  return hr;
}

STDMETHODIMP AxSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

// No container: the control is alone in its window.
STDMETHODIMP AxSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP AxSite::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = window;
  return window ? S_OK : E_FAIL;
}

STDMETHODIMP AxSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                      LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
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

STDMETHODIMP AxSite::OnPosRectChange(LPCRECT rect) {
  if (inPlace && rect) inPlace->SetObjectRects(rect, rect);
  return S_OK;
}

STDMETHODIMP AxSite::SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) {
  activeObject = active;
  return S_OK;
}

HRESULT AxSite::BorderSpace(LPCBORDERWIDTHS widths) {
  const bool none = !widths || (widths->left == 0 && widths->top == 0 && widths->right == 0 && widths->bottom == 0);
  return none ? S_OK : INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP AxSite::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP AxSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

// Only the ambient properties the control asks for and whose defaults would be wrong for a
// running page.
STDMETHODIMP AxSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
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

// ---- The document host: each question to the owner's handler, else the defaults ----

STDMETHODIMP AxSite::DocHost::ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* objectHit) {
  return Owner() ? Owner()->ShowContextMenu(id, point, commandTarget, objectHit)
                 : DocHostDefaults::ShowContextMenu(id, point, commandTarget, objectHit);
}
STDMETHODIMP AxSite::DocHost::GetHostInfo(DOCHOSTUIINFO* info) {
  return Owner() ? Owner()->GetHostInfo(info) : DocHostDefaults::GetHostInfo(info);
}
STDMETHODIMP AxSite::DocHost::ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* commandTarget,
                                     IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) {
  return Owner() ? Owner()->ShowUI(id, active, commandTarget, frame, document)
                 : DocHostDefaults::ShowUI(id, active, commandTarget, frame, document);
}
STDMETHODIMP AxSite::DocHost::HideUI() { return Owner() ? Owner()->HideUI() : DocHostDefaults::HideUI(); }
STDMETHODIMP AxSite::DocHost::UpdateUI() { return Owner() ? Owner()->UpdateUI() : DocHostDefaults::UpdateUI(); }
STDMETHODIMP AxSite::DocHost::EnableModeless(BOOL enable) {
  return Owner() ? Owner()->EnableModeless(enable) : DocHostDefaults::EnableModeless(enable);
}
STDMETHODIMP AxSite::DocHost::OnDocWindowActivate(BOOL activate) {
  return Owner() ? Owner()->OnDocWindowActivate(activate) : DocHostDefaults::OnDocWindowActivate(activate);
}
STDMETHODIMP AxSite::DocHost::OnFrameWindowActivate(BOOL activate) {
  return Owner() ? Owner()->OnFrameWindowActivate(activate) : DocHostDefaults::OnFrameWindowActivate(activate);
}
STDMETHODIMP AxSite::DocHost::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* uiWindow, BOOL frameWindow) {
  return Owner() ? Owner()->ResizeBorder(border, uiWindow, frameWindow)
                 : DocHostDefaults::ResizeBorder(border, uiWindow, frameWindow);
}
STDMETHODIMP AxSite::DocHost::TranslateAccelerator(LPMSG message, const GUID* group, DWORD commandId) {
  return Owner() ? Owner()->TranslateAccelerator(message, group, commandId)
                 : DocHostDefaults::TranslateAccelerator(message, group, commandId);
}
STDMETHODIMP AxSite::DocHost::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
  return Owner() ? Owner()->GetOptionKeyPath(key, reserved) : DocHostDefaults::GetOptionKeyPath(key, reserved);
}
STDMETHODIMP AxSite::DocHost::GetDropTarget(IDropTarget* pageTarget, IDropTarget** replacement) {
  return Owner() ? Owner()->GetDropTarget(pageTarget, replacement)
                 : DocHostDefaults::GetDropTarget(pageTarget, replacement);
}
STDMETHODIMP AxSite::DocHost::GetExternal(IDispatch** dispatch) {
  return Owner() ? Owner()->GetExternal(dispatch) : DocHostDefaults::GetExternal(dispatch);
}
STDMETHODIMP AxSite::DocHost::TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) {
  return Owner() ? Owner()->TranslateUrl(translate, urlIn, urlOut)
                 : DocHostDefaults::TranslateUrl(translate, urlIn, urlOut);
}
STDMETHODIMP AxSite::DocHost::FilterDataObject(IDataObject* data, IDataObject** replacement) {
  return Owner() ? Owner()->FilterDataObject(data, replacement) : DocHostDefaults::FilterDataObject(data, replacement);
}

}  // namespace fw
