// The relay reading with Windows' own splitter and file-existence test.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/command_line.h"

namespace {

// A folder with a file whose name has a blank, made the current folder for the test.
struct TempFolder {
  TempFolder() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    dir = std::wstring(tmp) + L"kp app test " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    file = dir + L"\\a movie.torrent";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    GetCurrentDirectoryW(MAX_PATH, old);
    SetCurrentDirectoryW(dir.c_str());
  }
  ~TempFolder() {
    SetCurrentDirectoryW(old);
    DeleteFileW(file.c_str());
    RemoveDirectoryW(dir.c_str());
  }
  std::wstring dir, file;
  wchar_t old[MAX_PATH] = {};
};

TEST(app_relay_test, parse_command_list_table) {
  TempFolder files;
  const std::wstring op = L"-operation:bringwindowtotop ";
  const CommandList bring = {{L"operation", L"bringwindowtotop"}};
  auto with = [&](CommandList extra) {
    extra.insert(bring.begin(), bring.end());
    return extra;
  };
  const struct {
    std::wstring text;
    CommandList want;
  } rows[] = {
      {L"", {}},
      {std::wstring(L"\0-url:a", 7), {}},  // the splitter would answer its own program path
      {op, bring},
      {op + L"-title:x\\\"y", with({{L"title", L"x\"y"}})},  // \" is a literal quote
      {op + L"\"\" -title:t", with({{L"title", L"t"}})},     // empty token skipped
      {op + L"\"" + files.file + L"\"", with({{L"path", files.file}})},
      {op + L"\"" + files.dir + L"\"", with({{L"path", files.dir}})},
      {op + L"\"a movie.torrent\"", with({{L"path", L"a movie.torrent"}})},  // the receiver's folder
      {op + L"\"" + files.dir + L"\\missing.torrent\"", with({{L"", L""}})},
      {op + L"\\\\nohost\\share\\x.torrent", with({{L"\\\\nohost\\share\\x.torrent", L""}})},
      // An existing file named through the NT prefix is never probed: \??\UNC\ would reach a share.
      {op + L"\"\\??\\" + files.file + L"\"", with({{L"??\\" + files.file.substr(0, 1), files.file.substr(2)}})},
      // The first token is read by the rule for a program name: no backslash escapes.
      {L"-title:x\\\"y", {{L"title", L"x\\\"y"}}},
      {L"   ", {}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.text));
    CommandList list = {{L"stale", L"entry"}};
    ParseCommandList(r.text, list);
    EXPECT_EQ(list, r.want);
  }
}

}  // namespace
