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

bool MessageLoop::PreTranslate(MSG* msg) {
  // A filter may remove itself or others while it runs (a window destroyed by the key it
  // is looking at), so the index is checked again on every step.
  for (std::size_t i = filters.size(); i-- > 0;) {
    if (i >= filters.size()) continue;
    if (filters[i]->PreTranslateMessage(msg)) return true;
  }
  return false;
}

int MessageLoop::Run() {
  MSG msg = {};
  for (;;) {
    // Finding the queue empty also hands what was drawn to the screen, so the task runs
    // after the painting is seen, not merely done.
    if (idleTask && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) std::exchange(idleTask, nullptr)();
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) continue;
    if (got == 0) return static_cast<int>(msg.wParam);
    if (!PreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

HRESULT AppModule::Init(HINSTANCE instance) { return instance ? S_OK : E_INVALIDARG; }

void AppModule::Term() { loop = nullptr; }

bool AppModule::AddMessageLoop(MessageLoop* added) {
  if (loop) return false;
  loop = added;
  return true;
}

void AppModule::RemoveMessageLoop() { loop = nullptr; }

}  // namespace fw
