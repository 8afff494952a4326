#include "tests/browser/browser_support.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <shlobj.h>

#include <cstdio>

namespace test {

// ---- Windows and messages ----

namespace {
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* page = reinterpret_cast<PageHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  const UINT id = LOWORD(wParam);
  if (page && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && (id == ID_TAB_PLAYER || id == ID_TAB_LIST)) {
    page->OnTabButtonClicked(id);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

ParentWindow::ParentWindow(int width, int height) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ParentProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"KpBrowserTestParent";
  RegisterClassExW(&windowClass);  // a second registration fails harmlessly
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, WS_POPUP, FALSE, 0);
  window = CreateWindowExW(0, L"KpBrowserTestParent", L"browser test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                           20, 20, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void ParentWindow::RouteTabCommandsTo(PageHost* page) {
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
}

ParentWindow::~ParentWindow() {
  if (window) DestroyWindow(window);
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (GetTickCount() - start >= milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void Pump(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

// ---- Loopback server ----

LoopbackServer::LoopbackServer() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(socket_, 8);
  int length = sizeof address;
  getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  listener = socket_;
  thread = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
  stopping = true;
  thread.join();
  closesocket(static_cast<SOCKET>(listener));
  WSACleanup();
}

std::wstring LoopbackServer::Url(const std::string& path) const {
  return L"http://127.0.0.1:" + std::to_wstring(port) + Widen(path);
}

std::vector<std::string> LoopbackServer::Paths() const {
  std::lock_guard<std::mutex> guard(lock);
  return paths;
}

bool LoopbackServer::Saw(const std::string& path) const {
  for (const auto& seen : Paths()) {
    if (seen == path) return true;
  }
  return false;
}

void LoopbackServer::Serve() {
  const auto socket_ = static_cast<SOCKET>(listener);
  while (!stopping) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(socket_, &ready);
    timeval wait{0, 50000};
    if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
    SOCKET client = accept(socket_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
      const int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, got);
    }
    const size_t start = request.find(' ');
    const size_t end = start == std::string::npos ? start : request.find(' ', start + 1);
    if (end != std::string::npos) {
      std::lock_guard<std::mutex> guard(lock);
      paths.push_back(request.substr(start + 1, end - start - 1));
    }
    const std::string body = "<html><body>loopback</body></html>";
    const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    send(client, reply.data(), static_cast<int>(reply.size()), 0);
    shutdown(client, SD_BOTH);
    closesocket(client);
  }
}

// ---- The page's script ----

namespace {

// The page's "window": only its "external".
class WindowObject final : public IDispatch {
 public:
  explicit WindowObject(IDispatch* external) : external(external) {}
  virtual ~WindowObject() = default;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references;
    if (!left) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1 || wcscmp(names[0], L"external") != 0) return DISP_E_UNKNOWNNAME;
    ids[0] = 1;
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
    if (id != 1) return DISP_E_MEMBERNOTFOUND;
    if (result) {
      VariantInit(result);
      result->vt = VT_DISPATCH;
      result->pdispVal = external.Get();
      if (result->pdispVal) result->pdispVal->AddRef();
    }
    return S_OK;
  }

 private:
  ULONG references = 1;
  fw::ComPtr<IDispatch> external;
};

}  // namespace

// MinGW's uuid library lacks the 64-bit parser's IID.
constexpr IID kActiveScriptParse64 = {0xC7EF7658, 0xE1EE, 0x480E, {0x97, 0xEA, 0xD5, 0x2C, 0xB4, 0xD7, 0x6D, 0x17}};

ScriptPage::ScriptPage(fw::IDocHostUIHandlerDispatch* handler) {
  fw::ComPtr<IDispatch> external;
  handler->GetExternal(external.Put());
  windowObject.Attach(new WindowObject(external.Get()));
  CLSID jscript;
  if (FAILED(CLSIDFromProgID(L"JScript", &jscript))) return;
  if (FAILED(CoCreateInstance(jscript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, engine.PutVoid()))) return;
  engine.As(kActiveScriptParse64, parser);
  engine->SetScriptSite(this);
  parser->InitNew();
  engine->AddNamedItem(L"window", SCRIPTITEM_ISVISIBLE);
  engine->SetScriptState(SCRIPTSTATE_CONNECTED);
}

ScriptPage::~ScriptPage() {
  script.Reset();
  if (engine) engine->Close();
}

bool ScriptPage::Run(const std::wstring& code) {
  if (!parser) {
    error = L"no JScript engine";
    return false;
  }
  error.clear();
  EXCEPINFO exception{};
  const HRESULT hr = parser->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISVISIBLE,
                                             nullptr, &exception);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  if (FAILED(hr) && error.empty()) error = L"script failed";
  return SUCCEEDED(hr);
}

VARIANT ScriptPage::Eval(const std::wstring& expression) {
  VARIANT result;
  VariantInit(&result);
  if (!parser) return result;
  EXCEPINFO exception{};
  if (FAILED(parser->ParseScriptText(expression.c_str(), nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISEXPRESSION,
                                     &result, &exception))) {
    VariantClear(&result);
  }
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return result;
}

std::wstring ScriptPage::EvalText(const std::wstring& expression) {
  VARIANT value = Eval(expression);
  std::wstring text;
  if (value.vt == VT_BSTR && value.bstrVal) text.assign(value.bstrVal, SysStringLen(value.bstrVal));
  else text = L"<not a string>";
  VariantClear(&value);
  return text;
}

long ScriptPage::EvalInt(const std::wstring& expression) {
  VARIANT value = Eval(expression);
  long number = -999999;
  if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4))) number = value.lVal;
  VariantClear(&value);
  return number;
}

