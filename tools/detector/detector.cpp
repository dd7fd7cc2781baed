// The simulated flaw detector: one serving thread, one loop over its sockets and timers, and
// the public face that the program and the tests use.
#include <algorithm>

#include "detector_impl.h"
#include "packets.h"

namespace detector {
namespace {

constexpr size_t kMaxDatagram = 65536;
constexpr int kLoopTickMs = 20;

}  // namespace

void Detector::Impl::Timers() {
    TransferTimers();
    DeliverPending();
    transfers.erase(std::remove_if(transfers.begin(), transfers.end(),
                                   [](const std::unique_ptr<Transfer>& t) {
                                       if (t->finished) sys::CloseSocket(t->socket);
                                       return t->finished;
                                   }),
                    transfers.end());
    active = static_cast<int>(transfers.size());
}

int Detector::Impl::NextWaitMs() const {
    const uint64_t now = NowUs();
    uint64_t next = now + kLoopTickMs * 1000;
    for (const auto& t : transfers) {
        if (t->silent) {
            next = std::min(next, t->closeAtUs);
            if (faults.chatterMs > 0) next = std::min(next, t->chatterAtUs);
        } else {
            next = std::min(next, t->dallying ? t->closeAtUs : t->retransmitAtUs);
        }
    }
    for (const Pending& p : pending) next = std::min(next, p.dueUs);
    return next <= now ? 0 : static_cast<int>((next - now + 999) / 1000);
}

void Detector::Impl::Loop() {
    std::vector<uint8_t> buffer(kMaxDatagram);
    std::vector<sys::Socket> sockets;
    std::vector<sys::Endpoint> locals;
    while (!stopping) {
        sockets.clear();
        locals.clear();
        auto add = [&](sys::Socket s, sys::Endpoint local) {
            if (s == sys::kNoSocket) return;
            sockets.push_back(s);
            locals.push_back(local);
        };
        add(tftp, tftpLocal);
        add(listener, tcpLocal);
        add(strayPort, strayPortLocal);
        add(strayAddress, strayAddressLocal);
        for (auto& t : transfers) add(t->socket, t->local);
        std::unique_ptr<bool[]> readable(new bool[sockets.size()]());
        int n = sys::WaitReadable(sockets.data(), sockets.size(), readable.get(), NextWaitMs());
        for (size_t i = 0; n > 0 && i < sockets.size(); ++i) {
            if (!readable[i]) continue;
            if (sockets[i] == listener) {
                AcceptConnections();
            } else {
                Drain(sockets[i], locals[i], &buffer);
            }
        }
        Timers();
    }
}

bool Detector::Impl::OpenUdp(sys::Socket* s, sys::Endpoint at, sys::Endpoint* local, std::string* error) {
    if (sys::OpenUdpSocket(s) != 0 || sys::BindSocket(*s, at) != 0) {
        if (error) *error = "cannot bind UDP " + FormatEndpoint(at);
        return false;
    }
    *local = sys::LocalEndpoint(*s);
    return true;
}

void Detector::Impl::CloseAll() {
    for (auto& t : transfers) sys::CloseSocket(t->socket);
    transfers.clear();
    for (sys::Socket* s : {&tftp, &listener, &ignoredListener, &stuffer, &strayPort, &strayAddress}) {
        sys::CloseSocket(*s);
        *s = sys::kNoSocket;
    }
    if (log) std::fclose(log);
    log = nullptr;
}

Detector::Detector(const Options& options) : impl_(new Impl) {
    impl_->options = options;
    impl_->faults = options.faults;
    impl_->random.seed(options.faults.seed);
}

Detector::~Detector() { Stop(); }

bool Detector::Start(std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    Impl& d = *impl_;
    const Options& o = d.options;
    if ((o.address >> 24) != 127) {
        *error = "the detector serves loopback addresses (127.x.y.z) only";
        return false;
    }
    if (!sys::NetStart()) {
        *error = "the socket layer did not start";
        return false;
    }
    if (!o.logPath.empty() && !(d.log = std::fopen(o.logPath.c_str(), "a"))) {
        *error = "cannot open " + o.logPath;
        return false;
    }
    bool ok = true;
    if (o.tftp) ok = d.OpenUdp(&d.tftp, {o.address, o.tftpPort}, &d.tftpLocal, error);
    if (ok && o.tcp != TcpMode::Refuse) ok = d.OpenTcp(error);
    if (ok && (o.faults.strayAt >= 0 || o.faults.wrongPortAt >= 0))
        ok = d.OpenUdp(&d.strayPort, {o.address, 0}, &d.strayPortLocal, error);
    if (ok && o.faults.wrongAddressAt >= 0) {
        uint32_t second = o.secondAddress ? o.secondAddress : o.address + 1;
        if ((second >> 24) != 127) {
            *error = "the second address must be a loopback address too";
            ok = false;
        } else {
            ok = d.OpenUdp(&d.strayAddress, {second, 0}, &d.strayAddressLocal, error);
        }
    }
    if (!ok) {
        d.CloseAll();
        return false;
    }
    d.stopping = false;
    d.thread = std::thread([&d] { d.Loop(); });
    return true;
}

void Detector::Stop() {
    Impl& d = *impl_;
    if (d.thread.joinable()) {
        d.stopping = true;
        d.thread.join();
    }
    d.CloseAll();
}

sys::Endpoint Detector::TftpEndpoint() const { return impl_->tftpLocal; }
sys::Endpoint Detector::TcpEndpoint() const { return impl_->tcpLocal; }
uint32_t Detector::SecondAddress() const { return impl_->strayAddressLocal.ip; }

std::vector<PacketRecord> Detector::Packets() const {
    std::lock_guard<std::mutex> hold(impl_->recordLock);
    return impl_->record;
}

std::vector<std::string> Detector::Exchange() const {
    std::vector<std::string> lines;
    for (const PacketRecord& r : Packets()) lines.push_back(DescribeRecord(r));
    return lines;
}

void Detector::ClearRecord() {
    std::lock_guard<std::mutex> hold(impl_->recordLock);
    impl_->record.clear();
}

int Detector::ConnectionsAccepted() const { return impl_->accepted; }
int Detector::ActiveTransfers() const { return impl_->active; }

}  // namespace detector
