// The simulated flaw detector: a TFTP server (RFC 1350) and a TCP listener on port 1533 that
// serve a folder, record every packet, and misbehave on request. Used by the command-line
// program and, in-process, by the tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sys/sys_net.h"

namespace detector {

enum : uint16_t { kRrq = 1, kWrq = 2, kData = 3, kAck = 4, kError = 5 };

enum class TcpMode {
    Accept,  // connections on port 1533 are taken and closed at once: the detector is there
    Refuse,  // nothing listens: the system refuses the connection
    Ignore,  // connection attempts go unanswered, as if the detector were switched off
};

// A packet chosen by direction, opcode and number: "out:DATA:3" is the detector's DATA 3,
// "in:ACK:2" an ACK 2 it receives. `count` is how many of them the rule applies to.
struct PacketRule {
    bool outgoing = true;
    uint16_t opcode = kData;
    uint16_t block = 0;
    int count = 1;
};

// What goes wrong, chosen per run. "Packet K" of a transfer is the one the detector sends
// with number K: DATA K of a read, ACK K of a write. -1 switches a fault off.
struct Faults {
    std::vector<PacketRule> drop;       // lost on the way
    std::vector<PacketRule> duplicate;  // arrive twice
    std::vector<int> dropNth;           // the n-th packet the detector sends (from 1) is lost
    double loss = 0;                    // fraction of packets lost, each direction
    double duplication = 0;             // fraction of packets arriving twice, each direction
    uint32_t seed = 1;
    int delayMs = 0;                    // every packet the detector sends leaves this late
    bool mute = false;                  // requests are received and never answered
    int errorAt = -1;                   // ERROR in place of packet K (read: 1 answers the RRQ)
    uint16_t errorCode = 0;
    std::string errorMessage = "Simulated failure";
    int silentAfter = -1;               // after packet K the transfer sends nothing more...
    int chatterMs = 0;                  // ...except packet K again every chatterMs, if set
    int strayAt = -1;                   // packet K is also sent from a second port
    int wrongPortAt = -1;               // packet K goes first from a second port only
    int wrongAddressAt = -1;            // packet K is also sent, first, from the second address
    int oddAt = -1;                     // before packet K: a 2-byte datagram and a packet
                                        // numbered K + 7
    int badOpcodeAt = -1;               // opcode 7 in place of packet K
};

struct Options {
    uint32_t address = 0x7F000001;  // loopback only
    uint32_t secondAddress = 0;     // for the wrong-address fault; 0: address + 1
    uint16_t tftpPort = 69;         // 0: the system picks one
    uint16_t tcpPort = 1533;        // 0: the system picks one
    bool tftp = true;
    TcpMode tcp = TcpMode::Accept;
    std::string root = ".";         // screenshots/N.png, fds.sdb, fdc.sdb
    std::string logPath;            // the packet record as text, when set
    int retransmitMs = 1000;        // an unanswered packet is sent again after this long...
    int retries = 5;                // ...this many times, then the transfer is dropped
    int resyncMs = 250;             // an old ACK this long after our last packet re-sends it
    int dallyMs = 1000;             // a finished write waits this long for a lost last ACK
    Faults faults;
};

enum class Fate {
    Passed,    // went over the wire as it was
    Dropped,   // lost by a fault: never sent, or received and thrown away
    Injected,  // made by a fault: a duplicate or a stray copy
};

struct PacketRecord {
    uint64_t atUs = 0;     // microseconds since the detector started
    bool sent = false;     // true: sent by the detector; false: received by it
    Fate fate = Fate::Passed;
    sys::Endpoint local;   // the detector's socket
    sys::Endpoint remote;  // the other side
    std::vector<uint8_t> bytes;
};

// "RRQ fds.sdb octet", "DATA 3 512", "ACK 3", "ERROR 1 File not found", "opcode 7 (4 bytes)",
// "2 bytes".
std::string Describe(const std::vector<uint8_t>& packet);
// "<- RRQ fds.sdb octet" for a received packet, "-> DATA 1 512" for a sent one; a fault's
// work is marked " (dropped)" or " (injected)".
std::string DescribeRecord(const PacketRecord& record);

// Reads the command line; false with a reason on `error` when it is wrong. `help` is set for
// --help. Refuses any address outside 127.0.0.0/8.
bool ParseCommandLine(int argc, const char* const* argv, Options* options, bool* help, std::string* error);
std::string UsageText();

class Detector {
public:
    explicit Detector(const Options& options);
    ~Detector();
    Detector(const Detector&) = delete;
    Detector& operator=(const Detector&) = delete;

    // Opens the sockets and starts serving on a thread of its own.
    bool Start(std::string* error);
    void Stop();

    sys::Endpoint TftpEndpoint() const;
    sys::Endpoint TcpEndpoint() const;
    // The socket address that the wrong-address fault sends from.
    uint32_t SecondAddress() const;

    std::vector<PacketRecord> Packets() const;
    // DescribeRecord of every packet, in the order the detector saw them.
    std::vector<std::string> Exchange() const;
    void ClearRecord();
    int ConnectionsAccepted() const;
    // Transfers that are still going on.
    int ActiveTransfers() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace detector
