// Drops of real file lists: what DragEnter answers, and the exact text the shipped page's
// "vodClientDragCallback" receives, reached by the same name lookup and invoke as a
// document's script object (the JScript engine's global object stands in for it).
#include <gtest/gtest.h>

#include "app/vip_mode.h"
#include "tests/browser/browser_support.h"

namespace {

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? char(c) : '?';
  return out;
}

// The page host whose page is the JScript engine running the shipped bridge script.
class ScriptedPage : public PageHost {
 public:
  ScriptedPage() : script(this) {}
  test::ScriptPage script;

 protected:
  HRESULT PageScript(IDispatch** out) override {
    *out = script.Script();
    if (*out) (*out)->AddRef();
    return *out ? S_OK : E_POINTER;
  }
};

class drop_test : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(page.script.Run(test::BridgeScript())) << Narrow(page.script.Error());
    ASSERT_TRUE(page.script.Run(L"var calls = 0; bridge.view = {show: function () { ++calls; }};"));
  }
  void TearDown() override { startedFromVipClient = 0; }

  // The item text the page should receive for a fixture under a file name.
  static std::wstring Item(const std::string& fixture, const std::wstring& fileName) {
    return L"{url:\"" + test::MagnetOf(fixture) + L"\", filename:\"" + fileName + L"\"}";
  }

  ScriptedPage page;
  test::TempFolder folder;
};

}  // namespace

TEST_F(drop_test, file_lists) {
  const std::wstring video = folder.Copy(L"mktorrent_single.torrent", L"Film.torrent");
  const std::wstring other = folder.Copy(L"transmission_multi.torrent", L"Series.torrent");
  const std::wstring noVideo = folder.Copy(L"mktorrent_no_video.torrent", L"Music.torrent");
  const std::wstring spaced = folder.Copy(L"фильм 电影.torrent", L"фильм 电影 l'été.torrent");
  const std::wstring clip = folder.Copy(L"mktorrent_single.torrent", L"clip.mkv");  // a video file, not a torrent
  const std::wstring subfolder = folder.Path() + L"\\Folder.torrent";
  CreateDirectoryW(subfolder.c_str(), nullptr);
  const std::wstring missing = folder.Path() + L"\\missing.torrent";

  const struct {
    const char* what;
    std::vector<std::wstring> paths;
    HRESULT enter;
    std::wstring text;
  } cases[] = {
      {"video torrent", {video}, S_OK, L"[" + Item("mktorrent_single.torrent", L"Film.torrent") + L"]"},
      {"torrent without video", {noVideo}, E_FAIL, L"[]"},
      {"plain .mkv", {clip}, E_FAIL, L"[]"},
      {"folder", {subfolder}, E_FAIL, L"[]"},
      {"missing file", {missing}, E_FAIL, L"[]"},
      {"video torrent second of three", {noVideo, video, clip}, S_OK,
       L"[" + Item("mktorrent_single.torrent", L"Film.torrent") + L"]"},
      {"two video torrents", {video, other}, S_OK,
       L"[" + Item("mktorrent_single.torrent", L"Film.torrent") + L"," +
           Item("transmission_multi.torrent", L"Series.torrent") + L"]"},
      {"spaces and non-Latin letters", {spaced}, S_OK,
       L"[" + Item("фильм 电影.torrent", L"фильм 电影 l'été.torrent") + L"]"},
  };
  int calls = 0;
  for (const auto& c : cases) {
    test::DataObject data = test::DataObject::Files(c.paths);
    DWORD effect = 0xBEEF;
    EXPECT_EQ(page.DragEnter(&data, MK_LBUTTON, POINTL{5, 5}, &effect), c.enter) << c.what;
    EXPECT_EQ(effect, DWORD(c.enter == S_OK ? DROPEFFECT_COPY : DROPEFFECT_NONE)) << c.what;

    effect = 0xBEEF;
    EXPECT_EQ(page.Drop(&data, MK_LBUTTON, POINTL{5, 5}, &effect), S_OK) << c.what;
    EXPECT_EQ(effect, 0xBEEFu) << c.what;  // never written by the drop
    // The page is called on every drop, with "[]" when nothing qualified.
    EXPECT_EQ(page.script.EvalInt(L"calls"), ++calls) << c.what;
    EXPECT_EQ(page.script.EvalText(L"bridge.text"), c.text) << c.what;
  }

  // The page's own script reads the text back into objects.
  test::DataObject two = test::DataObject::Files({video, spaced});
  DWORD effect = 0;
  page.Drop(&two, 0, POINTL{}, &effect);
  EXPECT_EQ(page.script.EvalInt(L"bridge.received.length"), 2);
  EXPECT_EQ(page.script.EvalText(L"bridge.received[0].url"), test::MagnetOf("mktorrent_single.torrent"));
  EXPECT_EQ(page.script.EvalText(L"bridge.received[0].filename"), L"Film.torrent");
  EXPECT_EQ(page.script.EvalText(L"bridge.received[1].url"), test::MagnetOf("фильм 电影.torrent"));
  EXPECT_EQ(page.script.EvalText(L"bridge.received[1].filename"), L"фильм 电影 l'été.torrent");
}

