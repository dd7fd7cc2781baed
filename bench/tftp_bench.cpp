// Read throughput on loopback: our TFTP client against curl --tftp-no-options and tftp-hpa's
// tftp, all reading the same files (50,000 and 5,000,000 bytes) from one tftpd-hpa server.
// The clients take turns run by run (ours, ours as a process, curl, tftp-hpa, ours, ...), so
// that a machine busy with other work slows them alike; the ratios are the medians of the
// run-by-run ratios. Prints MB/s (10^6 bytes per second, median of the runs) and the ratios.
// Run it inside a private network namespace: scripts/bench.sh.
//
//   tftp_bench                      the whole comparison
//   tftp_bench get PORT NAME OUT    one read with our client, as its own process
//   tftp_bench frames               Read > Frames' 100 frames of 50,000 bytes (frames_bench.cpp)
//   tftp_bench journal              the journal's reading of 10,000 commentaries (journal_bench.cpp)
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/log.h"
#include "net/tftp_client.h"
#include "sys/sys.h"

extern char** environ;

int FramesBench();
int JournalBench();

namespace {

constexpr const char* kTftpd = "/usr/sbin/in.tftpd";
constexpr uint16_t kPort = 6971;
constexpr uint32_t kServer = 0x7F000001;

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Runs a program and waits for it; true when it exited with 0.
bool Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int GetOne(uint16_t port, const char* name, const char* out) {
    sys::Socket s;
    if (sys::OpenUdpSocket(&s) != 0 || sys::BindSocket(s, {0, 0}) != 0) return 1;
    // From the program's heap, as the program takes it: zero-filled pages that the system
    // provides only where they are written.
    uint32_t length = 5000000;
    uint8_t* buffer = static_cast<uint8_t*>(sys::HeapAllocZeroed(length));
    sys::Endpoint peer = {kServer, port};
    SetLogFolder(u"/nonexistent/");
    if (!buffer || TftpReadFile(TftpLink{s, 300}, &peer, name, buffer, &length) != kTransferDone) return 1;
    std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(buffer), length);
    sys::HeapRelease(buffer);
    return 0;
}

struct Client {
    const char* label;
    // One read of `name` into `out`; false when it failed.
    bool (*read)(const std::string& self, const std::string& name, const std::string& out, double* seconds);
};

bool InProcess(const std::string&, const std::string& name, const std::string& out, double* seconds) {
    static sys::Socket s = sys::kNoSocket;
    if (s == sys::kNoSocket && (sys::OpenUdpSocket(&s) != 0 || sys::BindSocket(s, {0, 0}) != 0)) return false;
    static std::vector<uint8_t> buffer(5000000);
    uint32_t length = static_cast<uint32_t>(buffer.size());
    sys::Endpoint peer = {kServer, kPort};
    double start = Seconds();
    bool ok = TftpReadFile(TftpLink{s, 300}, &peer, name.c_str(), buffer.data(), &length) == kTransferDone;
    *seconds = Seconds() - start;
    if (ok) std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(buffer.data()), length);
    return ok;
}

bool OurProcess(const std::string& self, const std::string& name, const std::string& out, double* seconds) {
    double start = Seconds();
    bool ok = Run({self, "get", std::to_string(kPort), name, out});
    *seconds = Seconds() - start;
    return ok;
}

bool Curl(const std::string&, const std::string& name, const std::string& out, double* seconds) {
    double start = Seconds();
    bool ok = Run({"curl", "--tftp-no-options", "-s", "-o", out,
                   "tftp://127.0.0.1:" + std::to_string(kPort) + "/" + name});
    *seconds = Seconds() - start;
    return ok;
}

