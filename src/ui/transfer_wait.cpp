// Waiting on the window's thread while a transfer runs.
#include <winsock2.h>
#include <windows.h>

#include "ui/transfer_wait.h"

#include "sys/sys.h"
#include "ui/program_end.h"

namespace ui {

namespace {

// What is served while a transfer waits: painting, timers, messages sent by other threads and
// programs, and a close posted by another program (the window remembers it for the transfer's
// end). Other posted messages and input wait for the transfer's end.
constexpr DWORD kServed = QS_PAINT | QS_TIMER | QS_SENDMESSAGE | QS_POSTMESSAGE;
// A window that never validates itself must not keep the wait serving it for ever.
constexpr int kMostServedAtOnce = 64;
// Input discarded at the end of a transfer, at most; a bound, not a count anyone reaches.
constexpr int kMostDiscarded = 4096;

int g_serving = 0;

// PeekMessage hands out the quit message whatever range it is asked for: taken by mistake, it
// goes back for the main loop, and the wait ends.
bool TookQuit(const MSG& message) {
    if (message.message != WM_QUIT) return false;
    PostQuitAgain(message);
    return true;
}

void ServeQueued() {
    ++g_serving;
    MSG message;
    for (int i = 0; i < kMostServedAtOnce; ++i) {
        if (!PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE) &&
            !PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) &&
            !PeekMessageW(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE))
            break;
        if (TookQuit(message)) break;
        DispatchMessageW(&message);
    }
    // Messages sent from elsewhere are answered inside this call.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    --g_serving;
}

enum class Waited { Signalled, TimeUp, Quit, Failed };

// Waits for `event` (none: only for the time) until `due`, serving the windows meanwhile. Ends
// at once when the quit message is posted (before or during the wait).
Waited WaitServing(HANDLE event, uint64_t due) {
    const DWORD handles = event ? 1 : 0;
    for (;;) {
        if (QuitPosted()) return Waited::Quit;
        const uint64_t now = sys::MonotonicMs();
        if (now >= due) return Waited::TimeUp;
        const DWORD result =
            MsgWaitForMultipleObjectsEx(handles, event ? &event : nullptr, static_cast<DWORD>(due - now), kServed, 0);
        if (event && result == WAIT_OBJECT_0) return Waited::Signalled;
        if (result == WAIT_OBJECT_0 + handles) ServeQueued();
        else if (result != WAIT_TIMEOUT) return Waited::Failed;
        // A time-out is checked against `due` again: the wait's clock is coarser.
    }
}

bool PlainWait(sys::Socket socket, int milliseconds) {
    bool readable = false;
    return sys::WaitReadable(&socket, 1, &readable, milliseconds) > 0;
}

bool Readable(sys::Socket socket) { return PlainWait(socket, 0); }

}  // namespace

bool WaitForDatagram(sys::Socket socket, int milliseconds) {
    // Once the program is ending, no transfer waits for anything.
    if (QuitPosted()) return false;
    // An answer that is there already needs no event.
    if (Readable(socket)) return true;
    const uint64_t due = sys::MonotonicMs() + static_cast<uint64_t>(milliseconds > 0 ? milliseconds : 0);
    // One event for the thread's transfers, which run one at a time; it lives as long as the
    // program.
    static const WSAEVENT arrived = WSACreateEvent();
    if (arrived == WSA_INVALID_EVENT) return PlainWait(socket, milliseconds);
    WSAResetEvent(arrived);
    // The socket stays tied to the event, and so non-blocking, after the wait: the next wait
    // ties it again, and the transfer only receives what a wait has found.
    if (WSAEventSelect(static_cast<SOCKET>(socket), arrived, FD_READ) != 0) return PlainWait(socket, milliseconds);
    // A datagram that came just before the event was tied to the socket may not signal it.
    const Waited waited = Readable(socket) ? Waited::Signalled : WaitServing(arrived, due);
    if (waited == Waited::Quit) return false;
    if (waited == Waited::Failed) {
        const uint64_t now = sys::MonotonicMs();
        return PlainWait(socket, now < due ? static_cast<int>(due - now) : 0);
    }
    return waited == Waited::Signalled || Readable(socket);
}

void WaitUntil(uint64_t due) {
    if (WaitServing(nullptr, due) != Waited::Failed || QuitPosted()) return;
    const uint64_t now = sys::MonotonicMs();
    if (now < due) Sleep(static_cast<DWORD>(due - now));
}

void DiscardInput() {
    MSG message;
    for (int i = 0; i < kMostDiscarded; ++i) {
        // Input as it came from the devices (a click in the frame becomes a non-client message
        // only when it is taken), then key and mouse messages posted as such.
        const bool taken = PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT) ||
                           PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
                           PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) ||
                           PeekMessageW(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE);
        if (!taken || TookQuit(message)) break;
    }
}

bool ServingInsideTransfer() { return g_serving > 0; }

}  // namespace ui
