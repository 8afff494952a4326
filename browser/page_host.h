// The page's side of the main window: the hosted WebBrowser control, the answers the
// window gives as its document host, window.external (three methods and the tab buttons
// they drive) and the drop target that hands dropped video torrents to the page.
// One counted COM object: the window holds it, and so do the control and the page's
// script, which may let go only after the window is gone.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <exdisp.h>

#include <map>
#include <memory>
#include <string>

#include "framework/ax_host.h"
#include "framework/bitmap_button.h"
#include "framework/com_ptr.h"
#include "res/resource.h"

// window.external's methods.
enum : DISPID {
  DISPID_SETVODCLIENTNAV = 1,
  DISPID_GETVODCLIENTVER = 2,
  DISPID_SETVODCLIENTTAB = 3,
};

inline constexpr wchar_t kWebBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

// A tab button: a bitmap button that shows the hand while it can be clicked.
class TabButton : public fw::BitmapButton {
 public:
  TabButton() : BitmapButton(fw::BMPBTN_HOVER | fw::BMPBTN_AUTOSIZE) {}

 protected:
  bool PreHandle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class PageHost : public IDropTarget, public fw::IDocHostUIHandlerDispatch {
 public:
  // Made with new and held through fw::ComPtr; the last Release deletes it.
  PageHost() = default;
  virtual ~PageHost();
  PageHost(const PageHost&) = delete;
  PageHost& operator=(const PageHost&) = delete;

  // From the main window's WM_INITDIALOG: the host window at `place` and the control in
  // it. `control` is the WebBrowser but for tests of a failed creation.
  void CreateBrowserHost(HWND mainWindow, const RECT& place, const wchar_t* control = kWebBrowserClsid);
  // From WM_SIZE (not for SIZE_MINIMIZED); a place turned inside out by a tiny window is empty.
  void ResizeBrowserHost(const RECT& place);
  // From WM_DESTROY: the control, the tabs and the window are let go. What the page still
  // holds keeps working without them (no tabs are made, no page is called).
  void DestroyBrowserHost();
  HWND HostWindow() const { return host.Handle(); }

  // Navigate2 without reading from the cache; nothing without a control.
  void Navigate(const std::wstring& url);
  // Calls a global function of the page's script.
  HRESULT CallPageFunction(const wchar_t* name, DISPPARAMS* params, VARIANT* result);
  // Its second half: look the name up in a script object and invoke it as a method.
  static HRESULT CallScriptFunction(IDispatch* script, const wchar_t* name, DISPPARAMS* params, VARIANT* result);

  // Where the caption's two tab buttons go and the artwork they show, at the window's scale:
  // the window's skin decides. Tabs already shown are made again there, the current one kept.
  struct TabLayout {
    RECT list, player;
    UINT listImage, playerImage;
  };
  void SetTabLayout(const TabLayout& layout);

  // The script bridge.
  void SetNavItems(const VARIANT& items);
  void CreateTabButtons();
  void SelectTab(const wchar_t* name);
  void OnTabButtonClicked(UINT id);  // WM_COMMAND, ids ID_TAB_PLAYER and ID_TAB_LIST, BN_CLICKED
  void DestroyTabButtons();

  // Started by the VIP client: no tabs, no context menu, no drops, window.external silent.
  void SetVipMode();

  // IUnknown, shared by both parts.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDropTarget
  STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

  // IDispatch: window.external
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

  // IDocHostUIHandlerDispatch
  STDMETHODIMP ShowContextMenu(DWORD id, DWORD x, DWORD y, IUnknown* commandTarget, IDispatch* objectHit,
                               HRESULT* retVal) override;
  STDMETHODIMP GetHostInfo(DWORD* flags, DWORD* doubleClick) override;
  STDMETHODIMP ShowUI(DWORD id, IUnknown* activeObject, IUnknown* commandTarget, IUnknown* frame,
                      IUnknown* document, HRESULT* retVal) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP EnableModeless(VARIANT_BOOL enable) override;
  STDMETHODIMP OnDocWindowActivate(VARIANT_BOOL activate) override;
  STDMETHODIMP OnFrameWindowActivate(VARIANT_BOOL activate) override;
  STDMETHODIMP ResizeBorder(long left, long top, long right, long bottom, IUnknown* uiWindow,
                            VARIANT_BOOL frameWindow) override;
  STDMETHODIMP TranslateAccelerator(DWORD_PTR window, DWORD message, DWORD_PTR wParam, DWORD_PTR lParam,
                                    BSTR commandGroup, DWORD commandId, HRESULT* retVal) override;
  STDMETHODIMP GetOptionKeyPath(BSTR* key, DWORD reserved) override;
  STDMETHODIMP GetDropTarget(IUnknown* pageDropTarget, IUnknown** replacement) override;
  STDMETHODIMP GetExternal(IDispatch** dispatch) override;
  STDMETHODIMP TranslateUrl(DWORD translate, BSTR urlIn, BSTR* urlOut) override;
  STDMETHODIMP FilterDataObject(IUnknown* dataObject, IUnknown** replacement) override;

 protected:
  // Where CallPageFunction finds the page's script object: the document's.
  virtual HRESULT PageScript(IDispatch** script);

  // The state the bridge keeps, which a test's double of the page host may read.
  fw::AxWindow host;
  fw::ComPtr<IWebBrowser2> browser;
  std::map<std::wstring, std::wstring> navUrls;
  std::unique_ptr<TabButton> playerTab;
  std::unique_ptr<TabButton> listTab;

 private:
  IDispatch* ExternalDispatch() { return static_cast<fw::IDocHostUIHandlerDispatch*>(this); }
  void RedrawTabs();

  ULONG references = 0;
  HWND pageWindow = nullptr;
  TabLayout tabLayout = {};
  bool vipMode = false;
  bool readingNav = false;             // inside SetNavItems
  DWORD dragEffect = DROPEFFECT_NONE;  // DragEnter's answer, which DragOver repeats
};
