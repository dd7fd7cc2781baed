// The presence probe against the simulated detector's TCP port in its three moods; the
// start-up search's choice among many addresses; the status probe in the background.
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "mainwnd/device_search.h"
#include "net/probe.h"
#include "net_support.h"
#include "sys/sys_testing.h"

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

// ---- many addresses at once, and the probe in the background ----------------------------------

namespace {

// Port 1533 on a loopback address: answering (the system completes connections nobody takes,
// up to its queue) or silent (the queue is full, so further attempts go unanswered, as for a
// host that is switched off).
class LoopbackHost {
public:
    enum Mood { Answering, Silent };

    LoopbackHost(uint32_t ip, Mood mood) {
        EXPECT_EQ(sys::OpenTcpSocket(&listener_), 0);
        sys::SetReuseAddress(listener_);
        EXPECT_EQ(sys::BindSocket(listener_, {ip, kProbePort}), 0);
        EXPECT_EQ(sys::ListenOn(listener_, mood == Silent ? 0 : 64), 0);
        if (mood == Silent) {
            EXPECT_EQ(sys::OpenTcpSocket(&filler_), 0);
            sys::SetNonBlocking(filler_);
            sys::StartConnect(filler_, {ip, kProbePort});
            EXPECT_TRUE(sys::WaitConnected(filler_, 1000)) << "the queue of " << ip << " was not filled";
        }
    }
    ~LoopbackHost() {
        sys::CloseSocket(filler_);
        sys::CloseSocket(listener_);
    }
    LoopbackHost(const LoopbackHost&) = delete;
    LoopbackHost& operator=(const LoopbackHost&) = delete;

private:
    sys::Socket listener_ = sys::kNoSocket, filler_ = sys::kNoSocket;
};

size_t OpenDescriptors() {
    size_t count = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd"); it != std::filesystem::directory_iterator(); ++it)
        ++count;
    return count;
}

constexpr uint32_t kDeviceIp = 0x7F000007;  // 127.0.0.7: the candidates are 127.0.0.100 to .199

uint32_t Candidate(uint32_t octet) { return WithLastOctet(kDeviceIp, octet); }

class Search : public ::testing::Test {
protected:
    void TearDown() override { sys::testing::FailTcpSocketOpens(0); }

    void Host(uint32_t octet, LoopbackHost::Mood mood) {
        hosts.push_back(std::make_unique<LoopbackHost>(Candidate(octet), mood));
    }
    SearchResult Run() {
        const size_t before = OpenDescriptors();
        const uint64_t start = NowMs();
        SearchResult result = SearchForDevice(kDeviceIp);
        elapsedMs = NowMs() - start;
        EXPECT_EQ(OpenDescriptors(), before) << "the search left sockets open";
        return result;
    }

    std::vector<std::unique_ptr<LoopbackHost>> hosts;
    uint64_t elapsedMs = 0;
};

TEST_F(Search, TheLowestAnsweringCandidateIsAdoptedOnceTheSilentOnesBelowItHadTheirWait) {
    Host(100, LoopbackHost::Silent);
    Host(120, LoopbackHost::Answering);
    Host(130, LoopbackHost::Silent);
    Host(150, LoopbackHost::Answering);
    SearchResult found = Run();
    EXPECT_TRUE(found.answered);
    EXPECT_EQ(found.address, Candidate(120));
    // .100 could still have answered within its 100 ms, and it comes first.
    EXPECT_GE(elapsedMs, 95u);
    EXPECT_LT(elapsedMs, 1000u);

    // With only refusals below it, an answer needs no wait.
    hosts.erase(hosts.begin());
    found = Run();
    EXPECT_EQ(found.address, Candidate(120));
    EXPECT_LT(elapsedMs, 50u);
}

TEST_F(Search, NoAnswerAmongAHundredSilentCandidatesIsToldAfterOneWait) {
    for (uint32_t octet = kFirstCandidateOctet; octet <= kLastCandidateOctet; ++octet) Host(octet, LoopbackHost::Silent);
    SearchResult found = Run();
    EXPECT_FALSE(found.answered);
    EXPECT_EQ(found.address, Candidate(199));
    // One wait for all, where one after another would take ten seconds.
    EXPECT_GE(elapsedMs, 95u);
    EXPECT_LT(elapsedMs, 1000u);

    hosts.clear();  // nothing listens: every candidate refuses at once
    found = Run();
    EXPECT_FALSE(found.answered);
    EXPECT_LT(elapsedMs, 50u);
}

TEST_F(Search, CandidatesWhoseSocketCannotBeOpenedDoNotAnswer) {
    Host(100, LoopbackHost::Answering);
    Host(101, LoopbackHost::Answering);
    sys::testing::FailTcpSocketOpens(1);  // .100's
    SearchResult found = Run();
    EXPECT_EQ(found.address, Candidate(101));

    sys::testing::FailTcpSocketOpens(100);
    found = Run();
    EXPECT_FALSE(found.answered);
    EXPECT_LT(elapsedMs, 50u);
}

// The status probe: started, looked at without waiting, over within its 100 ms.
TEST(BackgroundProbe, TellsAnsweredSilentAndRefusedWithoutTheCallerEverWaiting) {
    LoopbackHost answering(0x7F000010, LoopbackHost::Answering);
    LoopbackHost silent(0x7F000011, LoopbackHost::Silent);
    const size_t before = OpenDescriptors();
    // Looks until the attempt is over, with the clock held at `at` (relative to the start)
    // so that only the connection itself can end it; the time the caller spent in the calls.
    auto settle = [](ProbeAttempt& a, uint64_t at, ProbeOutcome* outcome) {
        uint64_t inCalls = 0;
        for (int k = 0; k < 500; ++k) {
            const uint64_t start = NowMs();
            *outcome = CheckProbe(a, a.startedMs + at);
            inCalls += NowMs() - start;
            if (*outcome != ProbeOutcome::Pending) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return inCalls;
    };
    ProbeOutcome outcome;

    uint64_t start = NowMs();
    ProbeAttempt a = StartProbe({0x7F000010, kProbePort}, NowMs());
    EXPECT_LT(NowMs() - start + settle(a, 0, &outcome), 20u);
    EXPECT_EQ(outcome, ProbeOutcome::Answered);
    EndProbe(a);

    start = NowMs();
    a = StartProbe({0x7F000011, kProbePort}, NowMs());
    EXPECT_EQ(CheckProbe(a, a.startedMs + 99), ProbeOutcome::Pending);
    EXPECT_LT(NowMs() - start, 20u);
    EXPECT_EQ(CheckProbe(a, a.startedMs + 100), ProbeOutcome::NoAnswer);
    EndProbe(a);
    EXPECT_FALSE(a.Open());

    // Nothing listens: the refusal ends the attempt long before its wait would.
    a = StartProbe({0x7F000012, kProbePort}, NowMs());
    EXPECT_LT(settle(a, 0, &outcome), 20u);
    EXPECT_EQ(outcome, ProbeOutcome::NoAnswer);
    EndProbe(a);

    sys::testing::FailTcpSocketOpens(1);
    a = StartProbe({0x7F000010, kProbePort}, NowMs());
    EXPECT_EQ(CheckProbe(a, a.startedMs), ProbeOutcome::NoAnswer);
    EndProbe(a);
    sys::testing::FailTcpSocketOpens(0);
    EXPECT_EQ(OpenDescriptors(), before) << "a probe left its socket open";
}

}  // namespace
