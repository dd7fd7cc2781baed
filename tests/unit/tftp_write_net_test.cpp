// Writing files to the simulated detector over real UDP on loopback: the packets exchanged,
// what the detector stores, the result and the log entry, in good order and under each fault.
#include "net_support.h"
#include "sys/sys_testing.h"

namespace {

using Lines = std::vector<std::string>;

class TftpWrite : public DetectorTest {
protected:
    uint16_t Write(const char* name, const std::string& bytes) {
        sys::Endpoint p = Peer();
        uint64_t start = NowMs();
        uint16_t result = TftpWriteFile(link, &p, name, reinterpret_cast<const uint8_t*>(bytes.data()),
                                        static_cast<uint32_t>(bytes.size()));
        elapsedMs = NowMs() - start;
        peer = p;
        return result;
    }
    // How many times the detector received DATA `block`.
    size_t Received(uint16_t block) {
        size_t count = 0;
        for (const auto& r : device->Packets())
            count += !r.sent && r.bytes.size() >= 4 && r.bytes[1] == detector::kData && r.bytes[2] == (block >> 8) &&
                     r.bytes[3] == (block & 0xFF);
        return count;
    }

    uint64_t elapsedMs = 0;
    sys::Endpoint peer;
};

TEST_F(TftpWrite, ShortFileIsOneBlockFollowedByTheClosingEmptyBlock) {
    const std::string file = PatternBytes(100);
    StartDetector();
    ASSERT_EQ(Write("/fds.sdb", file), kTransferDone);
    EXPECT_EQ(Exchange(5), (Lines{"<- WRQ /fds.sdb octet", "-> ACK 0", "<- DATA 1 100", "-> ACK 1", "<- DATA 2 0"}));
    EXPECT_EQ(StoredFile("fds.sdb"), file);
    EXPECT_EQ(Log(), Cp1251(u"файл /fds.sdb - отослан. Длина 100 байт\r\n"));
    EXPECT_EQ(peer.port, device->Packets()[1].local.port);
    EXPECT_NE(peer.port, Peer().port);
}

TEST_F(TftpWrite, EmptyFileIsOneEmptyBlock) {
    PutFile("fdc.sdb", "old settings");
    StartDetector();
    ASSERT_EQ(Write("/fdc.sdb", ""), kTransferDone);
    EXPECT_EQ(Exchange(4), (Lines{"<- WRQ /fdc.sdb octet", "-> ACK 0", "<- DATA 1 0", "-> ACK 1"}));
    EXPECT_EQ(StoredFile("fdc.sdb"), "");
    EXPECT_EQ(Log(), Cp1251(u"файл /fdc.sdb - отослан. Длина 0 байт\r\n"));
}

TEST_F(TftpWrite, FileOfWholeBlocksEndsWithAnAcknowledgedEmptyBlock) {
    const std::string file = PatternBytes(1024);
    StartDetector();
    ASSERT_EQ(Write("/fds.sdb", file), kTransferDone);
    EXPECT_EQ(Exchange(8), (Lines{"<- WRQ /fds.sdb octet", "-> ACK 0", "<- DATA 1 512", "-> ACK 1", "<- DATA 2 512",
                                  "-> ACK 2", "<- DATA 3 0", "-> ACK 3"}));
    EXPECT_EQ(StoredFile("fds.sdb"), file);
}

TEST_F(TftpWrite, LostAcksAreMadeGoodByRepeatingTheSameBlockAfterTheWait) {
    const std::string file = PatternBytes(700);
    detector::Options o = Defaults();
    o.faults.drop.push_back({true, detector::kAck, 1, 1});
    o.faults.drop.push_back({true, detector::kAck, 2, 1});  // also the last one
    StartDetector(o);
    ASSERT_EQ(Write("/fds.sdb", file), kTransferDone);
    EXPECT_EQ(Exchange(11), (Lines{"<- WRQ /fds.sdb octet", "-> ACK 0", "<- DATA 1 512", "-> ACK 1 (dropped)",
                                   "<- DATA 1 512", "-> ACK 1", "<- DATA 2 188", "-> ACK 2 (dropped)", "<- DATA 2 188",
                                   "-> ACK 2", "<- DATA 3 0"}));
    const auto packets = device->Packets();
    EXPECT_EQ(packets[4].bytes, packets[2].bytes);
    EXPECT_EQ(packets[8].bytes, packets[6].bytes);
    EXPECT_GE(packets[4].atUs - packets[2].atUs, 280000u);  // after the wait, not at once
    EXPECT_EQ(StoredFile("fds.sdb"), file);
    EXPECT_EQ(Log(), Cp1251(u"файл /fds.sdb - отослан. Длина 700 байт\r\n"));
}

TEST_F(TftpWrite, RepeatedAckIsIgnoredNotAnsweredWithAnotherData) {
    const std::string file = PatternBytes(1500);
    detector::Options o = Defaults();
    o.faults.duplicate.push_back({true, detector::kAck, 1, 1});
    StartDetector(o);
    ASSERT_EQ(Write("/fds.sdb", file), kTransferDone);
    EXPECT_EQ(Exchange(10), (Lines{"<- WRQ /fds.sdb octet", "-> ACK 0", "<- DATA 1 512", "-> ACK 1",
                                   "-> ACK 1 (injected)", "<- DATA 2 512", "-> ACK 2", "<- DATA 3 476", "-> ACK 3",
                                   "<- DATA 4 0"}));
    EXPECT_EQ(Received(2), 1u);
    EXPECT_EQ(StoredFile("fds.sdb"), file);
}

TEST_F(TftpWrite, DetectorFallingSilentEndsTheWriteAfterFiveRepeats) {
    detector::Options o = Defaults();
    o.faults.silentAfter = 1;
    StartDetector(o);
    ASSERT_EQ(Write("/fds.sdb", PatternBytes(3000)), kTransferNoAnswer);
    EXPECT_EQ(Received(2), 6u);
    EXPECT_GE(elapsedMs, 6 * 290u);
    EXPECT_LT(elapsedMs, 6 * 300u + 400);
    EXPECT_EQ(Log(), Cp1251(u"запись файла /fds.sdb - нет подтверждения блока 2, передача прервана\r\n"));
}

TEST_F(TftpWrite, OldAcksFromADetectorThatStoppedDoNotStretchTheWait) {
    detector::Options o = Defaults();
    o.faults.silentAfter = 1;
    o.faults.chatterMs = 60;  // ACK 1 again and again
    StartDetector(o);
    ASSERT_EQ(Write("/fds.sdb", PatternBytes(3000)), kTransferNoAnswer);
    EXPECT_EQ(Received(2), 6u);
    EXPECT_LT(elapsedMs, 6 * 300u + 400);
}

TEST_F(TftpWrite, ConnectionResetsDoNotEndTheWrite) {
    StartDetector();
    sys::testing::ReportUdpResets(4, 20);
    const std::string file = PatternBytes(600);
    ASSERT_EQ(Write("/fds.sdb", file), kTransferDone);
    sys::testing::ReportUdpResets(0, 0);
    EXPECT_EQ(StoredFile("fds.sdb"), file);
    EXPECT_EQ(Received(1), 1u);
}

TEST_F(TftpWrite, UnansweredRequestIsNoAnswer) {
    detector::Options o = Defaults();
    o.faults.mute = true;
    StartDetector(o);
    ASSERT_EQ(Write("/fds.sdb", PatternBytes(100)), kTransferNoAnswer);
    EXPECT_GE(elapsedMs, 290u);
    EXPECT_LT(elapsedMs, 600u);
    EXPECT_EQ(Exchange(1), (Lines{"<- WRQ /fds.sdb octet"}));
    EXPECT_EQ(Log(), Cp1251(u"запись файла /fds.sdb - нет связи с прибором\r\n"));
}

TEST_F(TftpWrite, ErrorAnswerIsResult2WithTheBlockInTheLog) {
    detector::Options o = Defaults();
    o.faults.errorAt = 2;
    o.faults.errorCode = 3;
    o.faults.errorMessage = "Disk full";
    StartDetector(o);
    ASSERT_EQ(Write("/fds.sdb", PatternBytes(1500)), kTransferDeviceError);
    EXPECT_EQ(Exchange(6).back(), "-> ERROR 3 Disk full");
    // A name the detector does not take is refused at the request.
    ASSERT_EQ(Write("/other.bin", PatternBytes(10)), kTransferDeviceError);
    EXPECT_EQ(Log(), Cp1251(u"файл /fds.sdb - Disk full\r\nБлок данных = 2\r\n"
                            u"файл /other.bin - Access violation\r\nБлок данных = 0\r\n"));
}

TEST_F(TftpWrite, OddAnswersToTheRequestAreIgnoredAndNoStaleBlockIsSent) {
    const std::string file = PatternBytes(600);
    detector::Options o = Defaults();
    o.faults.oddAt = 0;  // a 2-byte datagram and ACK 7 before ACK 0
    StartDetector(o);
    ASSERT_EQ(Write("/fds.sdb", file), kTransferDone);
    EXPECT_EQ(Exchange(9), (Lines{"<- WRQ /fds.sdb octet", "-> 2 bytes", "-> ACK 7", "-> ACK 0", "<- DATA 1 512",
                                   "-> ACK 1", "<- DATA 2 88", "-> ACK 2", "<- DATA 3 0"}));
    EXPECT_EQ(Received(0), 0u);
    EXPECT_EQ(StoredFile("fds.sdb"), file);
}

TEST_F(TftpWrite, StrangersAreToldOffAndTheWriteGoesOn) {
    const std::string file = PatternBytes(1500);
    detector::Options o = Defaults();
    o.faults.strayAt = 1;
    StartDetector(o);
    ASSERT_EQ(Write("/fds.sdb", file), kTransferDone);
    EXPECT_EQ(StoredFile("fds.sdb"), file);
    size_t toldOff = 0;
    for (const auto& line : Exchange(11)) toldOff += line == "<- ERROR 5 Unknown transfer ID";
    EXPECT_EQ(toldOff, 1u);
    EXPECT_EQ(Received(2), 1u);
}

TEST_F(TftpWrite, WithoutMemoryNothingIsSent) {
    StartDetector();
    for (int allowed : {0, 1}) {
        sys::testing::FailAllocationsAfter(allowed);
        EXPECT_EQ(Write("/fds.sdb", "x"), kTransferNoMemory) << allowed;
        sys::testing::FailAllocationsAfter(-1);
    }
    EXPECT_EQ(Write(std::string(kMaxWriteName + 1, 'n').c_str(), "x"), kTransferNoMemory);
    EXPECT_TRUE(Exchange(0).empty());
    EXPECT_EQ(Log(), "");
}

}  // namespace
