// File transfers with the detector: a minimal TFTP client (RFC 1350), octet mode, 512-byte
// blocks, one packet in flight, no options.
#pragma once

#include <cstdint>
#include <string>

#include "sys/sys_net.h"

// What a transfer came to.
enum TransferResult : uint16_t {
    kTransferDone = 0,           // completed
    kTransferNoMemory = 1,       // no buffer (or a name too long for the request); nothing sent
    kTransferDeviceError = 2,    // the device answered with an ERROR packet
    kTransferProtocolError = 3,  // read: the device answered with a packet that is no TFTP answer
    kTransferTooLarge = 4,       // read: the file is longer than the destination; the device was told to stop
    kTransferNoAnswer = 5,       // the device stopped answering (or never did)
    kTransferAbandoned = 6,      // the program is ending: given up where it stood, nothing logged
};

// Re-sends after a time-out before a transfer is given up: a read repeats its last ACK (not
// its request: "no detector" must stay fast), a write its last DATA.
constexpr int kReadResends = 5;
constexpr int kWriteResends = 5;

// The longest file names that fit the request packet.
constexpr uint32_t kMaxReadName = 505;
constexpr uint32_t kMaxWriteName = 507;

// Waits until `socket` has a datagram to read or `milliseconds` have passed: Readable when it
// has one; NotYet when it has none, possibly sooner (it is asked again for what is left of the
// wait); GiveUp when the program is ending, and the transfer is abandoned at once. A window's
// thread passes one that keeps its windows painted meanwhile.
enum class SocketWaitResult { Readable, NotYet, GiveUp };
using SocketWait = SocketWaitResult (*)(sys::Socket socket, int milliseconds);

// How a transfer reaches the device. Every transfer opens a UDP socket of its own, on the
// local address of `socket` and a port the system picks, and closes it at its end: the port
// names the transfer, so that a late answer to an earlier request can never pass for an
// answer to this one. Only when no socket can be opened does the transfer go through
// `socket` itself.
struct TftpLink {
    sys::Socket socket = sys::kNoSocket;
    int timeoutMs = 300;          // the wait for each answer
    SocketWait wait = nullptr;    // none: the receive itself waits
};

// Reads the file `name` (8-bit, in the system's ANSI code page) from the device at `peer`
// into `destination`. `*length` is its capacity on entry and, when the result is 0, the
// number of bytes stored; it is left as it was on any other result. A file longer than the
// capacity is not cut: the device is sent an ERROR and the result is kTransferTooLarge. Only
// datagrams from the peer's address count, and from its first answer on only those from the
// port it answered from; `peer->port` is left at that port. Every outcome is logged but
// kTransferAbandoned.
uint16_t TftpReadFile(const TftpLink& link, sys::Endpoint* peer, const char* name, uint8_t* destination,
                      uint32_t* length);

// Writes `length` bytes from `source` as the file `name` on the device at `peer`. Result 0
// only when the device acknowledged the last block.
uint16_t TftpWriteFile(const TftpLink& link, sys::Endpoint* peer, const char* name, const uint8_t* source,
                       uint32_t length);

// A write that also tells, on result 2, the message of the device's ERROR packet (its bytes as
// they came, up to the terminating zero); `deviceMessage` is left alone on any other result.
uint16_t TftpWriteFile(const TftpLink& link, sys::Endpoint* peer, const char* name, const uint8_t* source,
                       uint32_t length, std::string* deviceMessage);
