// The relay channel's fixed layout, shared with every other build of the program, and
// the bounded reading and writing of its text. Portable so the bounds are checked natively.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "app/single_instance.h"
#include "bencoding/text.h"

// Class and window name of the hidden window that receives kCommandMessage.
inline constexpr wchar_t kCommandWindowName[] = L"MiniShellCommandWindow";
// Named paging-file mapping holding one 0-terminated UTF-16 text; no header.
inline constexpr wchar_t kCommandAreaName[] = L"zv_{76452A10-E57A-4329-AB0A-E1F1D3629888}";
// Lets low-integrity processes open the area for writing.
inline constexpr wchar_t kCommandAreaSecurity[] = L"S:(ML;;NW;;;LW)";
// Our senders take turns on this mutex (named after the area; a mutex cannot share the
// area's own name) across waiting for the area, writing it and posting. The receiver and
// senders of older builds never take it and work as before.
inline constexpr wchar_t kCommandSenderMutexName[] = L"Local\\zv_{76452A10-E57A-4329-AB0A-E1F1D3629888}_sender";
inline constexpr unsigned kCommandMessage = 0x0500;  // WM_USER + 0x100, both parameters 0
inline constexpr std::size_t kCommandAreaBytes = 8192;
inline constexpr std::size_t kCommandAreaUnits = kCommandAreaBytes / 2;
inline constexpr std::size_t kMaxCommandUnits = kCommandAreaUnits - 1;
// Our senders stop two units short of the area's end, so that a longer text is known to
// come from an older sender, which cut its line at the end wherever it fell.
inline constexpr std::size_t kMaxSentUnits = kMaxCommandUnits - 2;

// What a second start relays: the bring-to-top prefix and its own line, whole, or the prefix
// alone when the two do not fit (whole is false). Never a part of the line: keys are
// later-wins, so a line without its last tokens may carry out a url or title the user overrode.
struct RelayText {
  std::wstring text;
  bool whole;
};
inline RelayText MakeRelayText(const std::wstring& commandLine) {
  std::wstring text = kBringToTopPrefix + commandLine;
  if (text.size() <= kMaxSentUnits) return {std::move(text), true};
  return {kBringToTopPrefix, false};
}

// The tokens of a received text to carry out. A text longer than ours ever are was cut by an
// older sender, perhaps inside its last token, which is left out; an older text that was not
// cut and is exactly that long loses its last token too.
template <class Split>
std::vector<std::wstring> TokensToCarryOut(const std::wstring& text, Split&& split) {
  std::vector<std::wstring> tokens = split(text);
  if (text.size() > kMaxSentUnits && !tokens.empty()) tokens.pop_back();
  return tokens;
}

// The text in an area: up to the first 0, at most kMaxCommandUnits. Any process of the
// session may have written the area, so nothing in it is trusted; the result is a private copy.
template <class Unit>
std::wstring ReadCommandArea(const volatile Unit* area) {
  std::wstring text;
  if (!area) return text;
  text.reserve(kMaxCommandUnits);
  for (std::size_t i = 0; i < kMaxCommandUnits; ++i) {
    const Unit c = area[i];
    if (c == 0) break;
    text.push_back(static_cast<wchar_t>(c));
  }
  return text;
}

// Writes text cut to at most kMaxCommandUnits (one less where the cut would split a
// surrogate pair) and its terminator: the bound on any writer; ours never needs the cut.
// The first unit is written last, so a reader polling for "pending" never sees a
// half-written text.
template <class Unit>
void WriteCommandArea(volatile Unit* area, const std::wstring& text) {
  if (!area) return;
  const std::size_t n = zv::encoding::bencoding::whole_units(text, kMaxCommandUnits);
  area[n] = 0;
  for (std::size_t i = 1; i < n; ++i) area[i] = static_cast<Unit>(text[i]);
  std::atomic_thread_fence(std::memory_order_release);
  if (n > 0) area[0] = static_cast<Unit>(text[0]);
}

// Whether ReadCommandArea would give exactly text.
template <class Unit>
bool CommandAreaHolds(const volatile Unit* area, const std::wstring& text) {
  if (!area || text.empty() || text.size() > kMaxCommandUnits) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (static_cast<wchar_t>(area[i]) != text[i]) return false;
  }
  return text.size() == kMaxCommandUnits || area[text.size()] == 0;
}

// Whether the area holds a pending text.
template <class Unit>
bool CommandAreaPending(const volatile Unit* area) {
  return area && area[0] != 0;
}

// The receiver's turn: the pending text goes to dispatch, then the area is freed. Only a
// text taken is freed, and only while it is still there: a message that finds the area free
// writes nothing, since a sender may be storing its first unit that very moment, and a text
// a later sender wrote meanwhile stays for its own message. area is re-read after dispatch,
// which may have closed it.
template <class Unit, class Dispatch>
void TakeCommand(volatile Unit* const& area, Dispatch&& dispatch) {
  const std::wstring text = ReadCommandArea(area);
  if (text.empty()) return;
  dispatch(text);
  if (CommandAreaHolds(area, text)) area[0] = 0;
}
