// How the program reaches the detector: the transfer socket, the detector's endpoint and the
// wait for each answer. Made by the application from its settings and handed to whatever talks
// to the detector.
#pragma once

#include "net/probe.h"
#include "net/socket_setup.h"
#include "net/tftp_client.h"

struct DeviceLink {
    sys::Socket socket = sys::kNoSocket;  // the transfer socket (its local address)
    // Where every transfer starts: the detector's address and its TFTP port (it answers from
    // another port, which each transfer learns for itself).
    sys::Endpoint device = {0, kTftpPort};
    int timeoutMs = kTransferReceiveTimeoutMs;
    // How a transfer waits for each answer; none: a plain wait on the socket.
    SocketWait wait = nullptr;

    TftpLink Tftp() const { return TftpLink{socket, timeoutMs, wait}; }
    // Where the reachability probe knocks.
    sys::Endpoint ProbeAddress() const { return sys::Endpoint{device.ip, kProbePort}; }
};
