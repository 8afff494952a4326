// Our ActiveX host: a child window that creates a control and keeps it in place as a small
// OLE container, and passes the page's document-host questions to its owner.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oaidl.h>

namespace fw {

// The document-host questions of a hosted page, as a dispatch-friendly interface: the
// owner of a host window implements it, the host forwards IDocHostUIHandler to it.
inline constexpr IID IID_IDocHostUIHandlerDispatch = {
    0x425B5AF0, 0x65F1, 0x11D1, {0x96, 0x11, 0x00, 0x00, 0xF8, 0x1E, 0x0D, 0x0D}};

struct IDocHostUIHandlerDispatch : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, DWORD x, DWORD y, IUnknown* commandTarget,
                                                    IDispatch* objectHit, HRESULT* retVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHostInfo(DWORD* flags, DWORD* doubleClick) = 0;
  virtual HRESULT STDMETHODCALLTYPE ShowUI(DWORD id, IUnknown* activeObject, IUnknown* commandTarget,
                                           IUnknown* frame, IUnknown* document, HRESULT* retVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE HideUI() = 0;
  virtual HRESULT STDMETHODCALLTYPE UpdateUI() = 0;
  virtual HRESULT STDMETHODCALLTYPE EnableModeless(VARIANT_BOOL enable) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(VARIANT_BOOL activate) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(VARIANT_BOOL activate) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResizeBorder(long left, long top, long right, long bottom,
                                                 IUnknown* uiWindow, VARIANT_BOOL frameWindow) = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(DWORD_PTR window, DWORD message, DWORD_PTR wParam,
                                                         DWORD_PTR lParam, BSTR commandGroup, DWORD commandId,
                                                         HRESULT* retVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOptionKeyPath(BSTR* key, DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDropTarget(IUnknown* pageDropTarget, IUnknown** replacement) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** dispatch) = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, BSTR urlIn, BSTR* urlOut) = 0;
  virtual HRESULT STDMETHODCALLTYPE FilterDataObject(IUnknown* dataObject, IUnknown** replacement) = 0;
};

// What a host window offers its owner.
inline constexpr IID IID_IAxWinHostWindow = {
    0xB6EA2050, 0x048A, 0x11D1, {0x82, 0xB9, 0x00, 0xC0, 0x4F, 0xB9, 0x94, 0x2E}};

struct IAxWinHostWindow : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateControl(LPCOLESTR clsidText, HWND window, IStream* init) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateControlEx(LPCOLESTR clsidText, HWND window, IStream* init,
                                                    IUnknown** control, REFIID sinkIid, IUnknown* sink) = 0;
  virtual HRESULT STDMETHODCALLTYPE AttachControl(IUnknown* control, HWND window) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryControl(REFIID iid, void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExternalDispatch(IDispatch* dispatch) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExternalUIHandler(IDocHostUIHandlerDispatch* handler) = 0;
};

// Window classes of the host.
inline constexpr wchar_t kAxWinClass[] = L"AtlAxWin71";
inline constexpr wchar_t kAxWinLicClass[] = L"AtlAxWinLic71";

// Sent to a host window: the answer is the host's IUnknown (WM_ATLGETHOST) or the control's
// (WM_ATLGETCONTROL), borrowed: no reference is added, valid while the window lives.
UINT AxGetHostMessage();
UINT AxGetControlMessage();

// Offers a queued message (lParam: MSG*) to the control's accelerator translation;
// nonzero when the control consumed it.
inline constexpr UINT WM_FORWARDMSG = 0x037F;

// Registers the host window classes and messages. Safe to call again.
bool AxWinInit();

// The owner's handle on a host window.
class AxWindow {
 public:
  AxWindow() = default;
  AxWindow(const AxWindow&) = delete;
  AxWindow& operator=(const AxWindow&) = delete;

  HWND Create(HWND parent, const RECT& rect, DWORD style, DWORD exStyle = 0, UINT id = 0);
  void Destroy();
  HWND Handle() const { return window; }

  // clsidText: "{…}" or a ProgID. The control's IUnknown comes back with one reference.
  HRESULT CreateControlEx(const wchar_t* clsidText, IUnknown** control);
  HRESULT QueryHost(IAxWinHostWindow** host) const;

 private:
  HWND window = nullptr;
};

}  // namespace fw
