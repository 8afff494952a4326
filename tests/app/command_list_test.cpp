// The command-line grammar, the command table and the bounds of the shared area's text;
// natively the areas are heap vectors of the exact size, so the sanitizers see any access
// past them.
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>
#include "app/command_area.h"
#include "app/command_list.h"
#include "app/command_table.h"

namespace {

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
using Unit = unsigned short;  // one UTF-16 unit, as in the area on every platform

TEST(command_list_test, read_command_tokens_table) {
  // Everything but options and links "exists", so only the refusal keeps a token from "path".
  auto exists = [](const std::wstring& t) { return t[0] != L'-' && (!IsLink(t) || t == L"http://exists"); };
  const struct Row { std::vector<std::wstring> tokens; Entries entries; } rows[] = {  // entries in list order
      {{L"", L""}, {}},
      {{L"-url:a", L"-url:b", L"ed2k://|f|"}, {{L"url", L"ed2k://|f|"}}},
      {{L"C:\\x.torrent", L"http://exists"}, {{L"path", L"http://exists"}}},
      // A key is what lies between the first character and the first ':', and at least one unit.
      {{L"-url:u", L"-title:t", L"-:e", L"-Zed:z", L"-b:", L"--x:y:z"},
       {{L"", L""}, {L"-x", L"y:z"}, {L"Zed", L"z"}, {L"b", L""}, {L"title", L"t"}, {L"url", L"u"}}},
      // UNC and device forms never reach the probe; they go on as keys, like a missing path.
      {{L"\\\\server\\share\\x", L"/\\server/share", L"\\??\\UNC\\host\\share\\x", L"/?\?/C:/x"},
       {{L"/\\server/share", L""}, {L"?\?/C", L"/x"}, {L"\\??\\UNC\\host\\share\\x", L""}, {L"\\\\server\\share\\x", L""}}}};
  for (const Row& r : rows) {
    CommandList list = {{L"stale", L"entry"}};
    ReadCommandTokens(r.tokens, exists, list);
    EXPECT_EQ(Entries(list.begin(), list.end()), r.entries) << testing::PrintToString(r.tokens);
  }
}

// Each command as the running program hears it, in order.
struct Recorder : CommandTarget {
  void Navigate(const std::wstring& url) override { log += L"url " + url + L";"; }
  void SetTitle(const std::wstring& title) override { log += L"title " + title + L";"; }
  void SetVipMode() override { log += L"vip;"; }
  void Quit() override { log += L"quit;"; }
  void BringToFront() override { log += L"front;"; }
  std::wstring log;
};

TEST(command_list_test, start_up_tokens_then_the_defaults) {
  const std::wstring longTitle(1024, L'x');
  // The page is asked for last, once the window is up; a relayed url before then stands.
  const struct Row { std::vector<std::wstring> tokens; std::wstring log; CommandList relayed = {}; } rows[] = {
      {{}, L"title T;url D;"},
      {{L"-title:Abc", L""}, L"title Abc;url D;"},
      {{L"-url:"}, L"title T;url ;"},  // an empty url is a url: no default page
      {{L"-url:http://a/", L"-title:A B", L"/url:https://b/", L"-title:C"}, L"title A B;title C;url https://b/;"},
      {{L"-url:javascript:alert(1)"}, L"title T;url D;"},  // refused as if none had been given
      {{L"magnet:?xt=urn:btih:00", L"-operation:bringwindowtotop"}, L"title T;url D;"},
      {{L"-quitby:zvvip", L"-startfrom:zvvip"}, L"quit;vip;title T;"},  // the quit at start needs no VIP flag
      {{L"-startfrom:ZVVIP", L"-quitby:other"}, L"title T;url D;"},
      {{L"-title:" + longTitle}, L"title " + longTitle.substr(0, 1023) + L";url D;"},
      {{L"-url:http://a/"}, L"title T;url http://r/;", {{L"url", L"http://r/"}}},
      {{L"-url:http://a/"}, L"title T;front;url http://a/;", {{L"operation", L"bringwindowtotop"}}}};
  for (const Row& r : rows) {
    Recorder program;
    CommandTable table(program);
    table.ApplyStartup(r.tokens, L"D", L"T");
    table.ApplyRelayed(r.relayed);
    table.FinishStartup();
    table.FinishStartup();  // once only
    EXPECT_EQ(program.log, r.log) << testing::PrintToString(r.tokens);
  }
}

TEST(command_list_test, relayed_lists_in_turn) {
  const struct Row { std::vector<CommandList> lists; std::wstring log; } rows[] = {
      {{{{L"operation", L"bringwindowtotop"}, {L"title", L"T"}, {L"url", L"https://a/x"}}}, L"front;title T;url https://a/x;"},
      {{{{L"url", L"MAGNET:?xt=urn:btih:AB"}, {L"path", L"C:\\x.torrent"}}}, L"url MAGNET:?xt=urn:btih:AB;"},
      {{{{L"url", L"javascript:alert(1)"}, {L"operation", L"other"}}}, L""},
      // Only the VIP client that started us may end us: "quitby" comes before "startfrom".
      {{{{L"quitby", L"zvvip"}, {L"startfrom", L"zvvip"}}, {{L"quitby", L"zvvip"}}}, L"vip;quit;"}};
  for (const Row& r : rows) {
    Recorder program;
    CommandTable table(program);
    for (const CommandList& list : r.lists) table.ApplyRelayed(list);
    EXPECT_EQ(program.log, r.log) << testing::PrintToString(r.lists);
  }
}

std::vector<std::wstring> SplitAtBlanks(const std::wstring& text) {
  std::wistringstream in(text);
  return {std::istream_iterator<std::wstring, wchar_t>(in), {}};
}

// What reaches the running instance's grammar from a second start's line, or from an area an
// older sender filled, cutting at the end (where a surrogate pair would split, a unit before).
// The prefix takes the first 28 units.
TEST(command_list_test, a_line_is_carried_out_whole_or_not_at_all) {
  std::vector<Unit> unterminated(kCommandAreaUnits, 0xFFFF);  // must not come back sign-extended
  EXPECT_EQ(ReadCommandArea<Unit>(unterminated.data()), std::wstring(kMaxCommandUnits, wchar_t(0xFFFF)));
  const std::wstring bring = L"-operation:bringwindowtotop", pair = {wchar_t(0xD83C), wchar_t(0xDFAC)};
  auto title = [](std::size_t units, const std::wstring& end = L"") { return L"-title:" + std::wstring(units - 7 - end.size(), L'x') + end; };
  const std::size_t all = std::wstring::npos;  // the text is read back whole
  const struct Row { const char* name; bool older; std::wstring text; bool whole; std::size_t read; std::vector<std::wstring> carried; } rows[] = {
      {"fits to the unit", false, L"-url:a " + title(4058, pair), true, all, {bring, L"-url:a", title(4058, pair)}},
      {"last token straddles", false, L"-url:a " + title(4059, pair), false, all, {bring}},
      {"older, as long as ours", true, bring + L" " + title(4065), true, all, {bring, title(4065)}},
      {"older, one longer", true, bring + L" " + title(4066), true, all, {bring}},
      {"older, cut", true, bring + L" -url:a " + title(5000), true, 4095, {bring, L"-url:a"}},
      // The title starts at unit 35, the pair at 4094, the last unit an older sender keeps.
      {"older, pair not split", true, bring + L" -url:a " + title(4062, pair + L"y"), true, 4094, {bring, L"-url:a"}}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const RelayText relay = r.older ? RelayText{r.text, true} : MakeRelayText(r.text);
    EXPECT_EQ(relay.whole, r.whole);
    std::vector<Unit> area(kCommandAreaUnits, 0x7777);  // an earlier, longer text
    WriteCommandArea<Unit>(area.data(), relay.text);
    const std::wstring read = ReadCommandArea<Unit>(area.data());
    EXPECT_EQ(read, relay.text.substr(0, r.read));
    EXPECT_TRUE(read.size() == kMaxCommandUnits || area[read.size() + 1] == 0x7777) << "wrote past the terminator";
    EXPECT_EQ(TokensToCarryOut(read, SplitAtBlanks), r.carried);
  }
}

// Read-only: a stray message on a free area must not write, as a sender may be storing its first unit.
const Unit kFreeArea[kCommandAreaUnits] = {};

TEST(command_list_test, the_receiver_frees_only_a_text_it_took_and_that_is_still_there) {
  TakeCommand(const_cast<volatile Unit*>(kFreeArea), [](const std::wstring&) { ADD_FAILURE() << "dispatched a free area"; });

  // during: written while the listeners run; close: the area goes away while they run.
  const struct Row { const char* name; const wchar_t* during; bool close; std::wstring left; } rows[] = {
      {"as is", nullptr, false, L""}, {"rewritten", L"-url:later", false, L"-url:later"}, {"closed", nullptr, true, L"-url:first"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::vector<Unit> units(kCommandAreaUnits, 0);
    volatile Unit* view = units.data();
    WriteCommandArea(view, L"-url:first");
    std::vector<std::wstring> taken;
    TakeCommand(view, [&](const std::wstring& text) {
      taken.push_back(text);
      if (r.during) WriteCommandArea(view, r.during);
      if (r.close) view = nullptr;
    });
    EXPECT_EQ(taken, std::vector<std::wstring>{L"-url:first"});
    EXPECT_EQ(ReadCommandArea<Unit>(units.data()), r.left);
  }
}

}  // namespace
