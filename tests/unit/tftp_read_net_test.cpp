// Reading files from the simulated detector over real UDP on loopback: the packets exchanged,
// what is stored, the result and the log entry, in good order and under each fault.
#include <atomic>
#include <thread>

#include "net_support.h"
#include "sys/sys_net.h"
#include "sys/sys_testing.h"

namespace {

using Lines = std::vector<std::string>;

class TftpRead : public DetectorTest {
protected:
    // Reads `name` into a buffer of `capacity` bytes followed by guard bytes that must stay.
    uint16_t Read(const char* name, uint32_t capacity) {
        buffer.assign(capacity + kGuard, 0xEE);
        length = capacity;
        sys::Endpoint p = Peer();
        uint64_t start = NowMs();
        uint16_t result = TftpReadFile(link, &p, name, buffer.data(), &length);
        elapsedMs = NowMs() - start;
        peer = p;
        for (size_t i = capacity; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << "written past the capacity";
        return result;
    }
    std::string Stored() const { return AsString(buffer.data(), length); }

    static constexpr size_t kGuard = 64;
    std::vector<uint8_t> buffer;
    uint32_t length = 0;
    uint64_t elapsedMs = 0;
    sys::Endpoint peer;
};

TEST_F(TftpRead, FileOfTwoFullBlocksEndsWithAnEmptyThirdAndTakesTheTransferPort) {
    const std::string file = PatternBytes(1024);
    PutFile("fds.sdb", file);
    StartDetector();
    ASSERT_EQ(Read("fds.sdb", 5000000), kTransferDone);
    EXPECT_EQ(length, 1024u);
    EXPECT_EQ(Stored(), file);
    EXPECT_EQ(Exchange(7), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512", "<- ACK 2",
                                  "-> DATA 3 0", "<- ACK 3"}));
    EXPECT_EQ(Log(), Cp1251(u"файл fds.sdb - прочитан. Длина 1024 байт\r\n"));
    // The peer now names the port the detector answered from, not its TFTP port.
    const auto packets = device->Packets();
    EXPECT_EQ(peer.ip, kDetectorIp);
    EXPECT_EQ(peer.port, packets[1].local.port);
    EXPECT_NE(peer.port, Peer().port);
    // The ACKs went there, from the one local port of the client.
    for (size_t i : {2u, 4u, 6u}) {
        EXPECT_EQ(packets[i].local.port, peer.port);
        EXPECT_EQ(packets[i].remote, packets[0].remote);
    }
}

TEST_F(TftpRead, ShortFileIsOneBlockAndEveryFrameNameIsServed) {
    const std::string frame = PatternBytes(31000, 7);
    PutFile("screenshots/7.png", frame);
    StartDetector();
    ASSERT_EQ(Read("/screenshots/7.png", 50000), kTransferDone);
    EXPECT_EQ(Stored(), frame);
    EXPECT_EQ(Log(), Cp1251(u"файл /screenshots/7.png - прочитан. Длина 31000 байт\r\n"));
}

TEST_F(TftpRead, FileThatFillsTheCapacityExactlyIsWholeOnceItsEmptyBlockCame) {
    PutFile("fds.sdb", PatternBytes(1024));
    PutFile("fdc.sdb", PatternBytes(1023));
    StartDetector();
    ASSERT_EQ(Read("fds.sdb", 1024), kTransferDone);
    EXPECT_EQ(length, 1024u);
    EXPECT_EQ(Stored(), PatternBytes(1024));
    EXPECT_EQ(Exchange(7), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512", "<- ACK 2",
                                  "-> DATA 3 0", "<- ACK 3"}));
    // One byte to spare: the short second block ends it.
    ASSERT_EQ(Read("fdc.sdb", 1024), kTransferDone);
    EXPECT_EQ(length, 1023u);
    EXPECT_EQ(Log(), Cp1251(u"файл fds.sdb - прочитан. Длина 1024 байт\r\n"
                            u"файл fdc.sdb - прочитан. Длина 1023 байт\r\n"));
}

