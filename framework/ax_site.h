// The host window's container object, one per host window: the control's client site,
// in-place site and frame, its ambient properties, and (a small inner object) its document
// host, which passes each question to the owner's handler. Inside the framework only.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <mshtmhst.h>

#include "framework/com_ptr.h"
#include "framework/doc_host.h"

namespace fw {

class AxSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame, public IDispatch {
 public:
  explicit AxSite(HWND window) : window(window) {}

  static AxSite* From(HWND window) { return reinterpret_cast<AxSite*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

  IUnknown* Identity() { return static_cast<IOleClientSite*>(this); }
  bool HasControl() const { return static_cast<bool>(control); }
  [[nodiscard]] HRESULT CreateControl(const wchar_t* clsidText, IUnknown** out);
  void SetHandler(IDocHostUIHandler* owner) { handler = owner; }

  // The window is going away: the control lets go of its sites before the window does.
  void Teardown();
  void Detach() { window = nullptr; }
  void Resize();
  void Focus();
  LRESULT Forward(MSG* message);

  // IUnknown: one table for the site, its frame, its ambient properties and its document host.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override;

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (site and frame alike)
  STDMETHODIMP GetWindow(HWND* out) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return window ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT rect) override;

  // IOleInPlaceUIWindow, IOleInPlaceFrame: no menus, no tool space, no accelerators. Asking
  // for no space at all (no widths, or zeros: the object removes its tools) always succeeds.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override { return BorderSpace(widths); }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override { return BorderSpace(widths); }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override;
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch: the ambient properties.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override;

 private:
  // The document host: the owner's handler answers, else the control's defaults. Its own
  // object because IDocHostUIHandler and IOleInPlaceFrame both have an EnableModeless(BOOL)
  // that mean different things; its IUnknown is the site's.
  class DocHost final : public DocHostDefaults {
   public:
    explicit DocHost(AxSite& outer) : outer(outer) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override { return outer.QueryInterface(iid, object); }
    STDMETHODIMP_(ULONG) AddRef() override { return outer.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer.Release(); }

    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* objectHit) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* commandTarget,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* uiWindow, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD commandId) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* pageTarget, IDropTarget** replacement) override;
    STDMETHODIMP GetExternal(IDispatch** dispatch) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) override;
    STDMETHODIMP FilterDataObject(IDataObject* data, IDataObject** replacement) override;

   private:
    IDocHostUIHandler* Owner() const { return outer.handler.Get(); }
    AxSite& outer;
  };

  static HRESULT BorderSpace(LPCBORDERWIDTHS widths);
  void ReleaseControl();
  HRESULT Activate(IUnknown* object);

  ULONG references = 1;
  HWND window;
  DocHost docHost{*this};
  ComPtr<IUnknown> control;
  ComPtr<IOleObject> oleObject;
  ComPtr<IOleInPlaceObject> inPlace;
  ComPtr<IOleInPlaceActiveObject> activeObject;
  ComPtr<IDocHostUIHandler> handler;
};

}  // namespace fw
