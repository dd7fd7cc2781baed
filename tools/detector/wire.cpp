// The simulated detector's wire: every packet it sends or receives passes the faults chosen
// for the run (lost, doubled, late) and goes into the packet record.
#include <algorithm>

#include "detector_impl.h"
#include "packets.h"

namespace detector {

uint64_t Detector::Impl::NowUs() const {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count());
}

bool Detector::Impl::Chance(double p) {
    return p > 0 && std::uniform_real_distribution<double>(0, 1)(random) < p;
}

bool Detector::Impl::TakeRule(std::vector<PacketRule>* rules, bool outgoing, const std::vector<uint8_t>& p) {
    if (p.size() < 4) return false;
    for (PacketRule& r : *rules) {
        if (r.count > 0 && r.outgoing == outgoing && r.opcode == Get16(p, 0) && r.block == Get16(p, 2)) {
            --r.count;
            return true;
        }
    }
    return false;
}

void Detector::Impl::Record(bool sent, Fate fate, sys::Endpoint local, sys::Endpoint remote, const std::vector<uint8_t>& bytes) {
    PacketRecord r;
    r.atUs = NowUs();
    r.sent = sent;
    r.fate = fate;
    r.local = local;
    r.remote = remote;
    r.bytes = bytes;
    if (log) {
        std::fprintf(log, "%10.3f %s %s %s %s\n", static_cast<double>(r.atUs) / 1000.0, FormatEndpoint(local).c_str(),
                     sent ? "->" : "<-", FormatEndpoint(remote).c_str(), DescribeRecord(r).c_str() + 3);
        std::fflush(log);
    }
    std::lock_guard<std::mutex> hold(recordLock);
    record.push_back(std::move(r));
}

void Detector::Impl::Transmit(sys::Socket s, sys::Endpoint local, sys::Endpoint to, const std::vector<uint8_t>& bytes, Fate fate) {
    if (faults.delayMs > 0) {
        pending.push_back({NowUs() + static_cast<uint64_t>(faults.delayMs) * 1000, s, local, to, bytes, fate});
        return;
    }
    Record(true, fate, local, to, bytes);
    sys::SendTo(s, bytes.data(), bytes.size(), to);
}

// Sends one packet through the faults of the wire: lost, doubled, late.
void Detector::Impl::Emit(sys::Socket s, sys::Endpoint local, sys::Endpoint to, const std::vector<uint8_t>& bytes,
          Fate fate) {
    ++sentCount;
    bool lost = std::find(faults.dropNth.begin(), faults.dropNth.end(), static_cast<int>(sentCount)) !=
                faults.dropNth.end();
    lost = TakeRule(&faults.drop, true, bytes) || lost;
    lost = Chance(faults.loss) || lost;
    if (lost) {
        Record(true, Fate::Dropped, local, to, bytes);
        return;
    }
    bool doubled = TakeRule(&faults.duplicate, true, bytes);
    doubled = Chance(faults.duplication) || doubled;
    Transmit(s, local, to, bytes, fate);
    if (doubled) Transmit(s, local, to, bytes, Fate::Injected);
}

void Detector::Impl::Drain(sys::Socket s, sys::Endpoint local, std::vector<uint8_t>* buffer) {
    for (int i = 0; i < 64; ++i) {
        sys::Endpoint from;
        int n = sys::ReceiveFrom(s, buffer->data(), buffer->size(), &from, 0);
        if (n < 0) return;
        std::vector<uint8_t> p(buffer->begin(), buffer->begin() + n);
        bool lost = TakeRule(&faults.drop, false, p);
        lost = Chance(faults.loss) || lost;
        if (lost) {
            Record(false, Fate::Dropped, local, from, p);
            continue;
        }
        bool doubled = TakeRule(&faults.duplicate, false, p);
        doubled = Chance(faults.duplication) || doubled;
        Record(false, Fate::Passed, local, from, p);
        Received(s, local, p, from);
        if (doubled) {
            Record(false, Fate::Injected, local, from, p);
            Received(s, local, p, from);
        }
    }
}

void Detector::Impl::DeliverPending() {
    const uint64_t now = NowUs();
    for (size_t i = 0; i < pending.size();) {
        if (pending[i].dueUs <= now) {
            Pending p = std::move(pending[i]);
            pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
            Record(true, p.fate, p.local, p.to, p.bytes);
            sys::SendTo(p.socket, p.bytes.data(), p.bytes.size(), p.to);
        } else {
            ++i;
        }
    }
}

}  // namespace detector
