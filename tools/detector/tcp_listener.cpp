// The simulated detector's TCP listener on port 1533: the program only ever connects to it to
// see whether the detector is there. It accepts, refuses, or leaves attempts unanswered.
#include "detector_impl.h"
#include "packets.h"

namespace detector {

bool Detector::Impl::OpenTcp(std::string* error) {
    const sys::Endpoint at = {options.address, options.tcpPort};
    if (sys::OpenTcpSocket(&listener) != 0) {
        *error = "cannot open a TCP socket";
        return false;
    }
    sys::SetReuseAddress(listener);
    if (sys::BindSocket(listener, at) != 0 ||
        sys::ListenOn(listener, options.tcp == TcpMode::Ignore ? 0 : 16) != 0) {
        *error = "cannot listen on TCP " + FormatEndpoint(at);
        return false;
    }
    tcpLocal = sys::LocalEndpoint(listener);
    sys::SetNonBlocking(listener);
    if (options.tcp == TcpMode::Ignore) {
        // A listener whose queue is full and never emptied lets further connection
        // attempts go unanswered, like a host that is switched off. We fill it ourselves.
        if (sys::OpenTcpSocket(&stuffer) != 0 || sys::SetNonBlocking(stuffer) != 0 ||
            sys::StartConnect(stuffer, tcpLocal) == sys::ConnectStart::Failed) {
            *error = "cannot fill the TCP queue";
            return false;
        }
        sys::WaitConnected(stuffer, 1000);
        // Kept out of the loop: nothing is ever accepted from it.
        ignoredListener = listener;
        listener = sys::kNoSocket;
    }
    return true;
}

void Detector::Impl::AcceptConnections() {
    for (int k = 0; k < 16; ++k) {
        sys::Socket c = sys::AcceptConnection(listener);
        if (c == sys::kNoSocket) break;
        ++accepted;
        sys::ShutdownAndClose(c);
    }
}

}  // namespace detector
