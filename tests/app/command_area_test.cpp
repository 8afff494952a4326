// Bounds of the shared command area's text: what a receiver reads from an area any process
// may have written, what a sender leaves in it, and when the receiver frees it. Heap buffers
// of the exact size, so a read or write past the end trips the sanitizers natively.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include "app/command_area.h"

namespace {

using Unit = unsigned short;  // one UTF-16 code unit, as in the area on every platform
constexpr std::size_t npos = std::wstring::npos;

std::wstring Letters(std::size_t n) {
  std::wstring text;
  for (std::size_t i = 0; i < n; ++i) text.push_back(static_cast<wchar_t>(L'a' + i % 26));
  return text;
}

TEST(app_test, read_and_write_area_table) {
  const struct {
    std::size_t zeroAt, want;  // first 0 (kCommandAreaUnits for none), length read
  } reads[] = {{0, 0}, {4095, 4095}, {kCommandAreaUnits, 4095}};  // unterminated: cut, nothing past the view
  const Unit high = 0xFFFF;  // must come back as the same unit, not sign-extended
  for (const auto& r : reads) {
    std::vector<Unit> area(kCommandAreaUnits, high);
    if (r.zeroAt < area.size()) area[r.zeroAt] = 0;
    EXPECT_EQ(ReadCommandArea<Unit>(area.data()), std::wstring(r.want, static_cast<wchar_t>(high))) << r.zeroAt;
  }
  EXPECT_TRUE(ReadCommandArea<Unit>(nullptr).empty());

  const struct {
    std::size_t textChars, highAt;  // a high surrogate there (npos: none), a low one after it if pair
    bool pair;
    std::size_t want;
  } writes[] = {
      {1, npos, false, 1}, {4095, npos, false, 4095}, {4096, npos, false, 4095}, {9000, npos, false, 4095},
      {5000, 4094, true, 4094},   // a pair straddling the cut goes whole
      {5000, 4093, true, 4095},   // a pair ending at the cut stays
      {5000, 4094, false, 4095},  // a lone high half is cut like any unit
  };
  for (const auto& r : writes) {
    std::vector<Unit> area(kCommandAreaUnits, 0x7777);  // stands for an older, longer text
    std::wstring text = Letters(r.textChars);
    if (r.highAt != npos) text[r.highAt] = static_cast<wchar_t>(0xD83C);
    if (r.pair) text[r.highAt + 1] = static_cast<wchar_t>(0xDFAC);
    WriteCommandArea<Unit>(area.data(), text);
    EXPECT_EQ(ReadCommandArea<Unit>(area.data()), text.substr(0, r.want)) << r.textChars << " " << r.highAt;
    EXPECT_EQ(area[r.want], 0);
    if (r.want + 1 < area.size()) {
      EXPECT_EQ(area[r.want + 1], 0x7777) << "wrote past the terminator";
    }
  }
}

// An area of zeros that faults on any write.
struct ReadOnlyArea {
#ifdef _WIN32
  ReadOnlyArea() : units(static_cast<Unit*>(VirtualAlloc(nullptr, kCommandAreaBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY))) {}
  ~ReadOnlyArea() { VirtualFree(units, 0, MEM_RELEASE); }
#else
  ReadOnlyArea()
      : units(static_cast<Unit*>(mmap(nullptr, kCommandAreaBytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))) {}
  ~ReadOnlyArea() { munmap(units, kCommandAreaBytes); }
#endif
  Unit* units;
};

TEST(app_test, the_receiver_frees_only_a_text_it_took_and_that_is_still_there) {
  // A free area is only read: a sender may be storing its first unit that very moment.
  ReadOnlyArea free;
  volatile Unit* area = free.units;
  int calls = 0;
  TakeCommand(area, [&](const std::wstring&) { ++calls; });
  EXPECT_EQ(calls, 0);

  const struct {
    const char* label;
    const wchar_t* during;  // written while the listeners run; null for nothing
    bool close;             // the area goes away while they run
    std::wstring left;
  } rows[] = {
      {"taken and freed", nullptr, false, L""},
      {"a later sender's text stays", L"-url:later", false, L"-url:later"},
      {"closed meanwhile: not touched", nullptr, true, L"-url:first"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
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
