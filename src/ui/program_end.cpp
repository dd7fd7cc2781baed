// The program's end while something runs on the window's thread.
#include "ui/program_end.h"

namespace ui {

namespace {

bool g_quitPosted = false;
int g_busy = 0;
bool g_closeRemembered = false;
HWND g_listener = nullptr;

}  // namespace

void PostQuit(int exitCode) {
    g_quitPosted = true;
    PostQuitMessage(exitCode);
}

void PostQuitAgain(const MSG& message) { PostQuit(static_cast<int>(message.wParam)); }

bool QuitPosted() { return g_quitPosted; }

BusyScope::BusyScope() { ++g_busy; }
BusyScope::~BusyScope() { --g_busy; }
bool Busy() { return g_busy > 0; }

void RememberClose() {
    if (g_closeRemembered) return;
    g_closeRemembered = true;
    if (g_listener) PostMessageW(g_listener, kEndRequestedMessage, 0, 0);
}

bool TakeRememberedClose() {
    const bool remembered = g_closeRemembered;
    g_closeRemembered = false;
    return remembered;
}

bool EndRequested() { return g_closeRemembered || g_quitPosted; }

void ListenForEnd(HWND window) { g_listener = window; }

void StopListeningForEnd(HWND window) {
    if (g_listener == window) g_listener = nullptr;
}

}  // namespace ui
