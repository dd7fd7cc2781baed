// The detector's reachability probe.
#include "net/probe.h"

#include <vector>

#include "sys/sys.h"

ProbeAttempt StartProbe(const sys::Endpoint& address, uint64_t nowMs) {
    ProbeAttempt a;
    a.address = address;
    a.startedMs = nowMs;
    if (sys::OpenTcpSocket(&a.socket) != 0) return a;
    if (sys::BindSocket(a.socket, sys::Endpoint{}) != 0 || sys::SetNonBlocking(a.socket) != 0) return a;
    switch (sys::StartConnect(a.socket, address)) {
        case sys::ConnectStart::Connected: a.state = sys::ConnectState::Connected; break;
        case sys::ConnectStart::InProgress: a.state = sys::ConnectState::Pending; break;
        case sys::ConnectStart::Failed: a.state = sys::ConnectState::Failed; break;
    }
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
    if (count > sys::kMaxWaitedConnections) count = sys::kMaxWaitedConnections;
    const uint64_t start = sys::MonotonicMs();
    std::vector<ProbeAttempt> attempts;
    std::vector<sys::Socket> sockets;
    std::vector<sys::ConnectState> states;
    for (size_t i = 0; i < count; ++i) {
        attempts.push_back(StartProbe(addresses[i], start));
        sockets.push_back(attempts.back().socket);
        states.push_back(attempts.back().state);
    }
    // The first address that has not failed decides: once it is connected it is the answer;
    // while it is pending, a later one cannot be chosen yet. Each round settles at least one
    // attempt or ends the wait.
    for (size_t round = 0; round <= count; ++round) {
        size_t first = 0;
        while (first < count && states[first] == sys::ConnectState::Failed) ++first;
        if (first == count || states[first] == sys::ConnectState::Connected) break;
        const uint64_t waited = sys::MonotonicMs() - start;
        if (waited >= static_cast<uint64_t>(waitMs)) break;
        if (sys::WaitConnections(sockets.data(), states.data(), count, waitMs - static_cast<int>(waited)) <= 0) break;
    }
    // Whatever is still pending has had its wait: no answer.
    int found = -1;
    for (size_t i = 0; i < count && found < 0; ++i)
        if (states[i] == sys::ConnectState::Connected) found = static_cast<int>(i);
    for (ProbeAttempt& a : attempts) EndProbe(a);
    return found;
}

