// The program's end while something runs on the window's thread. The quit message is never
// lost: whoever takes it out of the queue posts it again, and every wait ends once it is
// posted. A close that comes while a transfer runs is remembered and acted on when nothing runs
// any more; the running transfer dialog is told, so that it closes if it has not begun.
#pragma once

#include <windows.h>

namespace ui {

// Posts the quit message with `exitCode` and remembers that it was posted: from then on every
// wait of the window's thread ends at once and the main loop ends.
void PostQuit(int exitCode);
// A nested loop took the quit `message` out of the queue: posted again, for the main loop.
void PostQuitAgain(const MSG& message);
bool QuitPosted();

// A run that the program's end must not cut in the middle: a transfer with its dialog, the
// start-up search. Runs may nest; Busy() is true while any is open.
class BusyScope {
public:
    BusyScope();
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};
bool Busy();

// A close (another program's WM_CLOSE, Alt+F4, Escape) that came while busy: remembered, and
// the window set by ListenForEnd gets kEndRequestedMessage posted.
void RememberClose();
// Takes the remembered close: true when there was one.
bool TakeRememberedClose();

// True when the program is to end (a close remembered or the quit posted): a run of transfers
// starts no further file.
bool EndRequested();

// Posted to the listening window when a close is remembered; the window of a transfer that has
// not begun closes itself.
constexpr UINT kEndRequestedMessage = WM_APP + 21;
// The window told about a remembered close (one at a time; null: none).
void ListenForEnd(HWND window);
void StopListeningForEnd(HWND window);

}  // namespace ui
