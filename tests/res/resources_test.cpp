// The version a user, Windows and the page each read, against project(... VERSION).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "browser/page_text.h"
#include "tests/support/test_support.h"

namespace {

std::wstring VersionValue(const std::wstring& name) {
  const std::wstring path = kp_test::ThisExecutable();
  DWORD ignored = 0;
  std::string block(GetFileVersionInfoSizeW(path.c_str(), &ignored), '\0');
  if (block.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return L"?";
  if (name == L"fixed") {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size)) return L"?";
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionLS));
  }
  wchar_t* text = nullptr;
  UINT length = 0;
  const std::wstring key = L"\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &length)) return L"?";
  return std::wstring(text, length ? length - 1 : 0);
}

std::wstring ManifestVersion() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  if (!loaded) return L"?";
  const std::string xml(static_cast<const char*>(LockResource(loaded)), SizeofResource(nullptr, found));
  const std::string::size_type identity = xml.find("<assemblyIdentity");
  const std::string::size_type start = xml.find("version=\"", identity);
  if (identity == std::string::npos || start == std::string::npos) return L"?";
  const std::string::size_type end = xml.find('"', start + 9);
  return std::wstring(xml.begin() + start + 9, xml.begin() + end);
}

TEST(resources_test, every_version_is_the_projects) {
  const struct {
    const char* where;
    std::wstring version;
  } rows[] = {
      {"getVodClientVer", MakeVersionText(4)},
      {"FileVersion text", VersionValue(L"FileVersion")},
      {"ProductVersion text", VersionValue(L"ProductVersion")},
      {"fixed file version", VersionValue(L"fixed")},
      {"manifest", ManifestVersion()},
  };
  for (const auto& row : rows) EXPECT_EQ(row.version, KP_PROJECT_VERSION) << row.where;
}

}  // namespace
