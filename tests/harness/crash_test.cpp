// The harness's own check: a test executable that crashes, or ends before its tests do,
// must fail under CTest at once, its output up to then shown. KP_HARNESS_END picks how it
// ends: a fault, a stack overflow, or exit(0) in mid-run; without GoogleTest
// (KP_HARNESS_UNGUARDED) it stands for the program, which has no test main to end it.
#include <cstdio>
#include <cstdlib>

#ifndef KP_HARNESS_UNGUARDED
#include <gtest/gtest.h>
#endif

namespace {

int* volatile nowhere = nullptr;  // opaque to the optimiser, so the write really happens
volatile bool deeper = true;

int Recurse(int depth) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(depth);
  return deeper ? Recurse(depth + 1) + frame[0] : 0;
}

void End() {
  std::puts("kp-harness-marker: ending now");
  std::fflush(stdout);
#if KP_HARNESS_END == 1
  std::printf("%d\n", Recurse(0));
#elif KP_HARNESS_END == 2
  std::exit(0);
#else
  *nowhere = 1;
#endif
}

}  // namespace

#ifdef KP_HARNESS_UNGUARDED
int main() { End(); }
#else
TEST(crash_test, ends) { End(); }
TEST(crash_test, never_runs) {}
#endif
