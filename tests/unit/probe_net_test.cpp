// The presence probe against the simulated detector's TCP port in its three moods.
#include <thread>

#include "net/probe.h"
#include "net_support.h"

namespace {

class Probe : public DetectorTest {
protected:
    int Run(sys::Endpoint at) {
        uint64_t start = NowMs();
        int result = ProbeDevice(at);
        elapsedMs = NowMs() - start;
        return result;
    }
    void StartWithTcp(detector::TcpMode mode) {
        detector::Options o = Defaults();
        o.tftp = false;
        o.tcp = mode;
        StartDetector(o);
    }
    uint64_t elapsedMs = 0;
};

TEST_F(Probe, ListeningDetectorAnswersAndTheConnectionIsClosedAtOnce) {
    StartWithTcp(detector::TcpMode::Accept);
    EXPECT_EQ(Run(device->TcpEndpoint()), 0);
    EXPECT_EQ(Run(device->TcpEndpoint()), 0);
    EXPECT_LT(elapsedMs, 100u);
    const uint64_t end = NowMs() + 1000;
    while (device->ConnectionsAccepted() < 2 && NowMs() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(device->ConnectionsAccepted(), 2);
}

TEST_F(Probe, RefusedPortIsNoAnswerWithoutWaiting) {
    StartWithTcp(detector::TcpMode::Refuse);
    // Nothing listens on the detector's port: the system refuses at once, and a refusal that
    // wakes the wait must not pass for a connection.
    EXPECT_EQ(Run({kDetectorIp, kProbePort}), 1);
    EXPECT_LT(elapsedMs, 50u);
}

TEST_F(Probe, SilentAddressIsNoAnswerAfterTheWait) {
    StartWithTcp(detector::TcpMode::Ignore);
    EXPECT_EQ(Run(device->TcpEndpoint()), 1);
    EXPECT_GE(elapsedMs, 95u);
    EXPECT_LT(elapsedMs, 250u);
    EXPECT_EQ(device->ConnectionsAccepted(), 0);
}

}  // namespace
