// The simulated detector itself: its command line, its program started and stopped as scripts
// do, and the rules of a TFTP server it keeps toward any client.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "net_support.h"

namespace {

using Lines = std::vector<std::string>;

bool Parse(std::vector<const char*> args, detector::Options* o, std::string* error) {
    args.insert(args.begin(), "pelorin-detector");
    bool help = false;
    return detector::ParseCommandLine(static_cast<int>(args.size()), args.data(), o, &help, error);
}

TEST(DetectorCommandLine, TakesAddressesOnLoopbackOnly) {
    detector::Options o;
    std::string error;
    EXPECT_TRUE(Parse({"--address", "127.0.0.5", "--tftp-port=6969", "--tcp=ignore"}, &o, &error)) << error;
    EXPECT_EQ(o.address, 0x7F000005u);
    EXPECT_EQ(o.tftpPort, 6969);
    EXPECT_EQ(o.tcp, detector::TcpMode::Ignore);
    for (const char* address : {"192.168.0.100", "10.0.0.1", "0.0.0.0", "127.0.0.0", "localhost", "8.8.8.8"}) {
        detector::Options other;
        EXPECT_FALSE(Parse({"--address", address}, &other, &error)) << address;
        EXPECT_NE(error.find("loopback"), std::string::npos);
    }
    EXPECT_FALSE(Parse({"--second-address=192.168.0.101"}, &o, &error));
}

TEST(DetectorCommandLine, ReadsFaultsAndRefusesNonsense) {
    detector::Options o;
    std::string error;
    ASSERT_TRUE(Parse({"--drop=out:DATA:3", "--drop", "in:ACK:2:4", "--duplicate=out:ACK:1", "--loss=5%",
                       "--duplication=0.05", "--seed=7", "--error-at=1:2:No way", "--silent-after=4", "--no-tftp"},
                      &o, &error))
        << error;
    ASSERT_EQ(o.faults.drop.size(), 2u);
    EXPECT_TRUE(o.faults.drop[0].outgoing);
    EXPECT_EQ(o.faults.drop[0].opcode, detector::kData);
    EXPECT_EQ(o.faults.drop[0].block, 3);
    EXPECT_FALSE(o.faults.drop[1].outgoing);
    EXPECT_EQ(o.faults.drop[1].count, 4);
    EXPECT_DOUBLE_EQ(o.faults.loss, 0.05);
    EXPECT_DOUBLE_EQ(o.faults.duplication, 0.05);
    EXPECT_EQ(o.faults.errorAt, 1);
    EXPECT_EQ(o.faults.errorCode, 2);
    EXPECT_EQ(o.faults.errorMessage, "No way");
    EXPECT_FALSE(o.tftp);
    for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{
             {"--drop=sideways:DATA:1"}, {"--drop=out:DATA"}, {"--loss=2"}, {"--tcp=maybe"}, {"--tftp-port=70000"},
             {"--root"}, {"--mute=yes"}, {"--frobnicate"}}) {
        detector::Options other;
        EXPECT_FALSE(Parse(bad, &other, &error)) << bad[0];
    }
}

// The program as a script runs it: "ready" once it listens, SIGTERM ends it with status 0.
TEST(DetectorProgram, StartsServesAndStopsOnSigterm) {
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl(PELORIN_DETECTOR_PROGRAM, "pelorin-detector", "--address", "127.0.0.4", "--tftp-port", "6969",
              "--tcp-port", "1533", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char line[16] = {};
    ssize_t n = read(out[0], line, sizeof line - 1);
    EXPECT_EQ(std::string(line, n > 0 ? static_cast<size_t>(n) : 0), "ready\n");
    // The demo content beside the program is served by default.
    std::vector<uint8_t> frame(50000);
    uint32_t length = static_cast<uint32_t>(frame.size());
    sys::Socket s;
    ASSERT_EQ(sys::OpenUdpSocket(&s), 0);
    ASSERT_EQ(sys::BindSocket(s, {0x7F000001, 0}), 0);
    sys::Endpoint peer = {0x7F000004, 6969};
    EXPECT_EQ(TftpReadFile(TftpLink{s, 300}, &peer, "/screenshots/1.png", frame.data(), &length), kTransferDone);
    EXPECT_GT(length, 1000u);
    EXPECT_LT(length, 50000u);
    EXPECT_EQ(std::string(frame.begin() + 1, frame.begin() + 4), "PNG");
    sys::CloseSocket(s);
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    close(out[0]);
}

class DetectorServer : public DetectorTest {
protected:
    sys::Endpoint Send(std::vector<uint8_t> packet, sys::Endpoint to) {
        sys::SendTo(link.socket, packet.data(), packet.size(), to);
        return to;
    }
    std::vector<uint8_t> Receive(sys::Endpoint* from) {
        std::vector<uint8_t> buffer(1000);
        int n = sys::ReceiveFrom(link.socket, buffer.data(), buffer.size(), from, 1500);
        buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return buffer;
    }
};

TEST_F(DetectorServer, ReSendsAnUnacknowledgedBlockOnItsOwnAndNotForEveryDuplicateAck) {
    PutFile("fds.sdb", PatternBytes(1500));
    detector::Options o = Defaults();
    o.retransmitMs = 200;
    StartDetector(o);
    const std::vector<uint8_t> rrq = {0, 1, 'f', 'd', 's', '.', 's', 'd', 'b', 0, 'o', 'c', 't', 'e', 't', 0};
    Send(rrq, Peer());
    sys::Endpoint from;
    EXPECT_EQ(detector::Describe(Receive(&from)), "DATA 1 512");
    uint64_t first = NowMs();
    EXPECT_EQ(detector::Describe(Receive(&from)), "DATA 1 512");  // nobody answered: again
    EXPECT_GE(NowMs() - first, 150u);
    Send({0, 4, 0, 1}, from);
    Send({0, 4, 0, 1}, from);  // a duplicate that follows closely is no reason to send again
    EXPECT_EQ(detector::Describe(Receive(&from)), "DATA 2 512");
    sys::Endpoint stranger;
    std::vector<uint8_t> none(4);
    EXPECT_EQ(sys::ReceiveFrom(link.socket, none.data(), none.size(), &stranger, 100), sys::kRecvTimeout);
}

TEST_F(DetectorServer, RefusesWhatItDoesNotServe) {
    StartDetector();
    sys::Endpoint from;
    Send({0, 1, '.', '.', '/', 'x', 0, 'o', 'c', 't', 'e', 't', 0}, Peer());
    EXPECT_EQ(detector::Describe(Receive(&from)), "ERROR 1 File not found");
    Send({0, 2, '/', 'x', '.', 's', 'd', 'b', 0, 'o', 'c', 't', 'e', 't', 0}, Peer());
    EXPECT_EQ(detector::Describe(Receive(&from)), "ERROR 2 Access violation");
    Send({0, 1, 'f', 'd', 's', '.', 's', 'd', 'b', 0, 'm', 'a', 'i', 'l', 0}, Peer());
    EXPECT_EQ(detector::Describe(Receive(&from)), "ERROR 0 Only octet mode is served");
    Send({0, 4, 0, 1}, Peer());
    EXPECT_EQ(detector::Describe(Receive(&from)), "ERROR 4 Illegal TFTP operation");
}

}  // namespace
