// Inside the simulated detector: the state of its one serving thread, and the jobs that the
// files beside this one do for it (the wire and its faults, the TFTP server, the TCP listener,
// the loop that drives them).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "detector.h"

namespace detector {

struct Detector::Impl {
    struct Transfer {
        sys::Socket socket = sys::kNoSocket;
        sys::Endpoint local, client;
        bool write = false;
        std::string path;
        std::vector<uint8_t> content;  // read: the file; write: what arrived so far
        uint16_t block = 0;            // read: the DATA awaiting its ACK; write: the last ACK
        size_t offset = 0;             // read: where DATA `block` starts
        std::vector<uint8_t> last;     // the last packet sent, for re-sending
        uint64_t lastSendUs = 0, retransmitAtUs = 0, closeAtUs = 0, chatterAtUs = 0;
        int retriesLeft = 0;
        bool finished = false;  // to be removed
        bool dallying = false;  // a completed write waiting for a repeated last DATA
        bool silent = false;
        bool wrongPortDone = false;
    };
    struct Pending {
        uint64_t dueUs;
        sys::Socket socket;
        sys::Endpoint local, to;
        std::vector<uint8_t> bytes;
        Fate fate;
    };

    Options options;
    Faults faults;  // the rules' counts go down as they are used
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    sys::Socket tftp = sys::kNoSocket, listener = sys::kNoSocket;
    sys::Socket ignoredListener = sys::kNoSocket, stuffer = sys::kNoSocket;
    sys::Socket strayPort = sys::kNoSocket, strayAddress = sys::kNoSocket;
    sys::Endpoint tftpLocal, tcpLocal, strayPortLocal, strayAddressLocal;
    std::vector<std::unique_ptr<Transfer>> transfers;
    std::vector<Pending> pending;
    std::mt19937 random;
    uint64_t sentCount = 0;
    std::thread thread;
    std::atomic<bool> stopping{false};
    std::atomic<int> accepted{0};
    std::atomic<int> active{0};
    mutable std::mutex recordLock;
    std::vector<PacketRecord> record;
    FILE* log = nullptr;

    // ---- The wire (wire.cpp): faults on the way out and in, and the packet record.
    uint64_t NowUs() const;
    bool Chance(double p);
    static bool TakeRule(std::vector<PacketRule>* rules, bool outgoing, const std::vector<uint8_t>& p);
    void Record(bool sent, Fate fate, sys::Endpoint local, sys::Endpoint remote, const std::vector<uint8_t>& bytes);
    void Transmit(sys::Socket s, sys::Endpoint local, sys::Endpoint to, const std::vector<uint8_t>& bytes, Fate fate);
    // Sends one packet through the faults of the wire: lost, doubled, late.
    void Emit(sys::Socket s, sys::Endpoint local, sys::Endpoint to, const std::vector<uint8_t>& bytes,
              Fate fate = Fate::Passed);
    void Drain(sys::Socket s, sys::Endpoint local, std::vector<uint8_t>* buffer);
    // Sends the packets whose delay has run out.
    void DeliverPending();

    // ---- The TFTP server (tftp_server.cpp).
    void Send(Transfer& t, const std::vector<uint8_t>& bytes);
    void Remember(Transfer& t, const std::vector<uint8_t>& bytes);
    // The first sending of packet `number` of a transfer, where the per-transfer faults act.
    void SendNumbered(Transfer& t, std::vector<uint8_t> packet, uint16_t number);
    void Resend(Transfer& t);
    void SendReadBlock(Transfer& t);
    bool LastReadBlockSent(const Transfer& t) const;
    void Request(const std::vector<uint8_t>& p, sys::Endpoint from);
    void Store(Transfer& t);
    void FromClient(Transfer& t, const std::vector<uint8_t>& p);
    void Received(sys::Socket s, sys::Endpoint local, const std::vector<uint8_t>& p, sys::Endpoint from);
    // Re-sends, closes and dallies by the clock.
    void TransferTimers();

    // ---- The TCP listener on port 1533 (tcp_listener.cpp).
    bool OpenTcp(std::string* error);
    // Takes every waiting connection and closes it at once: the detector is there.
    void AcceptConnections();

    // ---- The loop (detector.cpp).
    int NextWaitMs() const;
    void Loop();
    bool OpenUdp(sys::Socket* s, sys::Endpoint at, sys::Endpoint* local, std::string* error);
    void CloseAll();
    void Timers();
};

}  // namespace detector
