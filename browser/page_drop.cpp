// The drop target: the dragged file list read once with its bounds checked, the torrent
// checks, and the callback text handed to the page.
#include "browser/page_drop.h"

#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "bencoding/path.h"
#include "bencoding/torrent.h"
#include "browser/drop_list.h"
#include "browser/page_host.h"
#include "browser/page_text.h"

namespace {

// The dragged file list (CF_HDROP in global memory), checked and read into paths at once;
// the medium is released before any file is opened.
class DroppedFiles {
 public:
  explicit DroppedFiles(IDataObject* data) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!data || FAILED(data->GetData(&format, &medium))) return;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) usable = Read(medium.hGlobal);
    ReleaseStgMedium(&medium);
  }

  // False for a list that failed its checks: it is refused whole.
  bool Usable() const { return usable; }
  const std::vector<std::wstring>& Paths() const { return paths; }

 private:
  bool Read(HGLOBAL block) {
    const SIZE_T size = GlobalSize(block);  // the sender's header is not trusted for it
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(block));
    if (!bytes) return false;
    DropList list;
    const bool read = ReadDropList(bytes, size, list);
    paths.reserve(list.names.size());
    for (const DropName& name : list.names) {
      if (list.wide) {
        paths.emplace_back(name.length, L'\0');
        memcpy(paths.back().data(), bytes + name.offset, name.length * sizeof(wchar_t));  // may be unaligned
      } else {
        const auto* ansi = reinterpret_cast<const char*>(bytes + name.offset);
        const int length = static_cast<int>(name.length);
        std::wstring path(MultiByteToWideChar(CP_ACP, 0, ansi, length, nullptr, 0), L'\0');
        path.resize(MultiByteToWideChar(CP_ACP, 0, ansi, length, path.data(), static_cast<int>(path.size())));
        paths.push_back(std::move(path));
      }
    }
    GlobalUnlock(block);
    return read;
  }

  std::vector<std::wstring> paths;
  bool usable = false;
};

}  // namespace

PageDropTarget::PageDropTarget(PageHost& host) : PagePart(host), host(host) {}

// Only ever COPY or NONE: a source told MOVE deletes the user's files.
STDMETHODIMP PageDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  const DWORD allowed = *effect;
  *effect = dragEffect = DROPEFFECT_NONE;
  if (host.VipMode() || !data || !(allowed & DROPEFFECT_COPY)) return E_FAIL;
  const DroppedFiles files(data);
  if (!files.Usable()) return E_FAIL;
  zv::encoding::bencoding::torrent_reader reader;
  for (const std::wstring& path : files.Paths()) {
    if (reader.has_video(path)) {
      *effect = dragEffect = DROPEFFECT_COPY;
      return S_OK;
    }
  }
  return E_FAIL;
}

STDMETHODIMP PageDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = *effect & DROPEFFECT_COPY ? dragEffect : DROPEFFECT_NONE;
  return S_OK;
}

STDMETHODIMP PageDropTarget::DragLeave() {
  dragEffect = DROPEFFECT_NONE;
  return S_OK;
}

STDMETHODIMP PageDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  const DWORD allowed = *effect;
  *effect = dragEffect = DROPEFFECT_NONE;
  if (host.VipMode()) return E_FAIL;
  if (!(allowed & DROPEFFECT_COPY)) return S_OK;
  const DroppedFiles files(data);
  if (!files.Usable()) return S_OK;
  namespace bt = zv::encoding::bencoding;
  bt::torrent_reader reader;
  DragCallbackText text;
  for (const std::wstring& path : files.Paths()) {
    const bt::dropped_file dropped = reader.judge(path);
    if (dropped.verdict == bt::drop_verdict::link) text.Add(dropped.magnet_link, dropped.name);
  }
  if (text.Count() > 0) *effect = DROPEFFECT_COPY;
  const std::wstring argumentText = text.Text();
  Variant argument;
  argument.value.vt = VT_BSTR;
  argument.value.bstrVal = SysAllocStringLen(argumentText.data(), static_cast<UINT>(argumentText.size()));
  DISPPARAMS params{&argument.value, nullptr, 1, 0};
  Variant result;
  (void)host.CallPageFunction(L"vodClientDragCallback", &params, &result.value);  // a page without it hears nothing
  return S_OK;
}
