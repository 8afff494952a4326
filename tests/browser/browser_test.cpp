// The page host with the real WebBrowser control and JScript standing in for the page:
// hosting, the document-host answers, window.external and what it tells the window, and
// drops of real file lists with the exact text the shipped page's script receives.
#include <windows.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "browser/drop_list.h"
#include "browser/page_host.h"
#include "browser/page_text.h"
#include "tests/script_page.h"
#include "tests/support/test_support.h"

namespace {

using Urls = NavUrls;
using Box = std::array<LONG, 4>;
constexpr wchar_t kNoControl[] = L"{00000000-0000-0000-0000-00000000BEEF}";
constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

using kp_test::DropBlock, kp_test::Placed, kp_test::Widen;

// The main window's stand-in for every page host, kept to the end of the run: tearing a
// window down costs Wine about two seconds.
const HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, 994, 628,
                                    nullptr, nullptr, nullptr, nullptr);

std::wstring BridgeScript() {
  HRSRC found = FindResourceW(nullptr, L"BRIDGE.HTML", MAKEINTRESOURCEW(23));  // RT_HTML
  if (!found) return {};
  const std::wstring page = Widen(
      std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, found))), SizeofResource(nullptr, found)));
  const std::wstring open = L"<script id=\"bridge\">";
  const size_t start = page.find(open) + open.size();
  return start < open.size() ? std::wstring() : page.substr(start, page.find(L"</script>", start) - start);
}

struct OpenPage : PageHost {
  using PageHost::browser, PageHost::host;
};

// The control's commands, recorded: command, options, the VT_I4 argument.
std::vector<std::array<LONG, 3>> commands;
HRESULT RecordCommand(IWebBrowser2*, OLECMDID command, OLECMDEXECOPT options, VARIANT* in) {
  commands.push_back({command, options, in && in->vt == VT_I4 ? in->lVal : -1});
  return S_OK;
}

// The window's side: what the page host told it.
struct Told : PageHostCallback {
  void NavItemsSet(const NavUrls&) override { ++navs; }
  void TabSelected(const std::wstring& section) override { tabs.push_back(section); }
  int navs = 0;
  std::vector<std::wstring> tabs;
};

// The one page host with the real control, destroyed by main.
struct SharedPage {
  SharedPage() {
    page->CreateBrowserHost(parent, RECT{1, 26, 993, 626}, nullptr);
    fw::ComPtr<IOleObject> control;
    if (SUCCEEDED(page->browser.As(IID_IOleObject, control))) control->GetClientSite(site.Put());
  }
  fw::ComPtr<OpenPage> page{new OpenPage};
  fw::ComPtr<IOleClientSite> site;  // where the control asks the window its questions
};
SharedPage* shared = nullptr;
SharedPage& Shared() { return *(shared ? shared : shared = new SharedPage); }

// A dragged file list (CF_HDROP); offering another format instead stands in for dragged text.
struct FileList : Uncounted<IDataObject> {
  explicit FileList(std::string block, CLIPFORMAT offered = CF_HDROP) : offered(offered), bytes(std::move(block)) {}
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    ++requests;
    if (format->cfFormat != offered || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    *medium = STGMEDIUM{TYMED_HGLOBAL, {HBITMAP(GlobalAlloc(GMEM_FIXED, bytes.size()))}, nullptr};
    memcpy(medium->hGlobal, bytes.data(), bytes.size());
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

  CLIPFORMAT offered;
  std::string bytes;
  int requests = 0;  // GetData calls
};

// The magnet link from the manifest the fixture tools wrote.
std::wstring Item(const std::string& fixture, const std::wstring& fileName) {
  std::ifstream manifest(KP_TORRENT_FIXTURES "/manifest.tsv");
  std::string row;
  while (std::getline(manifest, row) && row.rfind(fixture + "\t", 0) != 0) continue;
  const std::string hash = row.substr(row.find('\t', fixture.size() + 1) + 1, 40);
  return L"{url:\"magnet:?xt=urn:btih:" + Widen(hash) + L"\", filename:\"" + fileName + L"\"}";
}

struct ScriptedPage : OpenPage {
  ScriptPage* script = nullptr;  // not owned: the script holds the page
  HRESULT PageScript(IDispatch** out) override {  // the engine's global object stands in for the document's
    *out = nullptr;
    return script && script->engine ? script->engine->GetScriptDispatch(nullptr, out) : E_POINTER;
  }
};

}  // namespace

