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
    // 0 when the one address answered within the probe's wait, -1 when it did not.
    int Run(sys::Endpoint at) {
        uint64_t start = NowMs();
        int result = FirstAnswering(&at, 1, kProbeWaitMs);
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
    const uint64_t end = NowMs() + 1000;
    while (device->ConnectionsAccepted() < 2 && NowMs() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(device->ConnectionsAccepted(), 2);
}

TEST_F(Probe, RefusedPortIsNoAnswerWithoutWaiting) {
    StartWithTcp(detector::TcpMode::Refuse);
    // Nothing listens on the detector's port: the system refuses at once, and a refusal that
    // wakes the wait must not pass for a connection.
    EXPECT_EQ(Run({kDetectorIp, kProbePort}), -1);
    EXPECT_LT(elapsedMs, 80u);  // not the whole wait
}

TEST_F(Probe, SilentAddressIsNoAnswerAfterTheWait) {
    StartWithTcp(detector::TcpMode::Ignore);
    EXPECT_EQ(Run(device->TcpEndpoint()), -1);
    EXPECT_GE(elapsedMs, 95u);
    EXPECT_LT(elapsedMs, 1000u);  // not the system's own connection time-out of seconds
    EXPECT_EQ(device->ConnectionsAccepted(), 0);
}

// ---- many addresses at once, and the probe in the background ----------------------------------

constexpr uint32_t kDeviceIp = 0x7F000007;  // 127.0.0.7: the candidates are 127.0.0.100 to .199

uint32_t Candidate(uint32_t octet) { return WithLastOctet(kDeviceIp, octet); }

size_t OpenDescriptors() {
    size_t count = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd"); it != std::filesystem::directory_iterator(); ++it)
        ++count;
    return count;
}

// Port 1533 of a candidate: answering (the system completes connections that nobody takes, up
// to its queue; nothing else opens or closes sockets meanwhile) or silent (the queue is full, so
// further attempts go unanswered, as for a host that is switched off).
enum Mood { Answering, Silent };

class LoopbackHost {
public:
    LoopbackHost(uint32_t ip, Mood mood) {
        EXPECT_EQ(sys::OpenTcpSocket(&listener_), 0);
        sys::SetReuseAddress(listener_);
        EXPECT_EQ(sys::BindSocket(listener_, {ip, kProbePort}), 0);
        EXPECT_EQ(sys::ListenOn(listener_, mood == Silent ? 0 : 64), 0);
        if (mood == Answering) return;
        EXPECT_EQ(sys::OpenTcpSocket(&filler_), 0);
        sys::SetNonBlocking(filler_);
        sys::StartConnect(filler_, {ip, kProbePort});
        EXPECT_TRUE(sys::WaitConnected(filler_, 1000)) << "the queue was not filled";
    }
    ~LoopbackHost() {
        sys::CloseSocket(filler_);
        sys::CloseSocket(listener_);
    }

private:
    sys::Socket listener_ = sys::kNoSocket, filler_ = sys::kNoSocket;
};

// Hosts on some candidates; every other candidate refuses.
class Search : public ::testing::Test {
protected:
    void TearDown() override {
        sys::testing::FailTcpSocketOpens(0);
        sys::testing::DelayTcpSocketOpens(0);
    }

    void Host(uint32_t octet, Mood mood) { hosts.push_back(std::make_unique<LoopbackHost>(Candidate(octet), mood)); }
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
    Host(100, Silent);
    Host(120, Answering);
    Host(130, Silent);
    Host(150, Answering);
    SearchResult found = Run();
    EXPECT_TRUE(found.answered);
    EXPECT_EQ(found.address, Candidate(120));
    EXPECT_GE(elapsedMs, 95u);  // .100 could still have answered, and it comes first

    hosts.erase(hosts.begin());  // with only refusals below it, .120 needs no wait
    found = Run();
    EXPECT_EQ(found.address, Candidate(120));
    EXPECT_LT(elapsedMs, 80u);  // not the whole wait
}

TEST_F(Search, NoAnswerIsToldAfterOneWaitForAll) {
    for (uint32_t octet = kFirstCandidateOctet; octet <= kLastCandidateOctet; ++octet) Host(octet, Silent);
    SearchResult found = Run();
    EXPECT_FALSE(found.answered);
    EXPECT_EQ(found.address, Candidate(199));
    EXPECT_GE(elapsedMs, 95u);
    EXPECT_LT(elapsedMs, 1000u);  // one after another: ten seconds
}

TEST_F(Search, CandidatesWhoseSocketCannotBeOpenedDoNotAnswer) {
    Host(100, Answering);
    Host(101, Answering);
    sys::testing::FailTcpSocketOpens(1);  // .100's
    EXPECT_EQ(Run().address, Candidate(101));
    sys::testing::FailTcpSocketOpens(100);
    EXPECT_FALSE(Run().answered);
}

// A busy machine: each socket takes 3 ms to open, so opening the 100 takes three times the
// wait. Each candidate still has its wait from its own start, and what answered while nobody
// looked is found, the lowest first.
TEST_F(Search, SlowSocketOpensMissNoAnswer) {
    constexpr int kOpenMs = 3;
    sys::testing::DelayTcpSocketOpens(kOpenMs);
    Host(100, Silent);
    Host(190, Answering);
    EXPECT_EQ(Run().address, Candidate(190));

    hosts.clear();
    Host(100, Answering);  // answered at once, but its wait was over before anyone looked
    Host(190, Answering);
    EXPECT_EQ(Run().address, Candidate(100));

    hosts.clear();
    Host(198, Silent);  // started after 99 slow opens, and it comes before .199
    Host(199, Answering);
    EXPECT_EQ(Run().address, Candidate(199));
    EXPECT_GE(elapsedMs, 99u * kOpenMs + 95u);
}

// The status probe: started and looked at without waiting; the clock passed in is held at the
// start unless said otherwise, so that only the connection itself can end the attempt.
TEST_F(Search, TheProbeInTheBackgroundTellsAnsweredSilentAndRefusedWithoutWaiting) {
    Host(100, Answering);
    Host(101, Silent);
    const size_t before = OpenDescriptors();
    auto settle = [](const sys::Endpoint& at) {
        ProbeAttempt a = StartProbe(at);
        ProbeOutcome outcome = CheckProbe(a, a.startedMs);
        for (int k = 0; k < 250 && outcome == ProbeOutcome::Pending; ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            outcome = CheckProbe(a, a.startedMs);
        }
        EndProbe(a);
        return outcome;
    };
    EXPECT_EQ(settle({Candidate(100), kProbePort}), ProbeOutcome::Answered);
    EXPECT_EQ(settle({Candidate(102), kProbePort}), ProbeOutcome::NoAnswer);  // refused

    const uint64_t start = NowMs();
    ProbeAttempt silent = StartProbe({Candidate(101), kProbePort});
    EXPECT_EQ(CheckProbe(silent, silent.startedMs + 99), ProbeOutcome::Pending);
    EXPECT_LT(NowMs() - start, 80u);  // not the whole wait
    EXPECT_EQ(CheckProbe(silent, silent.startedMs + 100), ProbeOutcome::NoAnswer);
    EndProbe(silent);

    // Its checks came late (a busy window): the answer it got meanwhile still counts.
    ProbeAttempt late = StartProbe({Candidate(100), kProbePort});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(CheckProbe(late, late.startedMs + kStatusIntervalMs), ProbeOutcome::Answered);
    EndProbe(late);

    sys::testing::FailTcpSocketOpens(1);
    ProbeAttempt unopened = StartProbe({Candidate(100), kProbePort});
    EXPECT_EQ(CheckProbe(unopened, unopened.startedMs), ProbeOutcome::NoAnswer);
    EXPECT_EQ(OpenDescriptors(), before) << "a probe left its socket open";
}

}  // namespace