bool TftpHpa(const std::string&, const std::string& name, const std::string& out, double* seconds) {
    double start = Seconds();
    bool ok = Run({"tftp", "-m", "binary", "127.0.0.1", std::to_string(kPort), "-c", "get", name, out});
    *seconds = Seconds() - start;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "get") return GetOne(static_cast<uint16_t>(std::atoi(argv[2])), argv[3], argv[4]);
    if (argc == 2 && std::string(argv[1]) == "frames") return FramesBench();
    if (argc == 2 && std::string(argv[1]) == "journal") return JournalBench();
    if (access(kTftpd, X_OK) != 0) {
        std::fprintf(stderr, "tftp_bench: tftpd-hpa is missing (scripts/setup.sh installs it)\n");
        return 1;
    }
    char folder[] = "/tmp/pelorin-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string served = std::string(folder) + "/served";
    mkdir(served.c_str(), 0755);
    const std::vector<size_t> sizes = {50000, 5000000};
    std::mt19937 random(1);
    for (size_t size : sizes) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        std::ofstream(served + "/f" + std::to_string(size), std::ios::binary) << bytes;
    }

    pid_t server = fork();
    if (server == 0) {
        setpgid(0, 0);
        const std::string address = ":" + std::to_string(kPort);
        execl(kTftpd, kTftpd, "--foreground", "--address", address.c_str(), "--secure", "--user", "root",
              served.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    usleep(300000);

    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string program(self, n > 0 ? static_cast<size_t>(n) : 0);
    const Client clients[] = {{"ours (in process)", InProcess},
                              {"ours (own process)", OurProcess},
                              {"curl --tftp-no-options", Curl},
                              {"tftp-hpa tftp", TftpHpa}};
    const std::string out = std::string(folder) + "/out";
    int status = 0;
    std::printf("TFTP read throughput from tftpd-hpa on loopback, MB/s (10^6 bytes/s), median of runs;\n"
                "the clients take turns run by run, ratios are medians of the run-by-run ratios\n");
    auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values.empty() ? 0.0 : values[values.size() / 2];
    };
    constexpr size_t kClients = sizeof clients / sizeof clients[0];
    for (size_t size : sizes) {
        const std::string name = "f" + std::to_string(size);
        const std::string expected = ReadAll(served + "/" + name);
        const int runs = size > 1000000 ? 7 : 31;
        std::vector<double> times[kClients];
        bool failed[kClients] = {};
        std::printf("\n%zu bytes, %d runs each:\n", size, runs);
        for (int r = 0; r < runs; ++r) {
            for (size_t c = 0; c < kClients; ++c) {
                if (failed[c]) continue;
                double seconds = 0;
                std::remove(out.c_str());
                if (!clients[c].read(program, name, out, &seconds) || ReadAll(out) != expected) {
                    failed[c] = true;
                    status = 1;
                    continue;
                }
                times[c].push_back(seconds);
            }
        }
        for (size_t c = 0; c < kClients; ++c) {
            if (failed[c]) {
                std::printf("  %-24s FAILED\n", clients[c].label);
                continue;
            }
            const double best = *std::min_element(times[c].begin(), times[c].end());
            std::printf("  %-24s %8.2f MB/s  (median %.2f ms, best %.2f ms)\n", clients[c].label,
                        static_cast<double>(size) / 1e6 / median(times[c]), median(times[c]) * 1000, best * 1000);
        }
        if (failed[0] || failed[1] || failed[2] || failed[3]) continue;
        // Run r of ours against run r of the others: the ratio of rates is the inverse ratio of times.
        auto ratio = [&](size_t ours, auto other) {
            std::vector<double> ratios;
            for (int r = 0; r < runs; ++r) ratios.push_back(other(r) / times[ours][r]);
            return median(ratios);
        };
        auto curl = [&](int r) { return times[2][r]; };
        auto hpa = [&](int r) { return times[3][r]; };
        auto fastest = [&](int r) { return std::min(times[2][r], times[3][r]); };
        std::printf("  ratio ours/curl: in process %.2f, own process %.2f\n", ratio(0, curl), ratio(1, curl));
        std::printf("  ratio ours/tftp-hpa: in process %.2f, own process %.2f\n", ratio(0, hpa), ratio(1, hpa));
        std::printf("  ratio ours/fastest other: in process %.2f, own process %.2f\n", ratio(0, fastest),
                    ratio(1, fastest));
    }
    kill(-server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::string cleanup = std::string("rm -rf '") + folder + "'";
    if (std::system(cleanup.c_str()) != 0) status = 1;
    return status;
}
