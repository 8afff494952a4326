// The command-line grammar: -key:value tokens, bare links and bare paths, read into
// the ordered list that start-up and the relay carry out. Portable; the splitter and
// the file-existence test come from the platform glue (command_line.h on Windows).
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "browser/url_policy.h"

// Keys are unique and visited in ascending code-unit order ("operation" < "path" < ... < "url").
using CommandList = std::map<std::wstring, std::wstring>;

// (key, value) of one token: "-url:a:b" -> ("url", "a:b"); the first character is
// always dropped from the key; no ':' -> (token, ""); ':' at 0 or 1 -> ("", "").
std::pair<std::wstring, std::wstring> SplitToken(const std::wstring& token);

using PathProbe = std::function<bool(const std::wstring& token)>;

// Whether a token may be handed to the file-existence test at all: drive-letter and relative
// paths only. UNC and device forms (two leading separators of either kind, \\?\, \\.\,
// \??\) would make the test reach a remote share or a device, and the relayed text comes
// from any process of the session.
bool IsProbeablePath(const std::wstring& token);

// The relay reading: empties list, then files each non-empty token as "path" (a probeable
// token that exists passes), "url" (a bare link) or its own key, later keys replacing
// earlier ones.
void ReadCommandTokens(const std::vector<std::wstring>& tokens, const PathProbe& exists,
                       CommandList& list);
