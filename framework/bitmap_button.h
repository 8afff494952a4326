// An image button drawn from an image list: four slots (normal, pushed, hover,
// disabled), hover tracked with a mouse-leave notification, capture while pressed,
// BN_CLICKED sent to the parent on release inside. No text, border, focus rectangle or
// background erase.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/window_thunk.h"

namespace fw {

// Button extended styles.
enum : DWORD {
  BMPBTN_HOVER = 0x00000001,     // show the hover slot while the pointer is over it
  BMPBTN_AUTOSIZE = 0x00000008,  // size the window to one image at creation
};

class BitmapButton {
 public:
  explicit BitmapButton(DWORD extendedStyle = BMPBTN_AUTOSIZE);
  virtual ~BitmapButton();
  BitmapButton(const BitmapButton&) = delete;
  BitmapButton& operator=(const BitmapButton&) = delete;

  // Creates the child window (class "WTL_BitmapButton"). Null on failure.
  [[nodiscard]] HWND Create(HWND parent, const RECT& rect, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
  void Destroy();
  HWND Handle() const { return window; }

  // The button owns its image list: setting one destroys the previous one.
  void SetImageList(HIMAGELIST images);
  HIMAGELIST ImageList() const { return images; }
  // Slot numbers into the image list; -1 means "same as normal".
  void SetImages(int normal, int pushed = -1, int hover = -1, int disabled = -1);

 protected:
  // Sees every message before the button's own handling; return true when it handled
  // the message and set result.
  virtual bool PreHandle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  friend struct WindowThunk<BitmapButton>;
  static LRESULT Unattached(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  void SetState(unsigned add, unsigned remove);

  HWND window = nullptr;
  HIMAGELIST images = nullptr;
  DWORD extendedStyle;
  int slots[4] = {0, 0, 0, 0};
  unsigned state = 0;  // kPressed | kHover | kTracking
};

}  // namespace fw
