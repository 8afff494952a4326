// Drops of real file lists: what DragEnter answers, and the exact text the shipped page's
// "vodClientDragCallback" receives, found and invoked as in a document's script object
// (the JScript engine's global object stands in for it).
#include <gtest/gtest.h>

#include "app/vip_mode.h"
#include "tests/browser/browser_harness.h"

namespace {

// The page host whose page runs the shipped bridge script.
class ScriptedPage : public PageHost {
 public:
  test::ScriptPage script{this};

 protected:
  HRESULT PageScript(IDispatch** out) override {
    *out = script.Global().Detach();
    return *out ? S_OK : E_POINTER;
  }
};

class drop_test : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(page.script.Run(test::BridgeScript()));
    ASSERT_TRUE(page.script.Run(L"var calls = 0; bridge.view = {show: function () { ++calls; }};"));
  }
  void TearDown() override { startedFromVipClient = 0; }

  static std::wstring Item(const std::string& fixture, const std::wstring& fileName) {
    return L"{url:\"" + test::MagnetOf(fixture) + L"\", filename:\"" + fileName + L"\"}";
  }

  ScriptedPage page;
  test::TempFolder folder;
};

}  // namespace

TEST_F(drop_test, file_lists) {
  const std::wstring video = folder.Copy("mktorrent_single.torrent", L"Film.torrent");
  const std::wstring other = folder.Copy("transmission_multi.torrent", L"Series.torrent");
  const std::wstring noVideo = folder.Copy("mktorrent_no_video.torrent", L"Music.torrent");
  const std::wstring named = folder.Copy("фильм 电影.torrent", L"фильм 电影 l'été.torrent");
  const std::wstring clip = folder.Copy("mktorrent_single.torrent", L"clip.mkv");  // a video, not a torrent
  const std::wstring subfolder = folder.Folder(L"Folder.torrent");
  // "A.torrent" in this folder has 259 characters: all a MAX_PATH buffer holds of the longer path.
  const std::wstring deep(259 - (subfolder.size() - 14) - 10, L'd');
  folder.Folder(deep);
  const std::wstring cut = folder.Copy("mktorrent_single.torrent", deep + L"\\A.torrent");
  const std::wstring whole = folder.Copy("transmission_single.torrent", deep + L"\\A.torrent.b.torrent");
  ASSERT_EQ(cut.size(), 259u);
  ASSERT_EQ(whole.compare(0, 259, cut), 0);

  const struct {
    const char* what;
    std::vector<std::wstring> paths;
    HRESULT enter;
    std::wstring items;
  } cases[] = {
      {"video torrent", {video}, S_OK, Item("mktorrent_single.torrent", L"Film.torrent")},
      {"torrent without video", {noVideo}, E_FAIL, L""},
      {"plain .mkv", {clip}, E_FAIL, L""},
      {"folder", {subfolder}, E_FAIL, L""},
      {"video torrent second of three", {noVideo, video, clip}, S_OK, Item("mktorrent_single.torrent", L"Film.torrent")},
      {"two video torrents", {video, other}, S_OK,
       Item("mktorrent_single.torrent", L"Film.torrent") + L"," + Item("transmission_multi.torrent", L"Series.torrent")},
      {"spaces and non-Latin letters", {named}, S_OK, Item("фильм 电影.torrent", L"фильм 电影 l'été.torrent")},
      {"path longer than MAX_PATH", {whole}, S_OK, Item("transmission_single.torrent", L"A.torrent.b.torrent")},
  };
  int calls = 0;
  for (const auto& c : cases) {
    test::FileList data(c.paths);
    DWORD effect = 0xBEEF;
    EXPECT_EQ(page.DragEnter(&data, MK_LBUTTON, POINTL{5, 5}, &effect), c.enter) << c.what;
    EXPECT_EQ(effect, DWORD(c.enter == S_OK ? DROPEFFECT_COPY : DROPEFFECT_NONE)) << c.what;
    effect = 0xBEEF;
    EXPECT_EQ(page.Drop(&data, MK_LBUTTON, POINTL{5, 5}, &effect), S_OK) << c.what;
    EXPECT_EQ(effect, 0xBEEFu) << c.what;
    // Called on every drop, with "[]" when nothing qualified.
    EXPECT_EQ(page.script.Eval(L"calls"), std::to_wstring(++calls)) << c.what;
    EXPECT_EQ(page.script.Eval(L"bridge.text"), L"[" + c.items + L"]") << c.what;
  }
  // The page's own script reads the text back into objects.
  test::FileList two({video, named});
  DWORD effect = 0;
  page.Drop(&two, 0, POINTL{}, &effect);
  EXPECT_EQ(page.script.Eval(L"bridge.received.length + ' ' + bridge.received[1].url + ' ' + bridge.received[1].filename"),
            L"2 " + test::MagnetOf("фильм 电影.torrent") + L" фильм 电影 l'été.torrent");
}

TEST_F(drop_test, refused_without_calling_the_page) {
  const std::wstring video = folder.Copy("mktorrent_single.torrent", L"Film.torrent");
  test::FileList text({video}, CF_UNICODETEXT), files({video});
  const struct {
    const char* what;
    IDataObject* data;
    int vip;
    HRESULT drop;
  } cases[] = {
      {"text", &text, 0, S_OK},
      {"no data object", nullptr, 0, S_OK},
      {"video torrent, started from the VIP client", &files, 1, E_FAIL},
  };
  for (const auto& c : cases) {
    startedFromVipClient = c.vip;
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(page.DragEnter(c.data, 0, POINTL{}, &effect), E_FAIL) << c.what;
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE)) << c.what;
    EXPECT_EQ(page.Drop(c.data, 0, POINTL{}, &effect), c.drop) << c.what;
    EXPECT_EQ(page.script.Eval(L"calls"), L"0") << c.what;
  }
  EXPECT_EQ(files.requests, 0);  // VIP refuses before reading anything
}

TEST_F(drop_test, page_without_the_callback_is_passed_over) {
  ScriptedPage bare;  // runs no script at all
  const std::wstring video = folder.Copy("mktorrent_single.torrent", L"Film.torrent");
  test::FileList files({video});
  DWORD effect = 0;
  EXPECT_EQ(bare.Drop(&files, 0, POINTL{}, &effect), S_OK);
  EXPECT_EQ(files.requests, 1);
}
