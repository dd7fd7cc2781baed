// Helpers of the network tests: a scratch folder with the log and the detector's files, a
// client socket, and the simulated detector on a loopback address.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "detector.h"
#include "net/tftp_client.h"
#include "net/transfer_display.h"
#include "test_support.h"

constexpr uint32_t kDetectorIp = 0x7F000002;  // 127.0.0.2

// Bytes that differ from block to block, so that a misplaced block shows.
std::string PatternBytes(size_t size, uint32_t seed = 1);
std::vector<uint8_t> AsVector(const std::string& bytes);
std::string AsString(const uint8_t* bytes, size_t size);
// Text in the log's Windows-1251 bytes.
std::string Cp1251(const char16_t* text);
uint64_t NowMs();

// Writes down what a transfer dialog would show, one line per call: "text Frame №4", "file 0",
// "step file", "step overall", "pause 300", "tell file fds.sdb - not found". A pause is written
// as the time it lasts from its start; pauses measured from the start of the one before are
// written with a "+" ("pause 10", "pause +20").
class RecordingDisplay : public TransferDisplay {
public:
    void ShowText(const std::u16string& text) override;
    void SetFileProgress(int position) override;
    void StepFileProgress() override;
    void StepOverallProgress() override;
    void Pause(uint64_t since, unsigned milliseconds) override;
    void Tell(const std::u16string& text) override;
    // Asked before each file: stops the run once `stopAfterTexts` texts have been shown.
    bool StopRequested() override;
    std::vector<std::u16string> lines;
    int stopAfterTexts = -1;

private:
    uint64_t lastSince_ = 0;
    bool paused_ = false;
};
// The lines of a file that came whole: ten steps of the file bar, due 10, 20, ... 100 ms after
// the first, then full.
std::vector<std::u16string> FileBarFilled();

class DetectorTest : public InScratchFolder {
protected:
    void SetUp() override;
    void TearDown() override;

    // Options for a detector on 127.0.0.2 with ports chosen by the system, serving root/.
    detector::Options Defaults() const;
    void StartDetector(const detector::Options& options);
    void StartDetector() { StartDetector(Defaults()); }
    // The peer a caller would pass: the detector's address and TFTP port.
    sys::Endpoint Peer() const { return device->TftpEndpoint(); }
    // The detector's record once it has seen at least `count` packets (or 2 s passed), plus
    // anything that follows within a short while.
    std::vector<std::string> Exchange(size_t count);
    std::vector<detector::PacketRecord> Packets(size_t count);
    // The log's entries without their time stamps.
    std::string Log() const;
    // A file in the detector's folder.
    void PutFile(const std::string& name, const std::string& bytes);
    std::string StoredFile(const std::string& name) const;

    std::string root;
    TftpLink link;
    std::unique_ptr<detector::Detector> device;
};