TEST_F(TftpRead, FileLongerThanTheCapacityIsRefusedNotCut) {
    PutFile("fds.sdb", PatternBytes(2000));
    PutFile("fdc.sdb", PatternBytes(1025));
    StartDetector();
    // 1000: the second block does not fit; the detector is told, and nothing is acknowledged.
    ASSERT_EQ(Read("fds.sdb", 1000), kTransferTooLarge);
    EXPECT_EQ(length, 1000u);
    EXPECT_EQ(Exchange(5), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512",
                                  "<- ERROR 3 File too large for the receiver"}));
    // 1024 filled by two full blocks: a third with one byte more is one too many.
    device->ClearRecord();
    ASSERT_EQ(Read("fdc.sdb", 1024), kTransferTooLarge);
    EXPECT_EQ(length, 1024u);
    EXPECT_EQ(Exchange(7), (Lines{"<- RRQ fdc.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512", "<- ACK 2",
                                  "-> DATA 3 1", "<- ERROR 3 File too large for the receiver"}));
    EXPECT_EQ(Log(), Cp1251(u"файл fds.sdb - длиннее буфера в 1000 байт, чтение прервано\r\n"
                            u"файл fdc.sdb - длиннее буфера в 1024 байт, чтение прервано\r\n"));
    // The detector stopped at the ERROR instead of re-sending its last block.
    const uint64_t end = NowMs() + 2000;
    while (device->ActiveTransfers() > 0 && NowMs() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(device->ActiveTransfers(), 0);
    EXPECT_EQ(device->Packets().size(), 7u);
}

TEST_F(TftpRead, LateAnswerToAnEarlierRequestIsNotTakenForTheNext) {
    const std::string seven = PatternBytes(300, 7), eight = PatternBytes(300, 8);
    PutFile("screenshots/7.png", seven);
    PutFile("screenshots/8.png", eight);
    detector::Options o = Defaults();
    o.faults.delayMs = 350;  // every answer comes after the reader's 300 ms
    StartDetector(o);
    ASSERT_EQ(Read("/screenshots/7.png", 50000), kTransferNoAnswer);
    // The next request is out when frame 7 arrives; a longer wait lets frame 8's answer come.
    link.timeoutMs = 1000;
    ASSERT_EQ(Read("/screenshots/8.png", 50000), kTransferDone);
    EXPECT_EQ(Stored(), eight);
    const auto packets = Packets(6);
    ASSERT_GE(packets.size(), 5u);
    EXPECT_EQ(detector::DescribeRecord(packets[0]), "<- RRQ /screenshots/7.png octet");
    EXPECT_EQ(detector::DescribeRecord(packets[1]), "<- RRQ /screenshots/8.png octet");
    EXPECT_EQ(detector::DescribeRecord(packets[2]), "-> DATA 1 300");
    // Frame 7 went to the port of its own request, which was closed by then.
    EXPECT_EQ(packets[2].remote, packets[0].remote);
    EXPECT_NE(packets[1].remote.port, packets[0].remote.port);
}

TEST_F(TftpRead, EveryTransferHasAPortOfItsOwnAndTheSharedSocketIsTheFallback) {
    PutFile("fds.sdb", PatternBytes(100));
    StartDetector();
    const uint16_t shared = sys::LocalEndpoint(link.socket).port;
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferDone);
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferDone);
    sys::testing::FailUdpSocketOpens(1);
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferDone);
    EXPECT_EQ(Stored(), PatternBytes(100));
    std::vector<uint16_t> ports;
    for (const auto& r : Packets(12))
        if (!r.sent && r.bytes.size() > 1 && r.bytes[1] == detector::kRrq) ports.push_back(r.remote.port);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_NE(ports[0], shared);
    EXPECT_NE(ports[1], shared);
    EXPECT_NE(ports[0], ports[1]);
    EXPECT_EQ(ports[2], shared);  // no socket of its own to be had
}

