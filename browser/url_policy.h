// Which urls and titles the program takes from a command line or the page. The relay area
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
