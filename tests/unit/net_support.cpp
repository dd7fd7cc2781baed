// Helpers of the network tests.
#include "net_support.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "core/log.h"
#include "sys/cp1251.h"
#include "sys/sys.h"
#include "sys/sys_testing.h"

std::string PatternBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((x >> 16) ^ (i / 512));
    }
    return bytes;
}

std::vector<uint8_t> AsVector(const std::string& bytes) { return std::vector<uint8_t>(bytes.begin(), bytes.end()); }

std::string AsString(const uint8_t* bytes, size_t size) { return std::string(reinterpret_cast<const char*>(bytes), size); }

std::string Cp1251(const char16_t* text) { return ToCp1251(text); }

uint64_t NowMs() { return sys::MonotonicMs(); }

namespace {
std::u16string Number(long long n) { return sys::FromAnsi(std::to_string(n)); }
}  // namespace

void RecordingDisplay::ShowText(const std::u16string& text) { lines.push_back(u"text " + text); }
void RecordingDisplay::SetFileProgress(int position) { lines.push_back(u"file " + Number(position)); }
void RecordingDisplay::StepFileProgress() { lines.push_back(u"step file"); }
void RecordingDisplay::StepOverallProgress() { lines.push_back(u"step overall"); }
void RecordingDisplay::Pause(uint64_t since, unsigned milliseconds) {
    const bool sameStart = paused_ && since == lastSince_;
    lines.push_back(u"pause " + std::u16string(sameStart ? u"+" : u"") + Number(milliseconds));
    lastSince_ = since;
    paused_ = true;
    // The clock moves past `since`, so that a pause measured from a start taken later has
    // another start (at most a millisecond).
    for (int i = 0; i < 1000 && sys::MonotonicMs() <= since; ++i) std::this_thread::sleep_for(std::chrono::microseconds(100));
}
void RecordingDisplay::Tell(const std::u16string& text) { lines.push_back(u"tell " + text); }

bool RecordingDisplay::StopRequested() {
    if (stopAfterTexts < 0) return false;
    int texts = 0;
    for (const std::u16string& line : lines) texts += line.rfind(u"text ", 0) == 0;
    return texts >= stopAfterTexts;
}

std::vector<std::u16string> FileBarFilled() {
    std::vector<std::u16string> lines;
    for (int step = 1; step <= 10; ++step)
        lines.insert(lines.end(), {u"step file", u"pause " + std::u16string(step > 1 ? u"+" : u"") + Number(10 * step)});
    lines.push_back(u"file 100");
    return lines;
}

void DetectorTest::SetUp() {
    InScratchFolder::SetUp();
    root = folder + "/root";
    ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/screenshots").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((folder + "/LOG").c_str(), 0755), 0);
    SetLogFolder(std::u16string(folder.begin(), folder.end()) + u"/LOG/");
    sys::testing::SetProgramName(u"Pelorin");
    ASSERT_EQ(sys::OpenUdpSocket(&link.socket), 0);
    ASSERT_EQ(sys::BindSocket(link.socket, {0x7F000001, 0}), 0);
    link.timeoutMs = 300;
}

void DetectorTest::TearDown() {
    if (device) device->Stop();
    device.reset();
    sys::CloseSocket(link.socket);
    sys::testing::FailAllocationsAfter(-1);
    sys::testing::FailUdpSocketOpens(0);
    InScratchFolder::TearDown();
}

detector::Options DetectorTest::Defaults() const {
    detector::Options o;
    o.address = kDetectorIp;
    o.tftpPort = 0;
    o.tcpPort = 0;
    o.root = root;
    return o;
}

void DetectorTest::StartDetector(const detector::Options& options) {
    device.reset(new detector::Detector(options));
    std::string error;
    ASSERT_TRUE(device->Start(&error)) << error;
}

std::vector<detector::PacketRecord> DetectorTest::Packets(size_t count) {
    const uint64_t end = NowMs() + 2000;
    while (device->Packets().size() < count && NowMs() < end) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    return device->Packets();
}

std::vector<std::string> DetectorTest::Exchange(size_t count) {
    std::vector<std::string> lines;
    for (const auto& r : Packets(count)) lines.push_back(detector::DescribeRecord(r));
    return lines;
}

std::string DetectorTest::Log() const { return WithoutStamps(ReadBytes(folder + "/LOG/Pelorin.LOG")); }

void DetectorTest::PutFile(const std::string& name, const std::string& bytes) { WriteBytes(root + "/" + name, bytes); }

std::string DetectorTest::StoredFile(const std::string& name) const { return ReadBytes(root + "/" + name); }
