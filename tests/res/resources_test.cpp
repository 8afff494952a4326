// The version a user, Windows and the page each read, against project(... VERSION).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "browser/page_text.h"
#include "tests/support/test_support.h"

namespace {

// This executable's version resource: L"\\" the fixed file version, else a text of its one
// string table; "?" when missing.
std::wstring VersionValue(const std::wstring& name) {
  const std::wstring path = kp_test::ThisExecutable();
  const std::wstring key = name == L"\\" ? name : L"\\StringFileInfo\\040904B0\\" + name;
  DWORD ignored = 0;
  std::string block(GetFileVersionInfoSizeW(path.c_str(), &ignored), '\0');
  void* value = nullptr;
  UINT length = 0;
  if (block.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
      !VerQueryValueW(block.data(), key.c_str(), &value, &length)) {
    return L"?";
  }
  if (name != L"\\") return std::wstring(static_cast<const wchar_t*>(value), length ? length - 1 : 0);
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
         L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

std::wstring ManifestVersion() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  if (!loaded) return L"?";
  const std::string xml(static_cast<const char*>(LockResource(loaded)), SizeofResource(nullptr, found));
  const std::string::size_type start = xml.find("version=\"", xml.find("<assemblyIdentity"));
  if (start == std::string::npos) return L"?";
  return std::wstring(xml.begin() + start + 9, xml.begin() + xml.find('"', start + 9));
}

TEST(resources_test, every_version_is_the_projects) {
  const struct { const char* where; std::wstring version; } rows[] = {
      {"getVodClientVer", MakeVersionText(4)},
      {"FileVersion text", VersionValue(L"FileVersion")},
      {"ProductVersion text", VersionValue(L"ProductVersion")},
      {"fixed file version", VersionValue(L"\\")},
      {"manifest", ManifestVersion()},
  };
  for (const auto& row : rows) EXPECT_EQ(row.version, KP_PROJECT_VERSION) << row.where;
}

}  // namespace
