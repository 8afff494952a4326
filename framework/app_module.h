// The application module and the message loop of the program's one user-interface
// thread, with ordered message filters.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

namespace fw {

class MessageFilter {
 public:
  // True when the message was consumed and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;

 protected:
  ~MessageFilter() = default;
};

class MessageLoop {
 public:
  void AddMessageFilter(MessageFilter* filter);
  void RemoveMessageFilter(MessageFilter* filter);

  // Runs until WM_QUIT and returns its value.
  int Run();
  // Runs task once, the first time the loop finds no message waiting, paints included; never
  // if the loop ends first.
  void WhenIdle(std::function<void()> task) { idleTask = std::move(task); }

  // Offers msg to the filters, last registered first. Public for tests.
  bool PreTranslate(MSG* msg);

 private:
  std::vector<MessageFilter*> filters;
  std::function<void()> idleTask;
};

class AppModule {
 public:
  // Start-up's status: the program's instance handle must be known.
  [[nodiscard]] HRESULT Init(HINSTANCE instance);
  void Term();

  // The one user-interface thread's loop: windows find it here to register their filters.
  // False when a loop is registered already.
  [[nodiscard]] bool AddMessageLoop(MessageLoop* loop);
  void RemoveMessageLoop();
  // The registered loop, or null.
  MessageLoop* GetMessageLoop() const { return loop; }

 private:
  MessageLoop* loop = nullptr;
};

// The process's module. Defined once, in the program's entry file or a test's, before any
// window object whose constructor needs it.
extern AppModule appModule;

}  // namespace fw
