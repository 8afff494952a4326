// The single-instance rule at start: become the first instance, or hand the command line to
// the running one. Runs before anything a relay does not need.
#pragma once

#include <windows.h>

enum class StartRole {
  kFirst,      // *instanceMutex now holds the single-instance mutex for the life of the process
  kRelayed,    // the running instance's receiver has taken our command line
  kNotRelayed  // nothing of it was carried out: no running instance took it within the
               // bounds, it was too long for the area (the window only came to the front),
               // or the running instance may not be reached (its mutex denies us access)
};

// Exit code of a second start whose command line did not reach the running instance.
inline constexpr int kExitNotRelayed = 3;

[[nodiscard]] StartRole ClaimInstance(const wchar_t* commandLine, HANDLE* instanceMutex);