TEST_F(TftpRead, RepeatedBlockIsAcknowledgedAgainAndNotStoredTwice) {
    const std::string file = PatternBytes(1500);
    PutFile("fds.sdb", file);
    detector::Options o = Defaults();
    o.faults.duplicate.push_back({true, detector::kData, 2, 1});
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 5000000), kTransferDone);
    EXPECT_EQ(length, 1500u);
    EXPECT_EQ(Stored(), file);
    EXPECT_EQ(Exchange(9), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512",
                                  "-> DATA 2 512 (injected)", "<- ACK 2", "-> DATA 3 476", "<- ACK 2", "<- ACK 3"}));
}

TEST_F(TftpRead, ErrorAnswerGivesResult2AndLeavesTheLength) {
    StartDetector();
    ASSERT_EQ(Read("/screenshots/9.png", 50000), kTransferDeviceError);
    EXPECT_EQ(length, 50000u);
    EXPECT_EQ(Exchange(2), (Lines{"<- RRQ /screenshots/9.png octet", "-> ERROR 1 File not found"}));
    EXPECT_EQ(Log(), Cp1251(u"файл /screenshots/9.png - File not found\r\n"));
    EXPECT_EQ(peer.port, device->Packets()[1].local.port);
}

TEST_F(TftpRead, UnansweredRequestFailsAfterOneWaitWithoutRepeatingIt) {
    detector::Options o = Defaults();
    o.faults.mute = true;
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 1000), kTransferNoAnswer);
    EXPECT_GE(elapsedMs, 290u);
    EXPECT_LT(elapsedMs, 600u);
    EXPECT_EQ(length, 1000u);
    EXPECT_EQ(Exchange(1), (Lines{"<- RRQ fds.sdb octet"}));
    EXPECT_EQ(Log(), Cp1251(u"чтение файла fds.sdb - нет связи с прибором\r\n"));
}

// Windows reports an ICMP "port unreachable" that answered a packet sent earlier (to a port
// since closed) as a failed receive; where that report cannot be switched off, it must neither
// end a transfer nor move its time-out.
TEST_F(TftpRead, ConnectionResetsNeitherEndTheReadNorStretchItsWait) {
    const std::string file = PatternBytes(1500);
    PutFile("fds.sdb", file);
    StartDetector();
    sys::testing::ReportUdpResets(3, 20);
    ASSERT_EQ(Read("fds.sdb", 5000000), kTransferDone);
    EXPECT_EQ(Stored(), file);
    // Nothing was sent again for them.
    EXPECT_EQ(Exchange(7), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512", "<- ACK 2",
                                  "-> DATA 3 476", "<- ACK 3"}));
    device->Stop();

    detector::Options o = Defaults();
    o.faults.mute = true;
    StartDetector(o);
    // A reset every 100 ms: the wait still ends 300 ms after the request, not after the last.
    sys::testing::ReportUdpResets(10, 100);
    EXPECT_EQ(Read("fds.sdb", 5000000), kTransferNoAnswer);
    sys::testing::ReportUdpResets(0, 0);
    EXPECT_GE(elapsedMs, 290u);
    EXPECT_LT(elapsedMs, 600u);
    EXPECT_EQ(Log(), Cp1251(u"файл fds.sdb - прочитан. Длина 1500 байт\r\n"
                            u"чтение файла fds.sdb - нет связи с прибором\r\n"));
}

TEST_F(TftpRead, ASocketThatCannotIgnoreResetsIsUsedAndLoggedOnce) {
    PutFile("fds.sdb", PatternBytes(700));
    StartDetector();
    sys::testing::FailUdpResetSwitches(2);
    ASSERT_EQ(Read("fds.sdb", 1000), kTransferDone);
    ASSERT_EQ(Read("fds.sdb", 1000), kTransferDone);
    sys::testing::FailUdpResetSwitches(0);
    EXPECT_EQ(Stored(), PatternBytes(700));
    // Said once in the run, not once a socket.
    EXPECT_EQ(Log(), Cp1251(u"UDP сокет: сообщения ICMP о недоступном порте не отключены, ошибка 95\r\n"
                            u"файл fds.sdb - прочитан. Длина 700 байт\r\n"
                            u"файл fds.sdb - прочитан. Длина 700 байт\r\n"));
}

