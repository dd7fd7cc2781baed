// Reading 100 frames of 50,000 bytes from the simulated detector on loopback, as Read > Frames
// does it (native build, no Wine): the whole run with its pauses (10 x 10 ms a frame after each
// stored frame), the same without them, and the time on the wire from each request to the
// detector's last packet of that frame.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "core/log.h"
#include "detector.h"
#include "frames/frame_reader.h"
#include "sys/sys.h"

namespace {

constexpr int kFrames = 100;
constexpr size_t kFrameSize = 50000;

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Shows nothing; pauses for real or not at all, and adds up the time paused.
class PausingDisplay : public TransferDisplay {
public:
    explicit PausingDisplay(bool pause) : pause_(pause) {}
    void ShowText(const std::u16string&) override {}
    void SetFileProgress(int) override {}
    void StepFileProgress() override {}
    void StepOverallProgress() override {}
    void Tell(const std::u16string&) override {}
    bool StopRequested() override { return false; }
    void Pause(uint64_t since, unsigned ms) override {
        if (!pause_) return;
        const double start = Seconds();
        const uint64_t now = sys::MonotonicMs();
        if (now < since + ms) sys::SleepMs(static_cast<unsigned>(since + ms - now));
        paused += Seconds() - start;
    }
    double paused = 0;

private:
    bool pause_;
};

}  // namespace

int FramesBench() {
    char folder[] = "/tmp/pelorin-frames-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string root = std::string(folder) + "/detector";
    mkdir(root.c_str(), 0755);
    mkdir((root + "/screenshots").c_str(), 0755);
    std::mt19937 random(7);
    for (int n = 1; n <= kFrames; ++n) {
        std::string bytes(kFrameSize, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        std::ofstream(root + "/screenshots/" + std::to_string(n) + ".png", std::ios::binary) << bytes;
    }
    SetLogFolder(u"/nonexistent/");

    detector::Options options;
    options.address = 0x7F000002;
    options.tftpPort = 0;
    options.tcpPort = 0;
    options.root = root;
    detector::Detector device(options);
    std::string error;
    if (!device.Start(&error)) {
        std::fprintf(stderr, "frames bench: %s\n", error.c_str());
        return 1;
    }
    sys::Socket shared;
    if (sys::OpenUdpSocket(&shared) != 0 || sys::BindSocket(shared, {0, 0}) != 0) return 1;

    std::printf("\nRead > Frames natively: %d frames of %zu bytes from the simulated detector on loopback\n", kFrames,
                kFrameSize);
    int status = 0;
    for (bool pause : {true, false}) {
        const std::string frames = std::string(folder) + (pause ? "/with" : "/without");
        FrameReadRequest request;
        for (int n = 1; n <= kFrames; ++n) request.frames.push_back(n);
        request.framesPath = std::u16string(frames.begin(), frames.end()) + u"/";
        request.link = {shared, device.TftpEndpoint(), 300};
        PausingDisplay display(pause);
        std::vector<FrameOutcome> outcomes;
        device.ClearRecord();
        const double start = Seconds();
        ReadFrames(request, &display, &outcomes);
        const double total = Seconds() - start;
        int stored = 0;
        for (FrameOutcome o : outcomes) stored += o == FrameOutcome::Stored;
        if (stored != kFrames) status = 1;
        // From each request to the detector's last packet before the next request.
        double wire = 0;
        uint64_t begin = 0, last = 0;
        bool open = false;
        for (const auto& r : device.Packets()) {
            const bool request = !r.sent && r.bytes.size() > 1 && r.bytes[1] == detector::kRrq;
            if (request) {
                if (open) wire += static_cast<double>(last - begin) / 1e6;
                begin = r.atUs;
                open = true;
            }
            last = r.atUs;
        }
        if (open) wire += static_cast<double>(last - begin) / 1e6;
        std::printf("  %s pauses: %6.2f s in all, %5.2f s paused, %5.2f s on the wire, %5.2f s the rest (files); "
                    "%d of %d stored\n",
                    pause ? "with   " : "without", total, display.paused, wire, total - display.paused - wire, stored,
                    kFrames);
    }
    device.Stop();
    sys::CloseSocket(shared);
    std::string cleanup = std::string("rm -rf '") + folder + "'";
    if (std::system(cleanup.c_str()) != 0) status = 1;
    return status;
}
