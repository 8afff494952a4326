// Url and title rules: see url_policy.h.
#include "browser/url_policy.h"

#include "bencoding/text.h"

namespace bt = zv::encoding::bencoding;

const wchar_t* const linkPrefixes[5] = {L"http://", L"ftp://", L"ed2k://", L"strovik://",
                                        L"magnet:?"};

namespace {

// Browsers skip these before the scheme, so a check must skip them too.
std::size_t SkipLeadingBlanks(const std::wstring& url) {
  std::size_t i = 0;
  while (i < url.size() && static_cast<unsigned long>(url[i]) <= 0x20) ++i;
  return i;
}

bool IsTabOrLineBreak(wchar_t c) { return c == L'\t' || c == L'\r' || c == L'\n'; }

// Whether the scheme, read from url[from] with tabs and line breaks dropped, starts with
// the lower-case prefix.
bool SchemeStartsWith(const std::wstring& url, std::size_t from, const std::wstring& prefix) {
  std::size_t matched = 0;
  for (std::size_t i = from; i < url.size() && matched < prefix.size(); ++i) {
    if (IsTabOrLineBreak(url[i])) continue;
    if (bt::ascii_lower(url[i]) != prefix[matched]) return false;
    ++matched;
  }
  return matched == prefix.size();
}

}  // namespace

bool IsLink(const std::wstring& text) {
  for (const wchar_t* prefix : linkPrefixes) {
    const std::wstring p(prefix);
    if (text.size() < p.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < p.size() && same; ++i) same = bt::ascii_lower(text[i]) == bt::ascii_lower(p[i]);
    if (same) return true;
  }
  return false;
}

bool IsNavigableRelayedUrl(const std::wstring& url) {
  const std::wstring rest = url.substr(SkipLeadingBlanks(url));
  if (IsLink(rest)) return true;
  static const std::wstring https = L"https://";
  if (rest.size() < https.size()) return false;
  for (std::size_t i = 0; i < https.size(); ++i) {
    if (bt::ascii_lower(rest[i]) != https[i]) return false;
  }
  return true;
}

bool IsNavigableStartupUrl(const std::wstring& url) {
  const std::size_t from = SkipLeadingBlanks(url);
  return !SchemeStartsWith(url, from, L"javascript:") && !SchemeStartsWith(url, from, L"vbscript:");
}

std::wstring TruncateTitle(const std::wstring& title) {
  return title.substr(0, bt::whole_units(title, kMaxTitleLength));
}

std::wstring ResourceUrl(const std::wstring& modulePath, const std::wstring& name) {
  if (modulePath.empty() || modulePath.size() > kMaxResModulePath) return L"about:blank";
  std::wstring url = L"res://";
  for (const wchar_t c : modulePath) {
    switch (c) {
      case L'%': url += L"%25"; break;
      case L'#': url += L"%23"; break;
      case L' ': url += L"%20"; break;
      case L'\\': url += L"%5C"; break;
      default: url += c;
    }
  }
  return url + L'/' + name;
}