TEST_F(TftpRead, LostBlockIsRecoveredByRepeatingTheLastAck) {
    const std::string file = PatternBytes(2000);
    PutFile("fds.sdb", file);
    detector::Options o = Defaults();
    o.faults.drop.push_back({true, detector::kData, 3, 1});
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 5000000), kTransferDone);
    EXPECT_EQ(Stored(), file);
    EXPECT_EQ(Exchange(11), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512", "<- ACK 2",
                                   "-> DATA 3 512 (dropped)", "<- ACK 2", "-> DATA 3 512", "<- ACK 3", "-> DATA 4 464",
                                   "<- ACK 4"}));
    // One wait of 300 ms, not the detector's own 1 s re-send.
    EXPECT_GE(elapsedMs, 290u);
    EXPECT_LT(elapsedMs, 900u);
}

TEST_F(TftpRead, LostAckIsRecoveredTheSameWay) {
    const std::string file = PatternBytes(1200);
    PutFile("fds.sdb", file);
    detector::Options o = Defaults();
    o.faults.drop.push_back({false, detector::kAck, 1, 1});
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 5000000), kTransferDone);
    EXPECT_EQ(Stored(), file);
    EXPECT_EQ(Exchange(8), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1 (dropped)", "<- ACK 1",
                                  "-> DATA 2 512", "<- ACK 2", "-> DATA 3 176", "<- ACK 3"}));
}

TEST_F(TftpRead, DetectorFallingSilentEndsTheReadAfterFiveRepeatsKeepingWhatArrived) {
    const std::string file = PatternBytes(3000);
    PutFile("fds.sdb", file);
    detector::Options o = Defaults();
    o.faults.silentAfter = 2;
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferNoAnswer);
    EXPECT_EQ(length, 5000u);  // unchanged: nothing says how much is valid
    EXPECT_EQ(AsString(buffer.data(), 1024), file.substr(0, 1024));
    EXPECT_EQ(Exchange(10), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512", "<- ACK 2",
                                   "<- ACK 2", "<- ACK 2", "<- ACK 2", "<- ACK 2", "<- ACK 2"}));
    EXPECT_GE(elapsedMs, 6 * 290u);
    EXPECT_LT(elapsedMs, 6 * 300u + 400);
    EXPECT_EQ(Log(), Cp1251(u"чтение файла fds.sdb - нет связи с прибором\r\n"));
}

TEST_F(TftpRead, RepeatsFromADetectorThatStoppedDoNotStretchTheWait) {
    PutFile("fds.sdb", PatternBytes(3000));
    detector::Options o = Defaults();
    o.faults.silentAfter = 1;
    o.faults.chatterMs = 60;  // DATA 1 again and again, and nothing new
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferNoAnswer);
    EXPECT_LT(elapsedMs, 6 * 300u + 400);
    // Each repeat was acknowledged; the time-outs counted from our own packets all the same.
    size_t repeats = 0, acks = 0;
    for (const auto& line : Exchange(6)) {
        repeats += line == "-> DATA 1 512";
        acks += line == "<- ACK 1";
    }
    EXPECT_GE(repeats, 10u);
    EXPECT_GE(acks, repeats - 1);
}

// A wait as the window's thread has it: it comes back every few milliseconds to serve the
// windows, datagram or not.
std::atomic<int> g_choppyWaits{0};
SocketWaitResult ChoppyWait(sys::Socket socket, int milliseconds) {
    ++g_choppyWaits;
    bool readable = false;
    return sys::WaitReadable(&socket, 1, &readable, milliseconds < 7 ? milliseconds : 7) > 0
               ? SocketWaitResult::Readable
               : SocketWaitResult::NotYet;
}

