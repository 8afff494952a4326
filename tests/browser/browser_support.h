// What the browser tests share: a plain parent window, a message pump with a deadline,
// a loopback HTTP server, the JScript engine standing in for the page, a file-list data
// object, and the one WebBrowser-hosting page of the run (its window takes ~2 s to die).
#pragma once

#include <windows.h>
#include <activscp.h>
#include <ole2.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browser/page_host.h"
#include "framework/com_ptr.h"

namespace test {

// A top-level window of 994 × 628 client pixels, shown, destroyed with the object.
class ParentWindow {
 public:
  ParentWindow(int width = 994, int height = 628);
  ~ParentWindow();
  HWND Handle() const { return window; }
  // Tab-button clicks (WM_COMMAND, BN_CLICKED) go to the page, as the main window's map sends them.
  void RouteTabCommandsTo(PageHost* page);

 private:
  HWND window = nullptr;
};

// Dispatches messages until `done` or the deadline; true when `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds);
void Pump(DWORD milliseconds);

// Answers every GET on 127.0.0.1 with a small page and records the request paths.
class LoopbackServer {
 public:
  LoopbackServer();
  ~LoopbackServer();
  std::wstring Url(const std::string& path) const;
  std::vector<std::string> Paths() const;
  bool Saw(const std::string& path) const;

 private:
  void Serve();
  uintptr_t listener = ~uintptr_t(0);
  int port = 0;
  std::thread thread;
  std::atomic<bool> stopping{false};
  mutable std::mutex lock;
  std::vector<std::string> paths;
};

// The page's script: JScript with a "window" whose "external" is what the page host's
// GetExternal gives.
class ScriptPage : public IActiveScriptSite {
 public:
  explicit ScriptPage(fw::IDocHostUIHandlerDispatch* handler);
  ~ScriptPage();

  // Runs statements; false (and Error() says why) when the script failed.
  bool Run(const std::wstring& code);
  // Evaluates an expression; VT_EMPTY when it failed.
  VARIANT Eval(const std::wstring& expression);
  std::wstring EvalText(const std::wstring& expression);
  long EvalInt(const std::wstring& expression);
  bool EvalBool(const std::wstring& expression);
  IDispatch* Script();  // the engine's global object, as a document's script object
  const std::wstring& Error() const { return error; }

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetLCID(LCID* locale) override;
  STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) override;
  STDMETHODIMP GetDocVersionString(BSTR* version) override;
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError* scriptError) override;
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }

 private:
  fw::ComPtr<IActiveScript> engine;
  fw::ComPtr<IActiveScriptParse> parser;
  fw::ComPtr<IDispatch> windowObject;
  fw::ComPtr<IDispatch> script;
  std::wstring error;
};

// A data object holding one format: a CF_HDROP list of paths, or a text (CF_UNICODETEXT).
class DataObject : public IDataObject {
 public:
  static DataObject Files(const std::vector<std::wstring>& paths);
  static DataObject Text(const std::wstring& text);

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  int dataRequests = 0;

 private:
  CLIPFORMAT format = 0;
  std::vector<char> bytes;  // the whole global block
};

// The page host of the run with the real WebBrowser control, in its own parent window,
// navigated to the loopback server.
struct SharedPage {
  ParentWindow parent;
  LoopbackServer server;
  PageHost page;
};
SharedPage& Shared();
void DestroyShared();

// Fixture torrents and their info-hashes (from the manifest the fixture tools wrote).
std::wstring Fixture(const std::wstring& name);
std::wstring MagnetOf(const std::string& fixtureName);

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::wstring& Path() const { return path; }
  // Copies a fixture to `name` in this folder (which may have sub-folders) and gives the path.
  std::wstring Copy(const std::wstring& fixture, const std::wstring& name) const;

 private:
  std::wstring path;
};

// The bridge block of the shipped page, from the program's HTML resource.
std::wstring BridgeScript();

std::wstring Widen(const std::string& text);

}  // namespace test
