// What the browser tests share: a parent window that routes tab clicks, a message pump with
// a deadline, a loopback HTTP server, JScript standing in for the page, a dragged file list,
// fixture torrents, and the run's one WebBrowser page (its window takes ~2 s to die).
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <activscp.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browser/page_host.h"

namespace test {

inline constexpr wchar_t kNoControl[] = L"{00000000-0000-0000-0000-00000000BEEF}";

inline std::wstring Widen(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), int(wide.size())));
  return wide;
}

// Where the parent window sends tab clicks, as the main window's message map does.
inline PageHost* tabTarget = nullptr;

// A shown top-level window of 994 × 628 client pixels, left to the end of the run (tearing
// one down costs Wine about two seconds).
inline HWND MakeParent() {
  static const ATOM registered = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && tabTarget) tabTarget->OnTabButtonClicked(LOWORD(wParam));
      return DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.lpszClassName = L"KpBrowserTest";
    return RegisterClassW(&windowClass);
  }();
  return CreateWindowExW(0, MAKEINTATOM(registered), L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, 994, 628,
                         nullptr, nullptr, nullptr, nullptr);
}

// Dispatches messages until `done` holds (true) or the deadline passes (false).
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000) {
  for (const DWORD start = GetTickCount();;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (done()) return true;
    if (GetTickCount() - start > milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// Answers every request on 127.0.0.1 with a small page and counts the requests by path.
// Lives as long as the run.
class LoopbackServer {
 public:
  LoopbackServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), length);
    listen(listener, 8);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    std::thread([this] { Serve(); }).detach();
  }
  std::wstring Url(const std::string& path) const { return L"http://127.0.0.1:" + std::to_wstring(port) + Widen(path); }
  long Hits(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock);
    return long(std::count(paths.begin(), paths.end(), path));
  }

 private:
  void Serve() {
    for (SOCKET client; (client = accept(listener, nullptr, nullptr)) != INVALID_SOCKET; closesocket(client)) {
      std::string request;
      char buffer[2048];
      for (int got; request.find("\r\n\r\n") == std::string::npos && (got = recv(client, buffer, sizeof buffer, 0)) > 0;) {
        request.append(buffer, got);
      }
      if (request.size() > 4) {
        std::lock_guard<std::mutex> guard(lock);
        paths.push_back(request.substr(4, request.find(' ', 4) - 4));  // after "GET "
      }
      static const char reply[] =
          "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\n\r\n"
          "<html></html>";
      send(client, reply, sizeof reply - 1, 0);
    }
  }
  SOCKET listener;
  int port;
  std::mutex lock;
  std::vector<std::string> paths;
};

// The page's script: JScript, whose `window.external` is what the host's GetExternal gives.
class ScriptPage : public IActiveScriptSite {
 public:
  explicit ScriptPage(fw::IDocHostUIHandlerDispatch* host) {
    host->GetExternal(external.Put());
    CLSID jscript;
    if (FAILED(CLSIDFromProgID(L"JScript", &jscript)) ||
        FAILED(CoCreateInstance(jscript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, engine.PutVoid()))) {
      return;
    }
    // MinGW's uuid library lacks the 64-bit parser's IID.
    constexpr IID kParse64 = {0xC7EF7658, 0xE1EE, 0x480E, {0x97, 0xEA, 0xD5, 0x2C, 0xB4, 0xD7, 0x6D, 0x17}};
    engine.As(kParse64, parser);
    engine->SetScriptSite(this);
    parser->InitNew();
    engine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE);
    engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    Run(L"var window = {external: external};");
  }
  ~ScriptPage() {
    if (engine) engine->Close();
  }

  bool Run(const std::wstring& code) { return Parse(code, SCRIPTTEXT_ISVISIBLE, nullptr); }
  // The expression's value as text; "<failed>" when the script failed.
  std::wstring Eval(const std::wstring& expression) {
    VARIANT value;
    VariantInit(&value);
    std::wstring text = L"<failed>";
    if (Parse(expression, SCRIPTTEXT_ISEXPRESSION, &value) && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR))) {
      text.assign(value.bstrVal, SysStringLen(value.bstrVal));
    }
    VariantClear(&value);
    return text;
  }
  // The engine's global object, as a document's script object.
  fw::ComPtr<IDispatch> Global() {
    fw::ComPtr<IDispatch> global;
    if (engine) engine->GetScriptDispatch(nullptr, global.Put());
    return global;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object = iid == IID_IUnknown || iid == IID_IActiveScriptSite ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetItemInfo(LPCOLESTR, DWORD, IUnknown** item, ITypeInfo** info) override {
    if (info) *info = nullptr;
    if (item) (*item = external.Get())->AddRef();
    return S_OK;
  }
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError*) override { return S_OK; }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }

 private:
  bool Parse(const std::wstring& code, DWORD flags, VARIANT* result) {
    EXCEPINFO exception{};
    const bool ok = parser && SUCCEEDED(parser->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0, flags,
                                                                result, &exception));
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return ok;
  }
  fw::ComPtr<IDispatch> external;
  fw::ComPtr<IActiveScript> engine;
  fw::ComPtr<IActiveScriptParse> parser;
};

