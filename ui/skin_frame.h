// The borderless skin of a top-level window: caption geometry, window region, caption
// buttons anchored to the right edge, painting through an off-screen bitmap, hit-testing,
// edge dragging, the size limits and maximising to the work area. The window it dresses
// supplies the drawing and shows the maximised state on its own button (Owner).
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
  class Owner {
   public:
    virtual HWND FrameWindow() const = 0;
    virtual void DoPaint(HDC dc) = 0;
    // Told after every maximise or restore, also one that changed nothing.
    virtual void MaximizeChanged(bool maximized) = 0;

   protected:
    ~Owner() = default;
  };

  explicit SkinFrame(Owner& owner) : owner(owner) {}
  ~SkinFrame();
  SkinFrame(const SkinFrame&) = delete;
  SkinFrame& operator=(const SkinFrame&) = delete;

  // The dpi's metrics, the window moved to `place`, and the styles that give the taskbar
  // button its system menu entries.
  void Init(int dpi, const skin::Rect& place, DWORD extraStyle);
  // A new dpi's metrics; the owner then moves the window (SetPosAndLayout) and remakes
  // its buttons.
  void SetDpi(int newDpi);
  int Dpi() const { return dpi; }
  const skin::Metrics& Metrics() const { return metrics; }
  bool Maximized() const { return maximized; }

  // The one path by which the window is moved or sized: rebuilds the region and keeps the
  // caption buttons at their distance from the right edge.
  void SetPosAndLayout(int x, int y, int cx, int cy, UINT flags);

  // The button takes the image strip over.
  fw::BitmapButton* AddButton(const RECT& rect, UINT id, HIMAGELIST images, int normal, int pushed, int hover,
                              int disabled);
  fw::BitmapButton* FindButton(UINT id) const;
  void DestroyButtons();

  // The work area of the window's monitor.
  RECT WorkArea() const;
  // Where maximising puts the window: the work area, clear of its monitor's auto-hide bars.
  // Asks the shell, so only when maximising.
  RECT MaximizeArea() const;

  // The skin's message map; true when handled.
  bool ProcessSkinMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDoubleClick(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnButtonCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnWindowPosChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

  HWND Window() const { return owner.FrameWindow(); }
  skin::Rect CaptionRect() const;
  void PaintInto(HDC target);
  void ToggleMaximize();
  // Every maximise and restore goes through here: maximising keeps restoreTo as the
  // rectangle a restore returns to.
  void SetMaximized(bool maximize, const RECT& restoreTo, UINT flags);

  Owner& owner;
  int dpi = skin::kBaseDpi;  // the system's at start, then WM_DPICHANGED's
  skin::Metrics metrics = skin::MetricsAt(skin::kBaseDpi);
  int captionWidth = 0;      // the width of the last layout
  bool maximized = false;
  RECT restoreRect = {};
  // The last rectangle the window had while neither maximised nor minimised: what a
  // maximise that did not come through the skin restores to.
  RECT normalRect = {};
  std::vector<std::unique_ptr<fw::BitmapButton>> buttons;

  // Drag state of the current press.
  unsigned dragEdges = 0;
  LPCWSTR dragCursor = nullptr;
  POINT lastCursorPos = {};
  HCURSOR savedCursor = nullptr;
};