// Each test's page: a host without a control, the shipped bridge script, a folder for drops.
class browser_test : public testing::Test {
 protected:
  void SetUp() override {
    page->script = &script;
    page->CreateBrowserHost(parent, RECT{1, 26, 993, 626}, &told, kNoControl);
    ASSERT_TRUE(script.Run(BridgeScript() + L"var calls = 0, canary = 0; bridge.view = {show: function () { ++calls; }};"));
    CreateDirectoryW(folder.c_str(), nullptr);
  }
  void TearDown() override {
    if (page) page->DestroyBrowserHost();
    std::filesystem::remove_all(L"\\\\?\\" + folder);  // some paths are longer than MAX_PATH
  }
  void Run(const std::wstring& code) { EXPECT_TRUE(script.Run(code)); }
  // A copy of the fixture, or a folder without one.
  std::wstring Make(const std::wstring& name, const std::string& fixture = "") {
    const std::wstring path = folder + L"\\" + name, longPath = L"\\\\?\\" + path;
    if (fixture.empty()) CreateDirectoryW(longPath.c_str(), nullptr);
    else CopyFileW(Widen(KP_TORRENT_FIXTURES "/" + fixture).c_str(), longPath.c_str(), FALSE);
    return path;
  }

  static inline const std::wstring folder =
      (std::filesystem::temp_directory_path() / (L"kp_browser_" + std::to_wstring(GetCurrentProcessId()))).wstring();
  Told told;
  fw::ComPtr<ScriptedPage> page{new ScriptedPage};
  ScriptPage script{page->External()};
};

// Without a document (Wine's control has none) or without a control, calls fail quietly.
TEST_F(browser_test, the_hosted_control_is_silent_fills_its_host_and_is_answered_as_by_a_document_host) {
  auto& shared = Shared();
  const HWND host = shared.page->host.Handle();
  ASSERT_TRUE(host && shared.page->browser);
  VARIANT_BOOL silent = VARIANT_FALSE;
  shared.page->browser->get_Silent(&silent);
  EXPECT_EQ(silent, VARIANT_TRUE);
  shared.page->ResizeBrowserHost(RECT{1, 26, 699, 498});
  EXPECT_EQ(Placed<Box>(GetWindow(host, GW_CHILD)), (Box{0, 0, 698, 472}));  // in place
  shared.page->ResizeBrowserHost(RECT{1, 26, 0, -1});  // a window smaller than the frame: empty, not inverted
  EXPECT_EQ(Placed<Box>(host), (Box{1, 26, 1, 26}));  // left so: no later use of the control needs its size
  DISPPARAMS none{};
  EXPECT_TRUE(FAILED(shared.page->CallPageFunction(L"vodClientDragCallback", &none, nullptr)));
  fw::ComPtr<PageHost> bare{new PageHost};
  bare->Navigate(L"http://127.0.0.1:9/");  // passed over
  EXPECT_EQ(bare->CallPageFunction(L"vodClientDragCallback", &none, nullptr), E_POINTER);
  // The window answers the control as its document host and frame.
  fw::ComPtr<IDocHostUIHandler> ask;
  ASSERT_EQ(shared.site.As(IID_IDocHostUIHandler, ask), S_OK);
  DOCHOSTUIINFO info{sizeof info, 0, 0, nullptr, nullptr};
  EXPECT_EQ(ask->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, 0x4024000Cu);  // no borders, no scroll bars, themed controls, drawn at the display scale
  fw::ComPtr<IDropTarget> dropTarget;
  fw::ComPtr<IDispatch> external;
  OpenPage& hosted = *shared.page.Get();
  const ULONG before = hosted.AddRef();
  EXPECT_EQ(ask->GetDropTarget(nullptr, dropTarget.Put()), S_OK);
  EXPECT_EQ(dropTarget.Get(), hosted.DropTarget());
  EXPECT_EQ(ask->GetExternal(external.Put()), S_OK);
  EXPECT_EQ(external.Get(), hosted.External());
  EXPECT_EQ(hosted.Release(), before + 1);  // each answer holds the host
  // Each part is an object of its own: its IUnknown is itself, and it answers no other part's interface.
  fw::ComPtr<IUnknown> itself, crossed;
  EXPECT_TRUE(SUCCEEDED(dropTarget.As(IID_IUnknown, itself)) && itself.Get() == dropTarget.Get());
  EXPECT_TRUE(external.As(IID_IDropTarget, crossed) == E_NOINTERFACE && dropTarget.As(IID_IDispatch, crossed) == E_NOINTERFACE);
  // The frame is asked for no tool space, as the control may ask when it takes the focus.
  fw::ComPtr<IOleInPlaceFrame> frame;
  ASSERT_EQ(shared.site.As(IID_IOleInPlaceFrame, frame), S_OK);
  EXPECT_EQ(frame->SetBorderSpace(nullptr), S_OK);
  // Only shortcuts that leave the page are swallowed (S_OK), not AltGr's (Ctrl+Alt); the last row holds no key.
  constexpr BYTE down = 0x80;
  const struct Row { const char* label; UINT message; WPARAM key; BYTE control, shift, alt; HRESULT want; } rows[] = {
      {"Ctrl+N", WM_KEYDOWN, 'N', down, 0, 0, S_OK},           {"Ctrl+Shift+O", WM_KEYDOWN, 'O', down, down, 0, S_OK},
      {"Ctrl+Alt+O", WM_KEYDOWN, 'O', down, 0, down, S_FALSE}, {"Ctrl+C", WM_KEYDOWN, 'C', down, 0, 0, S_FALSE},
      {"Ctrl+N as WM_CHAR", WM_CHAR, 'N', down, 0, 0, S_FALSE}, {"N", WM_KEYDOWN, 'N', 0, 0, 0, S_FALSE}};
  for (const Row& r : rows) {
    BYTE held[256] = {};
    held[VK_CONTROL] = r.control, held[VK_SHIFT] = r.shift, held[VK_MENU] = r.alt;
    SetKeyboardState(held);
    MSG key{nullptr, r.message, r.key, 0, 0, {}};
    EXPECT_EQ(ask->TranslateAccelerator(&key, &IID_IUnknown, 0), r.want) << r.label;
  }
}

