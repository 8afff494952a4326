// Start-up's own address: the welcome page of the module that runs, through the res:
// address rules, unless the build names a site.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/shell_app.h"
#include "browser/url_policy.h"
#include "framework/app_module.h"

fw::AppModule fw::appModule;  // the program's is in main.cpp

TEST(app_shell_test, default_url_is_the_running_module_s_encoded_welcome_page) {
  if (KP_DEFAULT_URL[0]) {
    EXPECT_EQ(ShellApp::DefaultUrl(), KP_DEFAULT_URL);
    return;
  }
  wchar_t path[MAX_PATH];
  const std::wstring module(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  ASSERT_NE(module.find(L'\\'), std::wstring::npos);  // so a raw path would differ
  EXPECT_EQ(ShellApp::DefaultUrl(), ResourceUrl(module, L"start.html"));
}