// A dragged file list (CF_HDROP); offering another format instead stands in for dragged text.
class FileList : public IDataObject {
 public:
  explicit FileList(const std::vector<std::wstring>& paths, CLIPFORMAT offered = CF_HDROP) : offered(offered) {
    DROPFILES header{sizeof header, {}, FALSE, TRUE};
    std::wstring list;
    for (const auto& path : paths) list += path + L'\0';
    list += L'\0';
    bytes.assign(reinterpret_cast<char*>(&header), reinterpret_cast<char*>(&header + 1));
    bytes.insert(bytes.end(), reinterpret_cast<const char*>(list.data()),
                 reinterpret_cast<const char*>(list.data() + list.size()));
  }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    ++requests;
    if (format->cfFormat != offered || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
    medium->hGlobal = GlobalAlloc(GMEM_FIXED, bytes.size());
    memcpy(medium->hGlobal, bytes.data(), bytes.size());
    return S_OK;
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  int requests = 0;

 private:
  CLIPFORMAT offered;
  std::vector<char> bytes;
};

// A fixture torrent's magnet link, from the manifest the fixture tools wrote.
inline std::wstring MagnetOf(const std::string& fixture) {
  std::ifstream manifest(KP_TORRENT_FIXTURES "/manifest.tsv");
  for (std::string row; std::getline(manifest, row);) {
    if (row.rfind(fixture + "\t", 0) == 0) {
      return L"magnet:?xt=urn:btih:" + Widen(row.substr(row.find('\t', fixture.size() + 1) + 1, 40));
    }
  }
  return L"<not in manifest>";
}

// A fresh folder of fixture copies and sub-folders, paths of any length, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    static int made = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path = temp + (L"kp_browser_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++made));
    CreateDirectoryW(path.c_str(), nullptr);
  }
  ~TempFolder() {
    for (auto entry = made.rbegin(); entry != made.rend(); ++entry) {
      if (!RemoveDirectoryW(Long(*entry).c_str())) DeleteFileW(Long(*entry).c_str());
    }
    RemoveDirectoryW(path.c_str());
  }
  std::wstring Folder(const std::wstring& name) {
    made.push_back(path + L"\\" + name);
    CreateDirectoryW(Long(made.back()).c_str(), nullptr);
    return made.back();
  }
  std::wstring Copy(const std::string& fixture, const std::wstring& name) {
    made.push_back(path + L"\\" + name);
    CopyFileW((Widen(KP_TORRENT_FIXTURES "/") + Widen(fixture)).c_str(), Long(made.back()).c_str(), FALSE);
    return made.back();
  }

 private:
  static std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }
  std::wstring path;
  std::vector<std::wstring> made;
};

// The bridge block of the shipped page, from the program's HTML resource.
inline std::wstring BridgeScript() {
  HRSRC found = FindResourceW(nullptr, L"BRIDGE.HTML", MAKEINTRESOURCEW(23));  // RT_HTML
  if (!found) return {};
  const std::wstring page = Widen(
      std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, found))), SizeofResource(nullptr, found)));
  const std::wstring open = L"<script id=\"bridge\">";
  const size_t start = page.find(open) + open.size();
  return start < open.size() ? std::wstring() : page.substr(start, page.find(L"</script>", start) - start);
}

// The run's page host with the real WebBrowser control, destroyed by main.
struct SharedPage {
  HWND parent = MakeParent();
  LoopbackServer server;
  PageHost page;
};
inline SharedPage* shared = nullptr;
inline SharedPage& Shared() {
  if (!shared) {
    shared = new SharedPage;
    shared->page.CreateBrowserHost(shared->parent);
  }
  return *shared;
}

}  // namespace test
