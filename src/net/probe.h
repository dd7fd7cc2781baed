// Is the detector there? A TCP connection attempt to its port 1533 with a short wait: for one
// address, for many at once, or in the background while the window goes on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sys/sys_net.h"

constexpr uint16_t kProbePort = 1533;
constexpr int kProbeWaitMs = 100;

// Tries all `count` addresses at once, each given `waitMs` from the start of its own attempt:
// the index of the first address (in the order given) whose connection was established within
// its wait, the one that trying them one after another would have found, or -1 when none was.
// Before an attempt counts as not answering, every socket is looked at once more without
// waiting, so that a busy thread that comes back late still sees the connections made
// meanwhile. It returns once the first address still undecided has answered, or when every
// attempt is settled or has had its wait. An address whose socket cannot be opened counts as
// not answering; every socket is closed before it returns. At most sys::kMaxWaitedConnections
// addresses are tried.
int FirstAnswering(const sys::Endpoint* addresses, size_t count, int waitMs);

// One probe that never waits: started, looked at now and then, ended.
enum class ProbeOutcome { Pending, Answered, NoAnswer };

struct ProbeAttempt {
    sys::Endpoint address;
    sys::Socket socket = sys::kNoSocket;
    sys::ConnectState state = sys::ConnectState::Failed;
    uint64_t startedMs = 0;  // sys::MonotonicMs when the connection was started

    // Until EndProbe.
    bool Open() const { return socket != sys::kNoSocket; }
};

// Opens a socket and starts the connection to `address`, without waiting; its wait runs from
// then on. An attempt whose socket cannot be opened has failed at once.
ProbeAttempt StartProbe(const sys::Endpoint& address);
// Looks at the attempt without waiting, however late it is asked (`nowMs`, sys::MonotonicMs):
// Answered once the connection is established, NoAnswer when it was refused or failed or is
// still pending 100 ms after the start, Pending otherwise.
ProbeOutcome CheckProbe(ProbeAttempt& attempt, uint64_t nowMs);
// Shuts the attempt's connection down and closes its socket; nothing when it is not open.
void EndProbe(ProbeAttempt& attempt);
