// The program's one visible window: a borderless modeless dialog with a painted caption,
// four caption buttons with tips, pin-on-top, and the page below the caption. The skin and
// the page are parts of it, each with its own narrow interface.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "browser/page_host.h"
#include "framework/app_module.h"
#include "framework/com_ptr.h"
#include "framework/dialog.h"
#include "ui/caption_tabs.h"
#include "ui/skin_frame.h"

inline constexpr UINT APPBAR_CALLBACK_MESSAGE = 0x2412;

class MainWindow : public fw::Dialog,
                   private fw::MessageFilter,
                   private SkinFrame::Owner,
                   private PageHostCallback {
 public:
  MainWindow();
  ~MainWindow() override;

  // The modeless dialog from IDD_MAIN, without owner; not shown yet. Null on failure.
  [[nodiscard]] HWND Create();

  void Navigate(const std::wstring& url) { page->Navigate(url); }
  // Stores the title and makes it the window text. Does not repaint the caption.
  void SetTitle(const std::wstring& title);
  // Started by the VIP client: the title is drawn in the caption instead of the tabs, which
  // go and are not made again, and the page loses its bridge, menu and drops.
  void SetVipMode();
  // The caption buttons' tips, from then on: made once the window is on screen, as nothing
  // drawn needs them.
  void AddTips();

 protected:
  bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  BOOL PreTranslateMessage(MSG* msg) override;
  HWND FrameWindow() const override { return Handle(); }
  void DoPaint(HDC dc) override;
  void MaximizeChanged(bool maximized) override;
  void NavItemsSet(const NavUrls& stored) override;
  void TabSelected(const std::wstring& section) override;

  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnAppBarNotify(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnTogglePin(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnCancel(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnTabCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnActivate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

  void CentreInWorkArea();
  // So the shell tells us when a full-screen window opens or closes.
  void RegisterAppBar();
  // Keyboard focus back where the user left it in the window, else into the page.
  void RestoreFocus();
  void SetPinned(bool pin);
  void CloseAndQuit(int code);
  void PlaceTopmost(bool topmost);
  HIMAGELIST ButtonImages(UINT bitmapId) const;
  // A two-state button (maximise/restore, pin) shown in its other state: artwork and tip.
  void SwapButtonLook(UINT id, UINT bitmapId, const wchar_t* tip);
  // Everything drawn at the window's dpi, replacing what was made before: the caption
  // buttons (and their tips, once added), the caption's icon and font, the tabs and the
  // page's place.
  void LayOut();
  // Adds or changes a caption button's tip, and sets it as the button's window text so
  // that screen readers can name the button.
  void SetButtonTip(fw::BitmapButton* button, const wchar_t* tip, UINT message = TTM_UPDATETIPTEXTW);

  SkinFrame frame{*this};
  CaptionTabs tabs;
  NavUrls navUrls;  // the page's sections' addresses, as it last reported them
  // Counted: the page's script and the control hold it too, and may outlive the window.
  fw::ComPtr<PageHost> page;
  std::wstring titleText;
  HWND buttonTips = nullptr;
  bool tipsAdded = false;
  bool pinned = false;
  // While a full-screen window has made the pinned window leave the topmost band; an
  // unpin does not end it, the full-screen window does.
  bool yieldedTopmost = false;
  HICON captionIcon = nullptr;
  HFONT captionFont = nullptr;
  HWND focusBeforeDeactivation = nullptr;
};
