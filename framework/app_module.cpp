// The application module and the message loop.
#include "framework/app_module.h"

#include <algorithm>

namespace fw {

namespace {

template <class T>
void Erase(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

void MessageLoop::AddMessageFilter(MessageFilter* filter) { filters.push_back(filter); }
void MessageLoop::RemoveMessageFilter(MessageFilter* filter) { Erase(filters, filter); }
void MessageLoop::AddIdleHandler(IdleHandler* handler) { idleHandlers.push_back(handler); }
void MessageLoop::RemoveIdleHandler(IdleHandler* handler) { Erase(idleHandlers, handler); }

bool MessageLoop::IsIdleMessage(UINT message) {
  return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE || message == WM_PAINT ||
         message == 0x0118;  // the caret-blink timer
}

bool MessageLoop::PreTranslate(MSG* msg) {
  // A filter may remove itself or others while it runs (a window destroyed by the key it
  // is looking at), so the index is checked again on every step.
  for (std::size_t i = filters.size(); i-- > 0;) {
    if (i >= filters.size()) continue;
    if (filters[i]->PreTranslateMessage(msg)) return true;
  }
  return false;
}

void MessageLoop::RunIdleHandlers() {
  for (std::size_t i = 0; i < idleHandlers.size(); ++i) idleHandlers[i]->OnIdle();
}

int MessageLoop::Run() {
  bool idlePending = true;
  MSG msg = {};
  for (;;) {
    if (idlePending && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      RunIdleHandlers();
      idlePending = false;
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) continue;
    if (got == 0) return static_cast<int>(msg.wParam);
    if (!PreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (!IsIdleMessage(msg.message)) idlePending = true;
  }
}

AppModule::AppModule() { InitializeCriticalSection(&lock); }
AppModule::~AppModule() { DeleteCriticalSection(&lock); }

HRESULT AppModule::Init(HINSTANCE moduleInstance) {
  if (!moduleInstance) return E_INVALIDARG;
  instance = moduleInstance;
  return S_OK;
}

void AppModule::Term() {
  EnterCriticalSection(&lock);
  loops.clear();
  LeaveCriticalSection(&lock);
}

bool AppModule::AddMessageLoop(MessageLoop* loop) {
  EnterCriticalSection(&lock);
  const bool added = loops.emplace(GetCurrentThreadId(), loop).second;
  LeaveCriticalSection(&lock);
  return added;
}

bool AppModule::RemoveMessageLoop() {
  EnterCriticalSection(&lock);
  const bool removed = loops.erase(GetCurrentThreadId()) != 0;
  LeaveCriticalSection(&lock);
  return removed;
}

MessageLoop* AppModule::GetMessageLoop() const {
  EnterCriticalSection(&lock);
  auto it = loops.find(GetCurrentThreadId());
  MessageLoop* loop = it == loops.end() ? nullptr : it->second;
  LeaveCriticalSection(&lock);
  return loop;
}

}  // namespace fw
