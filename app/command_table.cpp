#include "app/command_table.h"

#include "browser/url_policy.h"

namespace {

constexpr wchar_t kVip[] = L"zvvip";

}  // namespace

bool CommandTable::Apply(const std::wstring& key, const std::wstring& value, CommandSource source) {
  const bool startup = source == CommandSource::kStartup;
  if (key == L"url") {
    // A relayed url comes from any process of the session; the user's own may be any page
    // but a script, and a refused one counts as none given.
    if (!(startup ? IsNavigableStartupUrl(value) : IsNavigableRelayedUrl(value))) return false;
    if (startup) {
      startupUrl = value;
    } else {
      startupUrl.reset();
      target.Navigate(value);
    }
  } else if (key == L"title") {
    target.SetTitle(TruncateTitle(value));
  } else if (key == L"startfrom" && value == kVip) {
    vip = true;
    target.SetVipMode();
  } else if (key == L"quitby" && value == kVip && (startup || vip)) {
    // Relayed, only the VIP client that started us may end us.
    quitAtStart |= startup;
    target.Quit();
  } else if (key == L"operation" && value == L"bringwindowtotop" && !startup) {
    target.BringToFront();
  } else {
    return false;
  }
  return true;
}

void CommandTable::ApplyStartup(const std::vector<std::wstring>& tokens, const std::wstring& defaultUrl,
                                const std::wstring& defaultTitle) {
  bool urlGiven = false, titleGiven = false;
  for (const std::wstring& token : tokens) {
    if (token.empty()) continue;
    const auto [key, value] = SplitToken(token);
    const bool applied = Apply(key, value, CommandSource::kStartup);
    urlGiven |= applied && key == L"url";
    titleGiven |= applied && key == L"title";
  }
  if (!urlGiven) startupUrl = defaultUrl;
  if (!titleGiven) target.SetTitle(defaultTitle);
}

void CommandTable::FinishStartup() {
  if (startupUrl && !quitAtStart) target.Navigate(*startupUrl);
  startupUrl.reset();
}

void CommandTable::ApplyRelayed(const CommandList& list) {
  for (const auto& [key, value] : list) Apply(key, value, CommandSource::kRelay);
}
