// The detector's reachability probe.
#include "net/probe.h"

#include <vector>

#include "sys/sys.h"

ProbeAttempt StartProbe(const sys::Endpoint& address) {
    ProbeAttempt a;
    a.address = address;
    if (sys::OpenTcpSocket(&a.socket) == 0 && sys::BindSocket(a.socket, sys::Endpoint{}) == 0 &&
        sys::SetNonBlocking(a.socket) == 0) {
        switch (sys::StartConnect(a.socket, address)) {
            case sys::ConnectStart::Connected: a.state = sys::ConnectState::Connected; break;
            case sys::ConnectStart::InProgress: a.state = sys::ConnectState::Pending; break;
            case sys::ConnectStart::Failed: a.state = sys::ConnectState::Failed; break;
        }
    }
    // The wait counts from here: opening the socket may have taken long on a busy machine.
    a.startedMs = sys::MonotonicMs();
    return a;
}

ProbeOutcome CheckProbe(ProbeAttempt& attempt, uint64_t nowMs) {
    if (attempt.state == sys::ConnectState::Pending &&
        sys::WaitConnections(&attempt.socket, &attempt.state, 1, 0) < 0)
        attempt.state = sys::ConnectState::Failed;
    if (attempt.state == sys::ConnectState::Connected) return ProbeOutcome::Answered;
    if (attempt.state == sys::ConnectState::Failed || nowMs - attempt.startedMs >= kProbeWaitMs)
        return ProbeOutcome::NoAnswer;
    return ProbeOutcome::Pending;
}

void EndProbe(ProbeAttempt& attempt) {
    if (!attempt.Open()) return;
    sys::ShutdownAndClose(attempt.socket);
    attempt.socket = sys::kNoSocket;
}

int FirstAnswering(const sys::Endpoint* addresses, size_t count, int waitMs) {
    using sys::ConnectState;
    if (count > sys::kMaxWaitedConnections) count = sys::kMaxWaitedConnections;
    std::vector<ProbeAttempt> attempts;
    std::vector<sys::Socket> sockets;
    std::vector<ConnectState> states;
    for (size_t i = 0; i < count; ++i) {
        attempts.push_back(StartProbe(addresses[i]));
        sockets.push_back(attempts.back().socket);
        states.push_back(attempts.back().state);
    }
    // The first attempt that has not failed decides: once it is connected it is the answer;
    // while it is pending, a later one cannot be chosen yet. Attempts were started in order, so
    // it is also the first whose wait ends. Each round settles at least one attempt, or decides
    // the first one once its wait is over: 2 * count rounds are always enough.
    for (size_t round = 0, first = 0; round < 2 * count; ++round) {
        while (first < count && states[first] == ConnectState::Failed) ++first;
        if (first == count || states[first] == ConnectState::Connected) break;
        const uint64_t due = attempts[first].startedMs + static_cast<uint64_t>(waitMs);
        const uint64_t now = sys::MonotonicMs();
        if (now < due) {
            const int settled = sys::WaitConnections(sockets.data(), states.data(), count, static_cast<int>(due - now));
            if (settled < 0) break;
            if (settled > 0) continue;
        }
        // The first has had its wait, and maybe others too: the thread may come here long after
        // their connections were made, so one more look at every socket, without waiting,
        // before those still pending count as not answering.
        if (sys::WaitConnections(sockets.data(), states.data(), count, 0) < 0) break;
        const uint64_t over = now < due ? due : now;
        for (size_t i = first; i < count; ++i)
            if (states[i] == ConnectState::Pending && attempts[i].startedMs + static_cast<uint64_t>(waitMs) <= over)
                states[i] = ConnectState::Failed;
    }
    // Should a wait have failed, what is still pending cannot be told from silence: no answer.
    int found = -1;
    for (size_t i = 0; i < count && found < 0; ++i)
        if (states[i] == ConnectState::Connected) found = static_cast<int>(i);
    for (ProbeAttempt& a : attempts) EndProbe(a);
    return found;
}
