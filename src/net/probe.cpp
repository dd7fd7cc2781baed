// The detector's reachability probe.
#include "net/probe.h"

int ProbeDevice(const sys::Endpoint& address) {
    sys::Socket s;
    if (sys::OpenTcpSocket(&s) != 0) return 1;
    if (sys::BindSocket(s, sys::Endpoint{}) != 0 || sys::SetNonBlocking(s) != 0) {
        sys::CloseSocket(s);
        return 1;
    }
    int result = 1;
    switch (sys::StartConnect(s, address)) {
        case sys::ConnectStart::Connected: result = 0; break;
        case sys::ConnectStart::Failed: result = 1; break;
        // A refused attempt also wakes the wait; only an established connection counts.
        case sys::ConnectStart::InProgress: result = sys::WaitConnected(s, kProbeWaitMs) ? 0 : 1; break;
    }
    sys::ShutdownAndClose(s);
    return result;
}