TEST_F(TftpRead, AWaitThatComesBackEarlyKeepsTheExchangeAndItsTimeOuts) {
    const std::string file = PatternBytes(2000);
    PutFile("fds.sdb", file);
    detector::Options o = Defaults();
    o.faults.drop.push_back({true, detector::kData, 3, 1});
    StartDetector(o);
    link.wait = ChoppyWait;
    ASSERT_EQ(Read("fds.sdb", 5000000), kTransferDone);
    EXPECT_GT(g_choppyWaits.load(), 40);  // the lost block's 300 ms, 7 ms at a time
    EXPECT_EQ(Stored(), file);
    EXPECT_EQ(Exchange(11), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512", "<- ACK 2",
                                   "-> DATA 3 512 (dropped)", "<- ACK 2", "-> DATA 3 512", "<- ACK 3", "-> DATA 4 464",
                                   "<- ACK 4"}));
    EXPECT_GE(elapsedMs, 290u);
    EXPECT_LT(elapsedMs, 900u);

    // No answer at all: the read still waits its 300 ms, no less and not much more.
    o.faults = detector::Faults();
    o.faults.mute = true;
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 1000), kTransferNoAnswer);
    EXPECT_GE(elapsedMs, 290u);
    EXPECT_LT(elapsedMs, 600u);
}

// A wait as the window's thread has it once the program is ending: after `g_waitsLeft` waits
// it gives up.
std::atomic<int> g_waitsLeft{0};
SocketWaitResult WaitThenGiveUp(sys::Socket socket, int milliseconds) {
    if (g_waitsLeft-- <= 0) return SocketWaitResult::GiveUp;
    bool readable = false;
    return sys::WaitReadable(&socket, 1, &readable, milliseconds) > 0 ? SocketWaitResult::Readable
                                                                       : SocketWaitResult::NotYet;
}

TEST_F(TftpRead, AWaitThatGivesUpAbandonsTheTransferWhereItStandsAndLogsNothing) {
    PutFile("fds.sdb", PatternBytes(2000));
    StartDetector();
    link.wait = WaitThenGiveUp;
    // In the middle of the file: the detector, sending, is told to stop; nothing is kept.
    g_waitsLeft = 1;
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferAbandoned);
    EXPECT_EQ(length, 5000u);
    Lines exchange = Exchange(5);
    EXPECT_EQ(Lines(exchange.begin(), exchange.begin() + 3), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1"}));
    EXPECT_EQ(exchange.back(), "<- ERROR 0 Transfer abandoned");
    // Before any answer: the request was all that went out. Writing gives up the same way.
    g_waitsLeft = 0;
    ASSERT_EQ(Read("fdc.sdb", 5000), kTransferAbandoned);
    const std::string bytes = PatternBytes(700);
    sys::Endpoint p = Peer();
    g_waitsLeft = 1;
    EXPECT_EQ(TftpWriteFile(link, &p, "/fdc.sdb", reinterpret_cast<const uint8_t*>(bytes.data()),
                            static_cast<uint32_t>(bytes.size())),
              kTransferAbandoned);
    EXPECT_EQ(Log(), "");
}

TEST_F(TftpRead, AnswerThatIsNoDataEndsTheReadAsAFailure) {
    PutFile("fds.sdb", PatternBytes(2000));
    detector::Options o = Defaults();
    o.faults.badOpcodeAt = 2;
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferProtocolError);
    EXPECT_EQ(length, 5000u);
    EXPECT_EQ(Exchange(4).back(), "-> opcode 7 (516 bytes)");
    EXPECT_EQ(Log(), Cp1251(u"файл fds.sdb - получен код 7 протокола TFTP - выход из цикла.\r\n"));
}

