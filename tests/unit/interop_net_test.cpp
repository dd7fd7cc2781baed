// Interoperation with TFTP software written elsewhere: our client against Debian's tftpd-hpa
// server, and Debian's tftp-hpa client and curl against our simulated detector.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "net_support.h"

namespace {

constexpr const char* kTftpd = "/usr/sbin/in.tftpd";
constexpr uint16_t kTftpdPort = 6969;

bool Installed(const char* program) { return access(program, X_OK) == 0; }

// Runs a shell command line; true when it ended with status 0.
bool Shell(const std::string& command) {
    int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// True once something has the UDP port: binding it ourselves fails then.
bool WaitUntilBound(sys::Endpoint at, int ms) {
    for (uint64_t end = NowMs() + static_cast<uint64_t>(ms); NowMs() < end;) {
        sys::Socket s;
        if (sys::OpenUdpSocket(&s) != 0) return false;
        bool taken = sys::BindSocket(s, at) != 0;
        sys::CloseSocket(s);
        if (taken) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class TftpdHpa : public DetectorTest {
protected:
    void SetUp() override {
        DetectorTest::SetUp();
        ASSERT_TRUE(Installed(kTftpd)) << "tftpd-hpa is missing: run scripts/setup.sh";
        served = folder + "/tftpd";
        ASSERT_EQ(mkdir(served.c_str(), 0755), 0);
    }
    void TearDown() override {
        if (server > 0) {
            kill(-server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
        DetectorTest::TearDown();
    }
    void StartServer() {
        server = fork();
        ASSERT_GE(server, 0);
        if (server == 0) {
            setpgid(0, 0);
            // All addresses of this namespace, which are loopback only: the server resolves a
            // given address with AI_ADDRCONFIG, which finds none where only loopback is up.
            const std::string address = ":" + std::to_string(kTftpdPort);
            execl(kTftpd, kTftpd, "--foreground", "--address", address.c_str(), "--secure", "--create", "--user",
                  "root", served.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_TRUE(WaitUntilBound({0x7F000001, kTftpdPort}, 3000));
    }
    sys::Endpoint Server() const { return {0x7F000001, kTftpdPort}; }

    std::string served;
    pid_t server = -1;
};

TEST_F(TftpdHpa, OurClientReadsFilesByteForByte) {
    const std::vector<size_t> sizes = {0, 100, 512, 1536, 50000, 1000000};
    for (size_t size : sizes) WriteBytes(served + "/f" + std::to_string(size), PatternBytes(size, static_cast<uint32_t>(size)));
    StartServer();
    std::vector<uint8_t> buffer(5000000);
    for (size_t size : sizes) {
        const std::string name = "f" + std::to_string(size);
        sys::Endpoint peer = Server();
        uint32_t length = static_cast<uint32_t>(buffer.size());
        ASSERT_EQ(TftpReadFile(link, &peer, name.c_str(), buffer.data(), &length), kTransferDone) << name;
        EXPECT_EQ(length, size);
        EXPECT_TRUE(AsString(buffer.data(), length) == PatternBytes(size, static_cast<uint32_t>(size))) << name;
        EXPECT_NE(peer.port, kTftpdPort);
    }
    sys::Endpoint peer = Server();
    uint32_t length = 100;
    EXPECT_EQ(TftpReadFile(link, &peer, "missing", buffer.data(), &length), kTransferDeviceError);
}

TEST_F(TftpdHpa, OurClientWritesFilesByteForByte) {
    StartServer();
    for (size_t size : {0u, 700u, 1024u, 200000u}) {
        const std::string bytes = PatternBytes(size, static_cast<uint32_t>(size) + 3);
        const std::string name = "/w" + std::to_string(size);
        sys::Endpoint peer = Server();
        ASSERT_EQ(TftpWriteFile(link, &peer, name.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                                static_cast<uint32_t>(bytes.size())),
                  kTransferDone)
            << name;
        EXPECT_TRUE(ReadBytes(served + name) == bytes) << name;
    }
}

class OtherClients : public DetectorTest {
protected:
    void SetUp() override {
        DetectorTest::SetUp();
        ASSERT_TRUE(Installed("/usr/bin/tftp")) << "tftp-hpa is missing: run scripts/setup.sh";
        ASSERT_TRUE(Installed("/usr/bin/curl")) << "curl is missing: run scripts/setup.sh";
    }
    std::string Url(const std::string& name) const {
        return "tftp://127.0.0.2:" + std::to_string(device->TftpEndpoint().port) + "/" + name;
    }
    std::string TftpHpa(const std::string& command) const {
        return "tftp -m binary 127.0.0.2 " + std::to_string(device->TftpEndpoint().port) + " -c " + command;
    }
};

TEST_F(OtherClients, ReadFromTheDetectorByteForByte) {
    const std::string settings = PatternBytes(70000, 5), frame = PatternBytes(1536, 6);
    PutFile("fds.sdb", settings);
    PutFile("screenshots/3.png", frame);
    StartDetector();
    const std::string out = folder + "/out";
    ASSERT_TRUE(Shell(TftpHpa("get fds.sdb " + out)));
    EXPECT_TRUE(ReadBytes(out) == settings);
    ASSERT_TRUE(Shell(TftpHpa("get /screenshots/3.png " + out)));
    EXPECT_TRUE(ReadBytes(out) == frame);
    ASSERT_TRUE(Shell("curl --tftp-no-options -s -S -o " + out + " " + Url("fds.sdb")));
    EXPECT_TRUE(ReadBytes(out) == settings);
    ASSERT_TRUE(Shell("curl --tftp-no-options -s -S -o " + out + " " + Url("screenshots/3.png")));
    EXPECT_TRUE(ReadBytes(out) == frame);
    EXPECT_FALSE(Shell("curl --tftp-no-options -s -o " + out + " " + Url("screenshots/4.png")));
}

TEST_F(OtherClients, WriteToTheDetectorByteForByte) {
    StartDetector();
    const std::string in = folder + "/in";
    const std::string first = PatternBytes(3000, 8), second = PatternBytes(1024, 9);
    WriteBytes(in, first);
    ASSERT_TRUE(Shell(TftpHpa("put " + in + " /fds.sdb")));
    EXPECT_TRUE(StoredFile("fds.sdb") == first);
    WriteBytes(in, second);
    ASSERT_TRUE(Shell("curl --tftp-no-options -s -S -T " + in + " " + Url("fdc.sdb")));
    EXPECT_TRUE(StoredFile("fdc.sdb") == second);
}

TEST_F(OtherClients, ReadThroughALostBlock) {
    const std::string settings = PatternBytes(5000, 10);
    PutFile("fds.sdb", settings);
    detector::Options o = Defaults();
    o.faults.drop.push_back({true, detector::kData, 4, 2});  // DATA 4 lost twice: for each client
    StartDetector(o);
    const std::string out = folder + "/out";
    ASSERT_TRUE(Shell(TftpHpa("get fds.sdb " + out)));
    EXPECT_TRUE(ReadBytes(out) == settings);
    ASSERT_TRUE(Shell("curl --tftp-no-options -s -S -o " + out + " " + Url("fds.sdb")));
    EXPECT_TRUE(ReadBytes(out) == settings);
}

}  // namespace
