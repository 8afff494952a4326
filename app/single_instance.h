// Names a second start uses to find the running instance and hand over its command line.
#pragma once

// Named mutex held for the life of the first instance; a second start sees it exist.
inline constexpr wchar_t kSingleInstanceMutexName[] = L"{0AB6675C-4FD8-4cbe-8544-16360879539D}";

// Put before a second start's own command line, blank included, so that every relayed
// list brings the running window to the front.
inline constexpr wchar_t kBringToTopPrefix[] = L"-operation:bringwindowtotop ";
