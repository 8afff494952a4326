// One owning COM pointer, so that no reference leaks on an early return.
#pragma once

#include <unknwn.h>

#include <utility>

namespace fw {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(T* p) : ptr(p) { if (ptr) ptr->AddRef(); }  // NOLINT: adopting a borrowed pointer adds a reference
  ComPtr(const ComPtr& other) : ComPtr(other.ptr) {}
  ComPtr(ComPtr&& other) noexcept : ptr(std::exchange(other.ptr, nullptr)) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(ptr, other.ptr);
    return *this;
  }

  T* Get() const { return ptr; }
  T* operator->() const { return ptr; }
  explicit operator bool() const { return ptr != nullptr; }

  void Reset() {
    if (ptr) std::exchange(ptr, nullptr)->Release();
  }
  // For out-parameters: releases what is held, then hands out the slot.
  T** Put() {
    Reset();
    return &ptr;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  // Takes over a reference the caller already owns.
  void Attach(T* p) {
    Reset();
    ptr = p;
  }
  T* Detach() { return std::exchange(ptr, nullptr); }

  template <class U>
  HRESULT As(REFIID iid, ComPtr<U>& out) const {
    if (!ptr) return E_POINTER;
    return ptr->QueryInterface(iid, out.PutVoid());
  }

 private:
  T* ptr = nullptr;
};

}  // namespace fw
