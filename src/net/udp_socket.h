// The UDP sockets of the file transfers.
#pragma once

#include "sys/sys_net.h"

// Opens a UDP socket for transfers (0, or the system's error code). Where Windows' reports of
// ICMP "port unreachable" cannot be switched off on it, the log says so, once in a run, and
// the socket is used all the same: the TFTP client passes such a report over.
int OpenTransferUdpSocket(sys::Socket* socket);
