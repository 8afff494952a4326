// What the page host's small COM objects share: one count, which decides when the host and
// every part go, and a QI table per part. A new role (an event sink of the control, say) is
// one more PagePart, made a member of the host; it answers its own interfaces, so its
// IDispatch does not fight window.external's.
#pragma once

#include <windows.h>
#include <ole2.h>

// The host's count. The control calls on the window's thread only, so no interlocked
// count is needed; the last Release deletes the host, its parts with it.
class PageLife {
 public:
  ULONG AddRef() { return ++references; }
  ULONG Release() {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

 protected:
  PageLife() = default;
  virtual ~PageLife() = default;

 private:
  ULONG references = 0;
};

// One role: its own COM identity (IUnknown and Interface answer this object, nothing else
// does), living as long as the host. Base, when given, implements Interface's defaults.
template <class Interface, class Base = Interface>
class PagePart : public Base {
 public:
  explicit PagePart(PageLife& life) : life(life) {}
  PagePart(const PagePart&) = delete;
  PagePart& operator=(const PagePart&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = iid == IID_IUnknown || iid == __uuidof(Interface) ? static_cast<Interface*>(this) : nullptr;
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return life.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return life.Release(); }

 protected:
  ~PagePart() = default;

 private:
  PageLife& life;
};

// An IDispatch called by name or id only: it has no type information to give.
class UntypedDispatch : public IDispatch {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

 protected:
  ~UntypedDispatch() = default;
};

// A VARIANT cleared when it goes.
struct Variant {
  Variant() { VariantInit(&value); }
  ~Variant() { VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT value;
};
