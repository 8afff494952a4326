// The application module and the message loop: one loop per thread, with ordered
// message filters and idle handlers.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

namespace fw {

class MessageFilter {
 public:
  // True when the message was consumed and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;

 protected:
  ~MessageFilter() = default;
};

class IdleHandler {
 public:
  virtual BOOL OnIdle() = 0;

 protected:
  ~IdleHandler() = default;
};

class MessageLoop {
 public:
  void AddMessageFilter(MessageFilter* filter);
  void RemoveMessageFilter(MessageFilter* filter);
  void AddIdleHandler(IdleHandler* handler);
  void RemoveIdleHandler(IdleHandler* handler);

  // Runs until WM_QUIT and returns its value.
  int Run();

  // Whether a message makes idle work pending again: pointer moves, paints and the
  // caret blink come too often to count as activity.
  static bool IsIdleMessage(UINT message);

  // Offers msg to the filters, last registered first. Public for tests.
  bool PreTranslate(MSG* msg);

 private:
  void RunIdleHandlers();

  std::vector<MessageFilter*> filters;
  std::vector<IdleHandler*> idleHandlers;
};

class AppModule {
 public:
  AppModule();
  ~AppModule();
  AppModule(const AppModule&) = delete;
  AppModule& operator=(const AppModule&) = delete;

  HRESULT Init(HINSTANCE instance);
  void Term();
  HINSTANCE Instance() const { return instance; }

  // Registers the loop of the calling thread; false when that thread has one already.
  bool AddMessageLoop(MessageLoop* loop);
  bool RemoveMessageLoop();
  // The loop of the calling thread, or null.
  MessageLoop* GetMessageLoop() const;

 private:
  mutable CRITICAL_SECTION lock;
  std::map<DWORD, MessageLoop*> loops;
  HINSTANCE instance = nullptr;
};

// The process's module. Defined once, in the program's entry file or a test's, before any
// window object whose constructor needs it.
extern AppModule appModule;

}  // namespace fw
