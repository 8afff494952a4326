// The window's standing with the shell as an application bar: registered so that the shell
// tells it when a full-screen window opens or closes, and asked where auto-hide bars are,
// which a maximised window must leave room for.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace appbar {

// Every question goes to the shell through here (SHAppBarMessage), so that a test can
// answer for a shell it lacks: Wine has no auto-hide bar.
using ShellMessageFn = UINT_PTR(WINAPI*)(DWORD message, APPBARDATA* data);
extern ShellMessageFn shellMessage;

void Register(HWND window, UINT callbackMessage);
// Before the window is destroyed: the shell keeps a registration until it is removed.
void Unregister(HWND window);

// The edges (skin::EDGE_* bits) of the monitor that hold an auto-hide bar. The shell answers
// through Explorer and may be slow: ask only when maximising.
unsigned AutoHideEdges(HMONITOR monitor, const RECT& monitorRect);

// Whether a full-screen notice is about the window itself: it is in front and covers its
// monitor (a maximised window where no taskbar keeps room).
bool IsOwnFullScreen(HWND window);

}  // namespace appbar