TEST_F(TftpRead, StrangersAreToldOffAndTheReadGoesOn) {
    const std::string file = PatternBytes(2000);
    PutFile("fds.sdb", file);
    detector::Options o = Defaults();
    o.faults.strayAt = 2;         // DATA 2 once more from another port of the detector
    o.faults.wrongAddressAt = 1;  // and DATA 1 first from another address
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferDone);
    EXPECT_EQ(Stored(), file);
    EXPECT_EQ(peer.port, device->Packets()[2].local.port);
    int toldOff = 0;
    for (const auto& r : Packets(13)) {
        if (r.sent || detector::Describe(r.bytes) != "ERROR 5 Unknown transfer ID") continue;
        ++toldOff;
        EXPECT_TRUE(r.local.ip != kDetectorIp || r.local.port != peer.port);
    }
    EXPECT_EQ(toldOff, 2);
    EXPECT_EQ(Log(), Cp1251(u"файл fds.sdb - прочитан. Длина 2000 байт\r\n"));
}

TEST_F(TftpRead, BlockFromTheWrongPortIsRefusedAndTakenWhenItComesFromTheRightOne) {
    const std::string file = PatternBytes(1200);
    PutFile("fds.sdb", file);
    detector::Options o = Defaults();
    o.faults.wrongPortAt = 2;
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferDone);
    EXPECT_EQ(Stored(), file);
    EXPECT_EQ(Exchange(10), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> DATA 2 512 (injected)",
                                   "<- ERROR 5 Unknown transfer ID", "<- ACK 1", "-> DATA 2 512", "<- ACK 2",
                                   "-> DATA 3 176", "<- ACK 3"}));
}

TEST_F(TftpRead, FloodOfStrangersCannotHoldTheReader) {
    detector::Options o = Defaults();
    o.faults.mute = true;
    StartDetector(o);
    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        // At the port the request came from: the transfer's own.
        const uint64_t end = NowMs() + 2000;
        while (device->Packets().empty() && NowMs() < end) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (device->Packets().empty()) return;
        const sys::Endpoint client = device->Packets().front().remote;
        sys::Socket s;
        sys::OpenUdpSocket(&s);
        sys::BindSocket(s, {0x7F000009, 0});
        const uint8_t data[] = {0, 3, 0, 1, 'x'};
        for (int i = 0; i < 20000 && flooding; ++i) {
            sys::SendTo(s, data, sizeof data, client);
            if (i % 16 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        sys::CloseSocket(s);
    });
    uint16_t result = Read("fds.sdb", 5000);
    flooding = false;
    flood.join();
    EXPECT_EQ(result, kTransferNoAnswer);
    EXPECT_LT(elapsedMs, 600u);
}

TEST_F(TftpRead, ShortAndMisnumberedDatagramsAreIgnored) {
    const std::string file = PatternBytes(1200);
    PutFile("fds.sdb", file);
    detector::Options o = Defaults();
    o.faults.oddAt = 2;  // a 2-byte datagram and DATA 9 before DATA 2
    StartDetector(o);
    ASSERT_EQ(Read("fds.sdb", 5000), kTransferDone);
    EXPECT_EQ(Stored(), file);
    EXPECT_EQ(Exchange(10), (Lines{"<- RRQ fds.sdb octet", "-> DATA 1 512", "<- ACK 1", "-> 2 bytes", "-> DATA 9 512",
                                   "-> DATA 2 512", "<- ACK 2", "-> DATA 3 176", "<- ACK 3"}));
}

TEST_F(TftpRead, WithoutMemoryOrRoomForTheNameNothingIsSent) {
    PutFile("fds.sdb", PatternBytes(100));
    StartDetector();
    for (int allowed : {0, 1}) {
        sys::testing::FailAllocationsAfter(allowed);
        EXPECT_EQ(Read("fds.sdb", 5000), kTransferNoMemory) << allowed;
        sys::testing::FailAllocationsAfter(-1);
    }
    const std::string longest(kMaxReadName, 'n');
    EXPECT_EQ(Read((longest + "n").c_str(), 5000), kTransferNoMemory);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(device->Packets().empty());
    // The longest name that fits is sent whole.
    EXPECT_EQ(Read(longest.c_str(), 5000), kTransferDeviceError);
    EXPECT_EQ(Exchange(1).front(), "<- RRQ " + longest + " octet");
    EXPECT_EQ(device->Packets().front().bytes.size(), kMaxReadName + 9);
}

}  // namespace