bool ScriptPage::EvalBool(const std::wstring& expression) {
  VARIANT value = Eval(expression);
  const bool truth = value.vt == VT_BOOL && value.boolVal == VARIANT_TRUE;
  VariantClear(&value);
  return truth;
}

IDispatch* ScriptPage::Script() {
  if (!script && engine) engine->GetScriptDispatch(nullptr, script.Put());
  return script.Get();
}

STDMETHODIMP ScriptPage::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_IActiveScriptSite) {
    *object = static_cast<IActiveScriptSite*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP ScriptPage::GetLCID(LCID* locale) {
  *locale = LOCALE_USER_DEFAULT;
  return S_OK;
}

STDMETHODIMP ScriptPage::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) {
  if (info) *info = nullptr;
  if (item) *item = nullptr;
  if (wcscmp(name, L"window") != 0) return TYPE_E_ELEMENTNOTFOUND;
  if ((mask & SCRIPTINFO_IUNKNOWN) && item) {
    *item = windowObject.Get();
    (*item)->AddRef();
  }
  return S_OK;
}

STDMETHODIMP ScriptPage::GetDocVersionString(BSTR* version) {
  *version = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP ScriptPage::OnScriptError(IActiveScriptError* scriptError) {
  EXCEPINFO exception{};
  if (SUCCEEDED(scriptError->GetExceptionInfo(&exception))) {
    error = exception.bstrDescription ? exception.bstrDescription : L"script error";
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  return S_OK;
}

// ---- Data objects ----

DataObject DataObject::Files(const std::vector<std::wstring>& paths) {
  DataObject data;
  data.format = CF_HDROP;
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::wstring list;
  for (const auto& path : paths) list += path + L'\0';
  list += L'\0';
  data.bytes.resize(sizeof header + list.size() * sizeof(wchar_t));
  memcpy(data.bytes.data(), &header, sizeof header);
  memcpy(data.bytes.data() + sizeof header, list.data(), list.size() * sizeof(wchar_t));
  return data;
}

DataObject DataObject::Text(const std::wstring& text) {
  DataObject data;
  data.format = CF_UNICODETEXT;
  data.bytes.resize((text.size() + 1) * sizeof(wchar_t));
  memcpy(data.bytes.data(), text.c_str(), data.bytes.size());
  return data;
}

STDMETHODIMP DataObject::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_IDataObject) {
    *object = static_cast<IDataObject*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP DataObject::GetData(FORMATETC* wanted, STGMEDIUM* medium) {
  ++dataRequests;
  if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return E_OUTOFMEMORY;
  memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = block;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

STDMETHODIMP DataObject::QueryGetData(FORMATETC* wanted) {
  if (!wanted) return E_INVALIDARG;
  if (wanted->cfFormat != format || wanted->dwAspect != DVASPECT_CONTENT || !(wanted->tymed & TYMED_HGLOBAL)) {
    return DV_E_FORMATETC;
  }
  return S_OK;
}

STDMETHODIMP DataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out) out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

// ---- The shared page ----

namespace {
SharedPage* shared = nullptr;
}

SharedPage& Shared() {
  if (!shared) {
    shared = new SharedPage;
    shared->page.CreateBrowserHost(shared->parent.Handle());
  }
  return *shared;
}

void DestroyShared() {
  delete shared;
  shared = nullptr;
}

// ---- Files ----

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::wstring Fixture(const std::wstring& name) { return Widen(KP_TORRENT_FIXTURES) + L"/" + name; }

std::wstring MagnetOf(const std::string& fixtureName) {
  FILE* manifest = _wfopen(Fixture(L"manifest.tsv").c_str(), L"rb");
  if (!manifest) return L"<no manifest>";
  char line[1024];
  std::wstring magnet = L"<not in manifest>";
  while (fgets(line, sizeof line, manifest)) {
    const std::string row(line);
    if (row.compare(0, fixtureName.size() + 1, fixtureName + "\t") != 0) continue;
    const size_t hash = row.find('\t', fixtureName.size() + 1);
    if (hash != std::string::npos) magnet = L"magnet:?xt=urn:btih:" + Widen(row.substr(hash + 1, 40));
    break;
  }
  fclose(manifest);
  return magnet;
}

namespace {

std::wstring Long(const std::wstring& path) {
  std::wstring windows = path;
  for (auto& c : windows) {
    if (c == L'/') c = L'\\';
  }
  return L"\\\\?\\" + windows;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Long(folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
      else DeleteFileW(Long(child).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(Long(folder).c_str());
}

}  // namespace

TempFolder::TempFolder() {
  static int made = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path = std::wstring(temp) + L"kp_browser_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++made);
  CreateDirectoryW(path.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path); }

std::wstring TempFolder::Copy(const std::wstring& fixture, const std::wstring& name) const {
  const std::wstring target = path + L"\\" + name;
  for (size_t slash = target.find(L'\\', path.size() + 1); slash != std::wstring::npos;
       slash = target.find(L'\\', slash + 1)) {
    CreateDirectoryW(Long(target.substr(0, slash)).c_str(), nullptr);
  }
  CopyFileW(Fixture(fixture).c_str(), Long(target).c_str(), FALSE);
  return target;
}

// ---- The shipped page ----

std::wstring BridgeScript() {
  HRSRC found = FindResourceW(nullptr, L"BRIDGE.HTML", MAKEINTRESOURCEW(23));  // RT_HTML
  if (!found) return {};
  const DWORD size = SizeofResource(nullptr, found);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const std::wstring page = Widen(std::string(bytes, size));
  const std::wstring open = L"<script id=\"bridge\">";
  const size_t start = page.find(open);
  if (start == std::wstring::npos) return {};
  const size_t end = page.find(L"</script>", start);
  if (end == std::wstring::npos) return {};
  return page.substr(start + open.size(), end - start - open.size());
}

}  // namespace test
