// The command-line grammar shared by start-up and the relay.
#include "app/command_list.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::pair<std::wstring, std::wstring> SplitToken(const std::wstring& token) {
  const std::size_t colon = token.find(L':');
  if (colon == std::wstring::npos) return {token, std::wstring()};
  if (colon < 2) return {};
  return {token.substr(1, colon - 1), token.substr(colon + 1)};
}

bool IsProbeablePath(const std::wstring& token) {
  if (token.size() >= 2 && IsSeparator(token[0]) && IsSeparator(token[1])) return false;
  // \??\ hands the rest to the object manager as it stands: \??\UNC\host\share reaches the network.
  return !(token.size() >= 4 && IsSeparator(token[0]) && token[1] == L'?' && token[2] == L'?' &&
           IsSeparator(token[3]));
}

void ReadCommandTokens(const std::vector<std::wstring>& tokens, const PathProbe& exists,
                       CommandList& list) {
  list.clear();
  for (const std::wstring& token : tokens) {
    if (token.empty()) continue;
    if (IsProbeablePath(token) && exists && exists(token)) {
      list[L"path"] = token;
    } else if (IsLink(token)) {
      list[L"url"] = token;
    } else {
      auto kv = SplitToken(token);
      list[std::move(kv.first)] = std::move(kv.second);
    }
  }
}
