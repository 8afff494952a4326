// A page's script for the Windows tests: JScript with a window.external of the test's
// choosing, and a COM object of the test's own.
#pragma once

#include <windows.h>
#include <activscp.h>

#include <string>

#include "framework/com_ptr.h"

// A COM object of the test's own, on the stack or static: one interface, not counted.
template <class Interface>
struct Uncounted : Interface {
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    return (*object = iid == IID_IUnknown || iid == __uuidof(Interface) ? this : nullptr) ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
};

// The page's script: JScript, whose `window.external` is the object given.
class ScriptPage : public Uncounted<IActiveScriptSite> {
 public:
  explicit ScriptPage(IDispatch* given) : external(given) {
    // MinGW's uuid library lacks the 64-bit parser's IID.
    constexpr IID kParse64 = {0xC7EF7658, 0xE1EE, 0x480E, {0x97, 0xEA, 0xD5, 0x2C, 0xB4, 0xD7, 0x6D, 0x17}};
    constexpr CLSID kJScript = {0xF414C260, 0x6AC0, 0x11CF, {0xB6, 0xD1, 0x00, 0xAA, 0x00, 0xBB, 0xBB, 0x58}};
    if (FAILED(CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, engine.PutVoid()))) return;
    engine.As(kParse64, parser);
    // ES5, getters included, as a page gets it that asks for the newest document mode.
    constexpr IID kProperty = {0x4954E0D0, 0xFBC7, 0x11D1, {0x84, 0x10, 0x00, 0x60, 0x08, 0xC3, 0xFB, 0xFC}};
    fw::ComPtr<IActiveScriptProperty> property;
    VARIANT es5{};  // the number as Wine's engine and the HTML host spell it
    es5.vt = VT_I4, es5.lVal = 0x502;
    if (SUCCEEDED(engine.As(kProperty, property))) property->SetProperty(SCRIPTPROP_INVOKEVERSIONING, nullptr, &es5);
    engine->SetScriptSite(this);
    parser->InitNew();
    engine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE);
    engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    Run(L"var window = {external: external};");
  }
  ~ScriptPage() { if (engine) engine->Close(); }

  bool Run(const std::wstring& code, DWORD flags = SCRIPTTEXT_ISVISIBLE, VARIANT* result = nullptr) {
    return parser && SUCCEEDED(parser->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0, flags, result,
                                                       nullptr));
  }
  std::wstring Eval(const std::wstring& expression) {
    VARIANT value{};
    std::wstring text = L"<failed>";
    if (Run(expression, SCRIPTTEXT_ISEXPRESSION, &value) && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR))) {
      text.assign(value.bstrVal, SysStringLen(value.bstrVal));
    }
    VariantClear(&value);
    return text;
  }

  STDMETHODIMP GetItemInfo(LPCOLESTR, DWORD, IUnknown** item, ITypeInfo** info) override {
    if (info) *info = nullptr;
    if (item) (*item = external.Get())->AddRef();
    return S_OK;
  }
  STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError*) override { return S_OK; }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }

  fw::ComPtr<IDispatch> external;
  fw::ComPtr<IActiveScript> engine;
  fw::ComPtr<IActiveScriptParse> parser;
};
