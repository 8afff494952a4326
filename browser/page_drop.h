// The drop target the page host hands the page: dropped video torrents become magnet links
// for the page's callback; everything else dragged over the page is refused.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "browser/page_parts.h"

class PageHost;

class PageDropTarget final : public PagePart<IDropTarget> {
 public:
  explicit PageDropTarget(PageHost& host);

  STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

 private:
  PageHost& host;
  DWORD dragEffect = DROPEFFECT_NONE;  // DragEnter's answer, which DragOver repeats
};
