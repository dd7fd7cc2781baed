// pelorin-detector: the simulated flaw detector as a program, for the demo, for training and
// for scripts. It prints "ready" once it listens and ends cleanly on SIGTERM or Ctrl+C.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#ifdef __linux__
#include <unistd.h>
#endif

#include "detector.h"
#include "core/ip_address.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

// The sample content sits beside the program.
std::string DefaultRoot(const char* program) {
    std::string path = program ? program : "";
#ifdef __linux__
    // Found through PATH, argv[0] has no folder; the system knows where the program is.
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) path.assign(self, static_cast<size_t>(n));
#endif
    size_t slash = path.find_last_of("/\\");
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/sample";
}

const char* ModeName(detector::TcpMode mode) {
    switch (mode) {
        case detector::TcpMode::Accept: return "accept";
        case detector::TcpMode::Refuse: return "refuse";
        case detector::TcpMode::Ignore: return "ignore";
    }
    return "?";
}

}  // namespace

int main(int argc, char** argv) {
    detector::Options options;
    options.root = DefaultRoot(argv[0]);
    bool help = false;
    std::string error;
    if (!detector::ParseCommandLine(argc, argv, &options, &help, &error)) {
        std::fprintf(stderr, "pelorin-detector: %s\n", error.c_str());
        return 2;
    }
    if (help) {
        std::fputs(detector::UsageText().c_str(), stdout);
        return 0;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    detector::Detector device(options);
    if (!device.Start(&error)) {
        std::fprintf(stderr, "pelorin-detector: %s\n", error.c_str());
        return 1;
    }
    const std::string address = FormatIpAddress(options.address);
    std::fprintf(stderr, "pelorin-detector: serving %s on %s", options.root.c_str(), address.c_str());
    if (options.tftp) std::fprintf(stderr, ", TFTP port %u", device.TftpEndpoint().port);
    if (options.tcp != detector::TcpMode::Refuse) std::fprintf(stderr, ", TCP port %u", device.TcpEndpoint().port);
    std::fprintf(stderr, " (%s)\n", ModeName(options.tcp));
    std::fputs("ready\n", stdout);
    std::fflush(stdout);

    while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    device.Stop();
    std::fprintf(stderr, "pelorin-detector: stopped\n");
    return 0;
}