// A finished page (not a frame's, not a malformed call) is zoomed to the window's last scale
// without changing the user's stored zoom; the sink is unadvised at teardown, so a control
// that lives on (here held by the test) holds no reference to the host.
TEST_F(browser_test, finished_pages_take_the_window_scale_and_the_sink_goes_at_teardown) {
  fw::ComPtr<OpenPage> own{new OpenPage};
  own->CreateBrowserHost(parent, RECT{1, 26, 993, 626}, nullptr);
  const fw::ComPtr<IWebBrowser2> control = own->browser;
  const BrowserCommandFn shipped = std::exchange(browserCommand, RecordCommand);
  own->ZoomToDpi(144);
  fw::ComPtr<IDispatch> sink;  // as the control's connection point asks for it
  ASSERT_EQ(own->Events()->QueryInterface(DIID_DWebBrowserEvents2, sink.PutVoid()), S_OK);
  VARIANT args[2] = {};  // URL, pDisp
  args[1].vt = VT_DISPATCH;
  for (IDispatch* frame : {static_cast<IDispatch*>(control.Get()), static_cast<IDispatch*>(Shared().page->browser.Get())}) {
    args[1].pdispVal = frame;
    for (UINT count : {2u, 1u}) {
      DISPPARAMS params{args, nullptr, count, 0};
      sink->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
  }
  const std::array<LONG, 3> zoom150 = {OLECMDID_OPTICAL_ZOOM, 0x10002, 150};  // high word: NOPERSIST
  EXPECT_EQ(commands, (std::vector<std::array<LONG, 3>>{zoom150, zoom150}));
  browserCommand = shipped;
  sink.Reset();
  own->DestroyBrowserHost();
  EXPECT_EQ(own->AddRef(), 2u);  // this and the test's own: none is the control's
  EXPECT_FALSE(own->browser);  // nor does the host keep the control
  own->Release();
}

// Variables as VBScript passes them are read through; an argument array that is there but
// not counted is not read at all; missing or wrong arguments touch nothing.
TEST_F(browser_test, arguments_by_reference_are_read_through_and_uncounted_missing_or_wrong_ones_not) {
  VARIANT value{}, byReference{};
  byReference.vt = VT_BYREF | VT_VARIANT, byReference.pvarVal = &value;
  const auto call = [&](DISPID method, UINT count) {
    DISPPARAMS params{&byReference, nullptr, count, 0};
    return page->External()->Invoke(method, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  };
  ASSERT_TRUE(script.Run(L"[{id: 'player', url: 'http://r/'}]", SCRIPTTEXT_ISEXPRESSION, &value));
  EXPECT_EQ(call(DISPID_SETVODCLIENTNAV, 1), S_OK);
  VariantClear(&value);
  value.vt = VT_BSTR, value.bstrVal = SysAllocString(L"player");
  EXPECT_EQ(call(DISPID_SETVODCLIENTTAB, 0), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(call(DISPID_SETVODCLIENTTAB, 1), S_OK);
  VariantClear(&value);
  Run(L"window.external.setVodClientNav([{id: 'list', url: 'http://b/'}]); window.external.setVodClientTab('list');"
      L"var threw = 0; try { window.external.setVodClientTab(); } catch (e) { ++threw; }"
      L"try { window.external.setVodClientNav(); } catch (e) { ++threw; }"
      L"window.external.setVodClientTab(5); window.external.setVodClientTab(null);"
      L"window.external.setVodClientTab({toString: function () { return 'player'; }});");
  EXPECT_EQ(script.Eval(L"threw"), L"2");
  EXPECT_EQ(page->StoredUrls(), (Urls{{L"list", L"http://b/"}, {L"player", L"http://r/"}}));
  EXPECT_EQ(told.tabs, (std::vector<std::wstring>{L"player", L"list"}));  // each once
}

TEST_F(browser_test, vip_mode_silences_the_page_bridge_and_the_context_menu) {
  Run(L"window.external.setVodClientNav([{id: 'list', url: 'http://b/'}]);");
  POINT point{10, 10};
  EXPECT_EQ(page->DocHost()->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr), S_FALSE);
  page->SetVipMode();
  Run(L"var version = window.external.getVodClientVer();"
      L"window.external.setVodClientNav([{id: 'player', url: 'http://c/'}]); window.external.setVodClientTab('list');");
  EXPECT_EQ(script.Eval(L"typeof version"), L"undefined");
  EXPECT_EQ(page->StoredUrls(), (Urls{{L"list", L"http://b/"}}));
  EXPECT_TRUE(told.navs == 1 && told.tabs.empty());  // the window hears nothing more
  EXPECT_EQ(page->DocHost()->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr), S_OK);  // "shown": no menu
}

// The page's script may hold window.external after the window is gone and has let go of
// it: the object lives on and answers, but tells a window that is no more nothing.
TEST_F(browser_test, the_page_script_outlives_the_window) {
  page->DestroyBrowserHost();
  page.Reset();
  Run(L"var late = window.external.getVodClientVer(); window.external.setVodClientNav([{id: 'list', url: 'http://b/'}]);"
      L"window.external.setVodClientTab('list');");
  EXPECT_EQ(script.Eval(L"late"), L"1.0.2.3");
  EXPECT_TRUE(told.navs == 0 && told.tabs.empty());
}

TEST_F(browser_test, hostile_pages_cost_bounded_work_and_plant_no_script) {
  // A getter that calls again while the list is read (only the outer call counts), and
  // script urls, which a tab click would run in the site's page: stored empty.
  Run(L"var nested = 0, inner = [{get id() { ++nested; window.external.setVodClientNav(inner); return 'player'; },"
      L"  url: ' JavaScript:alert(1)'}, {id: 'list', url: 'vb\\tscript:x'}, {id: 'x', url: 'http://x/'}];"
      L"window.external.setVodClientNav(inner);");
  EXPECT_EQ(script.Eval(L"nested"), L"1");
  EXPECT_EQ(page->StoredUrls(), (Urls{{L"list", L""}, {L"player", L""}, {L"x", L"http://x/"}}));
  // One element past the read bound, then ever new ids past the bound on kept ids.
  const std::wstring bound = std::to_wstring(kMaxNavItems);
  Run(L"var items = []; for (var i = 0; i <= " + bound + L"; ++i) items.push({id: i < " + bound +
      L" ? 'list' : 'late', url: 'u' + i}); window.external.setVodClientNav(items);");
  EXPECT_EQ(page->StoredUrls(), (Urls{{L"list", L"u" + std::to_wstring(kMaxNavItems - 1)}, {L"player", L""}, {L"x", L"http://x/"}}));
  Run(L"for (var call = 0; call < 2; ++call) {"
      L"  var items = []; for (var i = 0; i < 200; ++i) items.push({id: call + '-' + i, url: 'u'});"
      L"  window.external.setVodClientNav(items); }");
  EXPECT_EQ(page->StoredUrls().size(), kMaxNavEntries);
  EXPECT_EQ(page->StoredUrls().count(L"list"), 1u);
}

TEST_F(browser_test, shipped_page_script_drives_the_window_and_gets_callback_text_exactly) {
  Run(L"var shown = []; bridge.start('res://k.exe/bridge.html#player', {show: function (b) {"
      L"  shown.push(b.tab + ' ' + b.version); }});");
  EXPECT_EQ(page->StoredUrls(), (Urls{{L"list", L"res://k.exe/bridge.html#list"}, {L"player", L"res://k.exe/bridge.html#player"}}));
  Run(L"bridge.select('res://k.exe/bridge.html#list');");
  EXPECT_EQ(told.tabs, (std::vector<std::wstring>{L"player", L"list"}));
  EXPECT_EQ(script.Eval(L"shown.join()"), L"player 1.0.2.3,list 1.0.2.3");
  // Through its own callback one hostile item comes back exactly, and nothing runs; the escaping
  // of each character is tested natively.
  const std::wstring url = L"u\\\"+(canary=1)+\"", name = L"F.torrent:x\"+(canary=2)+\".torrent";
  DragCallbackText text;
  text.Add(url, name);
  VARIANT argument{};
  argument.vt = VT_BSTR, argument.bstrVal = SysAllocStringLen(text.Text().data(), UINT(text.Text().size()));
  DISPPARAMS params{&argument, nullptr, 1, 0};
  EXPECT_EQ(page->CallPageFunction(L"vodClientDragCallback", &params, nullptr), S_OK);
  VariantClear(&argument);
  EXPECT_EQ(script.Eval(L"[canary].concat(bridge.received.map(function (r) { return r.url + '|' + r.filename; }))"
                        L".join('|')"), L"0|" + url + L"|" + name);
}

// Names as the script spells them, exactly; the version also as a property; no argument names.
TEST_F(browser_test, method_names_are_matched_exactly) {
  Run(L"var read = window.external.getVodClientVer, failed = [];"
      L"var names = ['setVodClientTab', 'SetVodClientTab', 'setvodclienttab', 'setVodClientTa'];"
      L"for (var i in names) try { window.external[names[i]]('list'); } catch (e) { failed.push(names[i]); }");
  EXPECT_EQ(script.Eval(L"read"), L"1.0.2.3");
  EXPECT_EQ(script.Eval(L"failed.join()"), L"SetVodClientTab,setvodclienttab,setVodClientTa");
  LPOLESTR names[2] = {const_cast<LPOLESTR>(L"setVodClientTab"), const_cast<LPOLESTR>(L"name")};
  std::array<DISPID, 2> ids = {0, 0};
  EXPECT_EQ(page->External()->GetIDsOfNames(IID_NULL, names, 2, 0, ids.data()), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids, (std::array<DISPID, 2>{DISPID_SETVODCLIENTTAB, DISPID_UNKNOWN}));
}

// Video torrents among the dragged files reach the page; anything else is refused: a hostile
// list whole, and without reading the data the VIP client's drops, a source that offers only
// MOVE and a drag without data.
TEST_F(browser_test, drops_hand_video_torrents_to_the_page_and_refuse_the_rest) {
  const std::wstring video = Make(L"Film.torrent", "mktorrent_single.torrent");
  const std::wstring other = Make(L"Series.torrent", "transmission_multi.torrent");
  const std::wstring noVideo = Make(L"Music.torrent", "mktorrent_no_video.torrent");
  const std::wstring clip = Make(L"clip.mkv", "mktorrent_single.torrent");  // a video, not a torrent
  // "A.torrent" in this folder has 259 characters: all a MAX_PATH buffer holds of the longer path.
  const std::wstring deep(259 - folder.size() - 11, L'd');
  Make(deep);
  Make(deep + L"\\A.torrent", "mktorrent_single.torrent");
  const std::wstring whole = Make(deep + L"\\A.torrent.b.torrent", "transmission_single.torrent");
  const std::wstring film = Item("mktorrent_single.torrent", L"Film.torrent"), filmHeard = L"1 [" + film + L"]";
  // The last name read a video torrent, the one after it not read.
  std::vector<std::wstring> many(kMaxDropNames + 1, clip);
  many[kMaxDropNames - 1] = video;
  many.back() = other;
  const std::string one = DropBlock({video});
  fw::ComPtr<ScriptedPage> bare{new ScriptedPage}, vip{new ScriptedPage};
  vip->SetVipMode();
  // heard: the page's calls and text; reads: of the data; no format: no data object at all
  const struct Row { const char* label; std::string block; HRESULT enter; std::wstring heard; int reads = 2;
                     ScriptedPage* target = nullptr; CLIPFORMAT format = CF_HDROP; DWORD offered = kAnyEffect;
  } rows[] = {
      {"plain .mkv", DropBlock({clip}), E_FAIL, L"1 []"},
      {"two video torrents among others", DropBlock({noVideo, video, clip, other}), S_OK,
       L"1 [" + film + L"," + Item("transmission_multi.torrent", L"Series.torrent") + L"]"},
      {"path longer than MAX_PATH", DropBlock({whole}), S_OK,
       L"1 [" + Item("transmission_single.torrent", L"A.torrent.b.torrent") + L"]"},
      {"ANSI list", DropBlock({video}, false), S_OK, filmHeard},
      {"more names than are read", DropBlock(many), S_OK, filmHeard},
      {"names past the block", DropBlock(0x7FFFFFF0, true, one.substr(20)), E_FAIL, L"0 "},
      {"text", one, E_FAIL, L"0 ", 2, nullptr, CF_UNICODETEXT},
      {"no data object", one, E_FAIL, L"0 ", 0, nullptr, 0},
      {"started from the VIP client", one, E_FAIL, L"0 ", 0, vip.Get()},
      {"page without the callback", one, S_OK, L"0 ", 2, bare.Get()},
      {"the source offering only MOVE", one, E_FAIL, L"0 ", 0, nullptr, CF_HDROP, DROPEFFECT_MOVE}};
  for (const Row& r : rows) {
    Run(L"calls = 0; bridge.text = '';");
    FileList files(r.block, r.format);
    IDataObject* data = r.format ? &files : nullptr;
    IDropTarget& target = *(r.target ? r.target : page.Get())->DropTarget();
    // Enter, over and drop: COPY when DragEnter took the drag, else NONE; never the MOVE also offered.
    std::array<DWORD, 3> effects = {r.offered, r.offered & (DROPEFFECT_COPY | DROPEFFECT_MOVE), r.offered};
    const std::array<HRESULT, 3> answers = {target.DragEnter(data, MK_LBUTTON, {5, 5}, &effects[0]),
                                            target.DragOver(MK_LBUTTON, {5, 5}, &effects[1]),
                                            target.Drop(data, MK_LBUTTON, {5, 5}, &effects[2])};
    EXPECT_EQ(answers, (std::array<HRESULT, 3>{r.enter, S_OK, r.target == vip.Get() ? E_FAIL : S_OK})) << r.label;
    const DWORD copied = r.enter == S_OK ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    EXPECT_EQ(effects, (std::array<DWORD, 3>{copied, copied, copied})) << r.label;
    EXPECT_EQ(files.requests, r.reads) << r.label;
    EXPECT_EQ(script.Eval(L"calls + ' ' + bridge.text"), r.heard) << r.label;
  }
}

// One OLE apartment for the run; the shared page destroyed at its end.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  OleInitialize(nullptr);
  const int result = RUN_ALL_TESTS();
  if (shared) shared->page->DestroyBrowserHost();
  OleUninitialize();
  return result;
}