TEST_F(drop_test, path_longer_than_max_path_is_read_whole) {
  // A folder name long enough that the video torrent "A.torrent" in it has a path of exactly
  // 259 characters: the first 259 characters of the longer path name that other file.
  const std::wstring base = folder.Path() + L"\\";
  const std::wstring shortName = L"\\A.torrent";
  const size_t folderLength = 259 - base.size() - shortName.size();
  ASSERT_LT(folderLength, 250u);
  const std::wstring longFolder(folderLength, L'd');
  const std::wstring cut = folder.Copy(L"mktorrent_single.torrent", longFolder + shortName);
  ASSERT_EQ(cut.size(), 259u);
  const std::wstring whole = folder.Copy(L"transmission_single.torrent", longFolder + shortName + L".b.torrent");
  ASSERT_GT(whole.size(), size_t(MAX_PATH));
  ASSERT_EQ(whole.compare(0, 259, cut), 0);

  test::DataObject data = test::DataObject::Files({whole});
  DWORD effect = 0;
  EXPECT_EQ(page.DragEnter(&data, 0, POINTL{}, &effect), S_OK);
  EXPECT_EQ(page.Drop(&data, 0, POINTL{}, &effect), S_OK);
  EXPECT_EQ(page.script.EvalText(L"bridge.text"),
            L"[" + Item("transmission_single.torrent", L"A.torrent.b.torrent") + L"]");
}

TEST_F(drop_test, refused_without_calling_the_page) {
  const std::wstring video = folder.Copy(L"mktorrent_single.torrent", L"Film.torrent");
  test::DataObject text = test::DataObject::Text(L"magnet:?xt=urn:btih:0123");
  test::DataObject files = test::DataObject::Files({video});
  const struct {
    const char* what;
    IDataObject* data;
    bool vip;
    HRESULT drop;
  } cases[] = {
      {"text", &text, false, S_OK},
      {"no data object", nullptr, false, S_OK},
      {"video torrent, started from the VIP client", &files, true, E_FAIL},
      {"text, started from the VIP client", &text, true, E_FAIL},
  };
  for (const auto& c : cases) {
    startedFromVipClient = c.vip ? 1 : 0;
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(page.DragEnter(c.data, 0, POINTL{}, &effect), E_FAIL) << c.what;
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE)) << c.what;
    EXPECT_EQ(page.Drop(c.data, 0, POINTL{}, &effect), c.drop) << c.what;
    EXPECT_EQ(page.script.EvalInt(L"calls"), 0) << c.what;
  }
  EXPECT_EQ(files.dataRequests, 0);  // VIP refuses before reading anything
  startedFromVipClient = 0;

  DWORD effect = DROPEFFECT_MOVE;
  EXPECT_EQ(page.DragOver(0, POINTL{}, &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
  EXPECT_EQ(page.DragLeave(), S_OK);
  EXPECT_EQ(page.DragEnter(&files, 0, POINTL{}, nullptr), E_INVALIDARG);
}

TEST_F(drop_test, page_without_the_callback_is_passed_over) {
  PageHost plain;
  ScriptedPage bare;  // its engine runs no script at all
  const std::wstring video = folder.Copy(L"mktorrent_single.torrent", L"Film.torrent");
  test::DataObject files = test::DataObject::Files({video});
  DWORD effect = 0;
  EXPECT_EQ(bare.Drop(&files, 0, POINTL{}, &effect), S_OK);
  EXPECT_EQ(plain.Drop(&files, 0, POINTL{}, &effect), S_OK);  // no control at all
  EXPECT_EQ(files.dataRequests, 2);
}
