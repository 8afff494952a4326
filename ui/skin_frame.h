// The borderless skin of a top-level window: caption geometry, window region, caption
// buttons anchored to the right edge, painting through an off-screen bitmap, hit-testing,
// edge dragging and maximising to the work area. The window class supplies the drawing
// (DoPaint) and the maximise button's look (UpdateMaxButton).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/bitmap_button.h"
#include "framework/dialog.h"
#include "ui/skin_geometry.h"

// Invalidates, erases and repaints a window at once: how every skin change is shown.
inline void RedrawNow(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

class SkinFrame {
 public:
  SkinFrame();
  virtual ~SkinFrame();
  SkinFrame(const SkinFrame&) = delete;
  SkinFrame& operator=(const SkinFrame&) = delete;

  void Init(int width, int height, int minimumWidth, int minimumHeight, bool canResize, bool canMaximize,
            DWORD extraStyle, int border);
  // The one path by which the window is moved or sized: rebuilds the region and keeps the
  // caption buttons at their distance from the right edge.
  void SetPosAndLayout(int x, int y, int cx, int cy, UINT flags);

  // The button takes the image strip over.
  fw::BitmapButton* AddButton(const RECT& rect, UINT id, HIMAGELIST images, int normal, int pushed, int hover,
                              int disabled);
  fw::BitmapButton* FindButton(UINT id) const;
  void DestroyButtons();

  // Maximise when restored, restore when maximised; then UpdateMaxButton.
  void ToggleMaximize();
  // Where the system itself would put the window maximised: the work area of its monitor,
  // relative to the monitor as WM_GETMINMAXINFO wants it.
  void SetMaximizedInfo(MINMAXINFO& info) const;

  // The skin's message map; true when handled.
  bool ProcessSkinMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  skin::Rect CaptionRect() const;

  // The dpi the window is laid out for: the system's at start, then WM_DPICHANGED's.
  int dpi = skin::kBaseDpi;
  int captionWidth = 0;
  int captionHeight = 0;
  int borderX = 0;
  int borderY = 0;
  bool resizable = false;
  bool maximizable = false;
  bool maximized = false;
  RECT restoreRect = {};
  int minWidth = 0;
  int minHeight = 0;
  std::vector<std::unique_ptr<fw::BitmapButton>> buttons;

 protected:
  virtual HWND FrameWindow() const = 0;
  virtual void DoPaint(HDC dc) = 0;
  virtual void UpdateMaxButton(bool isMaximized, const RECT& windowRect) = 0;
  // The work area of the window's monitor.
  RECT WorkArea() const;

 private:
  LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDoubleClick(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnButtonCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnWindowPosChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

  void PaintInto(HDC target);
  void MaximizeToWorkArea(const RECT& restoreTo, UINT flags);

  // The last rectangle the window had while neither maximised nor minimised: what a
  // maximise that did not come through the skin restores to.
  RECT normalRect = {};

  // Drag state of the current press.
  unsigned dragEdges = 0;
  LPCWSTR dragCursor = nullptr;
  POINT lastCursorPos = {};
  HCURSOR savedCursor = nullptr;
};
