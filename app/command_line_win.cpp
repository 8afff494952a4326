// CommandLineToArgvW and PathFileExistsW behind the portable command-line grammar.
#include "app/command_line.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "app/command_area.h"

std::vector<std::wstring> SplitCommandLine(const std::wstring& text) {
  std::vector<std::wstring> tokens;
  // The splitter answers an empty text with this program's own path, which is no token
  // of the text.
  if (text.empty() || text[0] == L'\0') return tokens;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(text.c_str(), &count);
  if (!args) return tokens;
  tokens.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
  for (int i = 0; i < count; ++i) tokens.emplace_back(args[i] ? args[i] : L"");
  LocalFree(args);
  return tokens;
}

bool PathExists(const std::wstring& token) {
  return PathFileExistsW(token.c_str()) != FALSE;
}

void ParseCommandList(const std::wstring& text, CommandList& list) {
  ReadCommandTokens(TokensToCarryOut(text, SplitCommandLine), PathExists, list);
}
