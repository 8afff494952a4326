// Which urls and titles the program takes from a command line or the page, and the
// address of a page in the program's resources. The relay area
// is writable by any local process, low-integrity ones included, while the page holds the
// user's session: a relayed url must be a web or download link. The user's own command
// line, and the page's tabs, may name any page but a script.
#pragma once

#include <cstddef>
#include <string>

// Tokens a bare download link may begin with, in the order they are tried.
extern const wchar_t* const linkPrefixes[5];

// True when the text begins with a link prefix, ASCII letters compared without case.
bool IsLink(const std::wstring& text);

// "https://" or one of linkPrefixes, ASCII case ignored, after the leading blanks and
// control characters (<= U+0020) that browsers skip.
bool IsNavigableRelayedUrl(const std::wstring& url);

// Anything but a "javascript:" or "vbscript:" url, read as a browser would: leading
// blanks and control characters skipped, tabs and line breaks inside ignored, ASCII case
// ignored.
bool IsNavigableStartupUrl(const std::wstring& url);

// The window keeps at most 1023 characters of a title; a longer one is cut there, or one
// earlier so that a surrogate pair is never split.
inline constexpr std::size_t kMaxTitleLength = 1023;
std::wstring TruncateTitle(const std::wstring& title);

// The res: address of the resource `name` in the module at modulePath. The path is the
// address's host, so '%', '#', blanks and backslashes are percent-encoded ('#' would start
// the resource type, "%41" would be read as 'A'); every other character stays as it is.
// res: takes a module path only as a MAX_PATH string (at most 259 characters and the
// null); a longer path, or an empty one, gives "about:blank".
inline constexpr std::size_t kMaxResModulePath = 259;
std::wstring ResourceUrl(const std::wstring& modulePath, const std::wstring& name);
