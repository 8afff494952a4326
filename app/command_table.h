// The one table that carries out commands, the program's own command line at start-up and
// the lists relayed by later starts alike, with the two sources' rules side by side.
// Portable: what a command does to the program goes through CommandTarget.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/command_list.h"

// The running program as commands see it.
class CommandTarget {
 public:
  virtual void Navigate(const std::wstring& url) = 0;
  virtual void SetTitle(const std::wstring& title) = 0;  // at most kMaxTitleLength characters
  virtual void SetVipMode() = 0;
  virtual void Quit() = 0;  // ends the program with exit code 0
  virtual void BringToFront() = 0;

 protected:
  ~CommandTarget() = default;
};

enum class CommandSource { kStartup, kRelay };

class CommandTable {
 public:
  explicit CommandTable(CommandTarget& target) : target(target) {}

  // The program's own tokens, in order; then the defaults for a url or title not given.
  // The page is not asked for yet: see FinishStartup.
  void ApplyStartup(const std::vector<std::wstring>& tokens, const std::wstring& defaultUrl,
                    const std::wstring& defaultTitle);
  // Navigates to the start-up page, once the window is on screen: unless start-up asked to
  // quit, or a relayed url came first and stands.
  void FinishStartup();
  // A relayed list, in key order.
  void ApplyRelayed(const CommandList& list);

 private:
  // False when the command was refused or is not one of ours.
  bool Apply(const std::wstring& key, const std::wstring& value, CommandSource source);

  CommandTarget& target;
  bool vip = false;  // started by the VIP client: set once, never cleared
  std::optional<std::wstring> startupUrl;  // until FinishStartup
  bool quitAtStart = false;
};
