// The one UDP socket that every file transfer with the detector goes through, and the report
// that ends the program when it cannot be set up.
#pragma once

#include <string>

#include "sys/sys_net.h"

constexpr uint16_t kTftpPort = 69;
constexpr int kTransferReceiveTimeoutMs = 300;

enum NetworkStartResult {
    kNetworkStarted = 0,
    kWinsockNotStarted = 1001,
    kSocketNotOpened = 1002,
    kSocketNotConfigured = 1003,
};

// Starts the socket layer and opens the UDP socket bound to any local address and port, with
// the 300 ms receive time-out. Returns one of the results above; they are also the program's
// exit codes.
NetworkStartResult StartTransferSocket(sys::Socket* socket);

// The message of a failed start (1001, 1002 or 1003) in the current language.
std::u16string FatalNetworkReport(int code);
