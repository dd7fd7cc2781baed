// Waiting on the window's thread while a transfer runs: for the detector's next datagram, or
// for a pause to end. Meanwhile the windows are painted, timers run and what other programs
// send (questions about the windows' state) is answered; keyboard and mouse input is left in
// the queue, so no menu, accelerator or button can start anything while a transfer runs. When
// the transfer ends, that input is thrown away: a key the operator pressed while the detector
// answered (Escape above all) must not act on whatever comes after the transfer. Once the quit
// message is posted (ui/program_end.h) every wait ends at once, and none of them keeps it.
#pragma once

#include <cstdint>

#include "sys/sys_net.h"

namespace ui {

// Waits until `socket` has a datagram to read or `milliseconds` have passed, serving the
// windows; true when there is a datagram. The transfers' wait.
bool WaitForDatagram(sys::Socket socket, int milliseconds);

// Waits until the sys::MonotonicMs() time `due`, serving the windows the same way.
void WaitUntil(uint64_t due);

// Throws away the keyboard and mouse input queued for this thread (what was typed or clicked
// during a transfer).
void DiscardInput();

// True while one of the waits above is serving a message: a command that comes in then (only
// another program can send one) is not to be run inside the transfer.
bool ServingInsideTransfer();

}  // namespace ui
