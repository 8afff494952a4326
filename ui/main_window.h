// The program's one visible window: a borderless modeless dialog with a painted caption,
// four caption buttons with tips, pin-on-top, and the page below the caption.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/app_module.h"
#include "browser/page_host.h"
#include "framework/dialog.h"
#include "ui/skin_frame.h"

inline constexpr UINT ID_PIN = 0xF090;
inline constexpr UINT APPBAR_CALLBACK_MESSAGE = 0x2412;
inline constexpr COLORREF kFrameColour = RGB(33, 39, 50);
inline constexpr wchar_t kCaptionFontFace[] = L"微软雅黑";

class MainWindow : public fw::Dialog,
                   public fw::MessageFilter,
                   public fw::IdleHandler,
                   public PageHost,
                   public SkinFrame {
 public:
  MainWindow();
  ~MainWindow() override;

  // The modeless dialog from IDD_MAIN, without owner; not shown yet. Null on failure.
  HWND Create();

  // Stores the title and makes it the window text. Does not repaint the caption.
  void SetTitle(const std::wstring& title);
  // The title drawn in the caption instead of the tabs, which go; see also PageHost's.
  void SetVipMode();
  void CloseAndQuit(int code);
  void SetPinned(bool pin);
  void UpdateMaxButton(bool isMaximized, const RECT& windowRect) override;

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override { return FALSE; }

 protected:
  bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  HWND FrameWindow() const override { return Handle(); }
  void DoPaint(HDC dc) override;

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
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
  void PlaceTopmost(bool topmost);
  void CreateCaptionButtons();
  HIMAGELIST ButtonImages(UINT bitmapId) const;
  // The caption's icon, font and buttons for the current dpi, replacing any made before.
  void CreateCaptionParts();
  void CreateCaptionFont();
  // Adds or changes a caption button's tip, and sets it as the button's window text so
  // that screen readers can name the button.
  void SetButtonTip(fw::BitmapButton* button, const wchar_t* tip, UINT message = TTM_UPDATETIPTEXTW);

  std::wstring titleText;
  HWND buttonTips = nullptr;
  bool pinned = false;
  // While a full-screen window has made the pinned window leave the topmost band; an
  // unpin does not end it, the full-screen window does.
  bool yieldedTopmost = false;
  HICON captionIcon = nullptr;
  HFONT captionFont = nullptr;
  HWND focusBeforeDeactivation = nullptr;
};
