// Is the detector there? A TCP connection attempt to its port 1533 with a short wait.
#pragma once

#include "sys/sys_net.h"

constexpr uint16_t kProbePort = 1533;
constexpr int kProbeWaitMs = 100;

// 0 when a connection to `address` was established within 100 ms (it is closed at once),
// 1 otherwise: refused, unreachable, silent, or any socket failure. Each call uses a socket
// of its own.
int ProbeDevice(const sys::Endpoint& address);
