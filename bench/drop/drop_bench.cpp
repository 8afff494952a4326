// What a drop of 20 video torrents of about 1 MB costs on the user-interface thread:
// DragEnter + Drop on the page host, beside the inspections it makes called directly; and
// how the cost of a drop grows with the number of names in the list.
// Prints figures; asserts nothing. Run: cmake/wine-run build/windows/bench/drop/drop_bench.exe
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bencoding/torrent.h"
#include "browser/page_host.h"
#include "browser/page_text.h"

namespace {

constexpr int kFiles = 20;
constexpr int kRounds = 15;

// A single-file torrent whose piece hashes make it about 1 MB.
std::string MakeTorrent(int index, std::mt19937& random) {
  std::string pieces(52000 * 20, '\0');
  for (auto& byte : pieces) byte = static_cast<char>(random());
  const std::string name = "movie_" + std::to_string(index) + ".mkv";
  std::string info = "d6:lengthi1234567890e4:name" + std::to_string(name.size()) + ":" + name +
                     "12:piece lengthi1048576e6:pieces" + std::to_string(pieces.size()) + ":" + pieces + "e";
  return "d8:announce20:http://127.0.0.1/ann4:info" + info + "e";
}

class FileList : public IDataObject {
 public:
  explicit FileList(const std::vector<std::wstring>& paths) {
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::wstring list;
    for (const auto& path : paths) list += path + L'\0';
    list += L'\0';
    bytes.resize(sizeof header + list.size() * sizeof(wchar_t));
    memcpy(bytes.data(), &header, sizeof header);
    memcpy(bytes.data() + sizeof header, list.data(), list.size() * sizeof(wchar_t));
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  std::vector<char> bytes;
};

template <class F>
double MedianMs(F run, int rounds = kRounds) {
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    run();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  namespace bt = zv::encoding::bencoding;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"kp_drop_bench_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  std::mt19937 random(7);
  std::vector<std::wstring> paths;
  size_t total = 0;
  for (int i = 0; i < kFiles; ++i) {
    const std::string torrent = MakeTorrent(i, random);
    paths.push_back(folder + L"\\movie_" + std::to_wstring(i) + L".torrent");
    FILE* file = _wfopen(paths.back().c_str(), L"wb");
    fwrite(torrent.data(), 1, torrent.size(), file);
    fclose(file);
    total += torrent.size();
  }

  // No control: the page call ends at once, so only the drop's own work is timed.
  fw::ComPtr<PageHost> page{new PageHost};
  FileList data(paths);
  size_t links = 0;
  // As a file manager offers it: copy, move or link.
  constexpr DWORD kOffered = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  DWORD answered = 0;
  auto dropOn = [&](FileList& list) {
    DWORD effect = kOffered;
    page->DropTarget()->DragEnter(&list, 0, POINTL{}, &effect);
    answered |= effect;
    effect = kOffered;
    page->DropTarget()->Drop(&list, 0, POINTL{}, &effect);
    answered |= effect;
  };
  auto dropOnPage = [&] { dropOn(data); };
  auto inspectDirectly = [&] {
    bt::torrent_has_video(paths[0]);  // DragEnter stops at the first video torrent
    for (const auto& path : paths) links += bt::torrent_inspect(path).magnet_link.size() > 0;
  };
  // As Drop does: the callback text, kept and growing, between the reads.
  auto inspectKeepingText = [&] {
    bt::torrent_has_video(paths[0]);
    DragCallbackText text;
    for (const auto& path : paths) {
      const auto facts = bt::torrent_inspect(path);
      if (facts.has_video && !facts.magnet_link.empty()) text.Add(facts.magnet_link, L"movie.torrent");
    }
    links += text.Count();
  };
  auto readTwice = [&] {
    bt::torrent_has_video(paths[0]);
    for (const auto& path : paths) {
      if (bt::torrent_has_video(path)) links += bt::torrent_magnet_link(path).size() > 0;
    }
  };
  // Interleaved, so that a busy machine weighs on each alike.
  double drop = 0, direct = 0, keeping = 0, twice = 0;
  for (int pass = 0; pass < 3; ++pass) {
    direct += MedianMs(inspectDirectly) / 3;
    drop += MedianMs(dropOnPage) / 3;
    keeping += MedianMs(inspectKeepingText) / 3;
    twice += MedianMs(readTwice) / 3;
  }

  std::printf("%d torrents, %.2f MB in all, mean of 3 medians of %d rounds\n", kFiles, total / 1048576.0, kRounds);
  std::printf("DragEnter + Drop on the page host:           %8.2f ms\n", drop);
  std::printf("same inspections called directly:             %8.2f ms\n", direct);
  std::printf("the same, keeping a growing text between them:  %8.2f ms\n", keeping);
  std::printf("(each file read twice: has_video, then link:  %8.2f ms)\n", twice);
  std::printf("links made: %zu; effects answered: %lu\n", links, answered);

  // Many names that are no torrents (never opened), then one video torrent.
  double perName[2] = {};
  const int counts[2] = {2000, 20000};
  for (int i = 0; i < 2; ++i) {
    std::vector<std::wstring> many;
    for (int n = 0; n + 1 < counts[i]; ++n) many.push_back(folder + L"\\clip_" + std::to_wstring(n) + L".mkv");
    many.push_back(paths[0]);
    FileList list(many);
    perName[i] = MedianMs([&] { dropOn(list); }, 3);
    std::printf("DragEnter + Drop of %6d names:                %8.2f ms\n", counts[i], perName[i]);
  }
  std::printf("20,000 names against 2,000:                       %8.2fx\n", perName[1] / perName[0]);

  for (const auto& path : paths) DeleteFileW(path.c_str());
  RemoveDirectoryW(folder.c_str());
  OleUninitialize();
  return 0;
}
