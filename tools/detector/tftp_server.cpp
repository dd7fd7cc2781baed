// The simulated detector's TFTP server (RFC 1350): each request gets a transfer on a port of
// its own; reads serve screenshots/N.png and the settings files, writes store the settings
// files. The faults that act on a transfer's numbered packets are applied here.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "detector_impl.h"
#include "packets.h"

namespace detector {
namespace {

constexpr size_t kBlock = 512;
constexpr size_t kMaxTransfers = 32;
constexpr size_t kMaxStoredFile = 16u << 20;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The file a request names, relative to the root; empty when the detector has no such file.
std::string ServedName(std::string name, bool write) {
    if (!name.empty() && name[0] == '/') name.erase(0, 1);
    if (name == "fds.sdb" || name == "fdc.sdb") return name;
    if (write) return {};
    const std::string prefix = "screenshots/", suffix = ".png";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return {};
    std::string number = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (number.size() > 3 || !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    return name;
}

}  // namespace

void Detector::Impl::Send(Transfer& t, const std::vector<uint8_t>& bytes) {
    Emit(t.socket, t.local, t.client, bytes);
}

void Detector::Impl::Remember(Transfer& t, const std::vector<uint8_t>& bytes) {
    t.last = bytes;
    t.lastSendUs = NowUs();
    t.retransmitAtUs = t.lastSendUs + static_cast<uint64_t>(options.retransmitMs) * 1000;
}

// The first sending of packet `number` of a transfer, where the per-transfer faults act.
void Detector::Impl::SendNumbered(Transfer& t, std::vector<uint8_t> packet, uint16_t number) {
    if (t.silent) return;
    const int k = number;
    if (k == faults.errorAt) {
        Send(t, MakeError(faults.errorCode, faults.errorMessage));
        t.finished = true;
        return;
    }
    if (k == faults.badOpcodeAt) {
        packet[0] = 0;
        packet[1] = 7;
        Send(t, packet);
        t.finished = true;
        return;
    }
    if (k == faults.oddAt) {
        Send(t, {packet[0], packet[1]});
        std::vector<uint8_t> odd = packet;
        odd[2] = static_cast<uint8_t>((number + 7) >> 8);
        odd[3] = static_cast<uint8_t>((number + 7) & 0xFF);
        Send(t, odd);
    }
    if (k == faults.wrongAddressAt && strayAddress != sys::kNoSocket)
        Emit(strayAddress, strayAddressLocal, t.client, packet, Fate::Injected);
    Remember(t, packet);
    if (k == faults.wrongPortAt && !t.wrongPortDone && strayPort != sys::kNoSocket) {
        // The right port sends it only when the re-send timer runs out.
        t.wrongPortDone = true;
        Emit(strayPort, strayPortLocal, t.client, packet, Fate::Injected);
    } else {
        Send(t, packet);
    }
    if (k == faults.strayAt && strayPort != sys::kNoSocket)
        Emit(strayPort, strayPortLocal, t.client, packet, Fate::Injected);
    if (k == faults.silentAfter) {
        t.silent = true;
        t.closeAtUs = NowUs() + static_cast<uint64_t>(options.retransmitMs) * 1000 * (options.retries + 2);
        t.chatterAtUs = NowUs() + static_cast<uint64_t>(faults.chatterMs) * 1000;
    }
}

void Detector::Impl::Resend(Transfer& t) {
    Send(t, t.last);
    t.lastSendUs = NowUs();
    t.retransmitAtUs = t.lastSendUs + static_cast<uint64_t>(options.retransmitMs) * 1000;
}

void Detector::Impl::SendReadBlock(Transfer& t) {
    size_t n = std::min(kBlock, t.content.size() - t.offset);
    SendNumbered(t, MakeData(t.block, t.content.data() + t.offset, n), t.block);
}

bool Detector::Impl::LastReadBlockSent(const Transfer& t) const {
    return t.content.size() - t.offset < kBlock;
}

void Detector::Impl::Request(const std::vector<uint8_t>& p, sys::Endpoint from) {
    if (faults.mute) return;
    uint16_t opcode = Get16(p, 0);
    size_t at = 2;
    std::string name, mode;
    if (!TakeString(p, &at, &name) || !TakeString(p, &at, &mode)) {
        Emit(tftp, tftpLocal, from, MakeError(4, "Illegal TFTP operation"));
        return;
    }
    if (transfers.size() >= kMaxTransfers) {
        Emit(tftp, tftpLocal, from, MakeError(0, "Busy, try again later"));
        return;
    }
    // Each transfer runs from a port of its own, its transfer identifier.
    auto t = std::make_unique<Transfer>();
    if (sys::OpenUdpSocket(&t->socket) != 0) return;
    if (sys::BindSocket(t->socket, {options.address, 0}) != 0) {
        sys::CloseSocket(t->socket);
        return;
    }
    t->local = sys::LocalEndpoint(t->socket);
    t->client = from;
    t->write = opcode == kWrq;
    t->retriesLeft = options.retries;
    Transfer& tr = *t;
    transfers.push_back(std::move(t));
    const std::string served = ServedName(name, tr.write);
    if (Lower(mode) != "octet") {
        Send(tr, MakeError(0, "Only octet mode is served"));
        tr.finished = true;
    } else if (served.empty()) {
        Send(tr, tr.write ? MakeError(2, "Access violation") : MakeError(1, "File not found"));
        tr.finished = true;
    } else if (tr.write) {
        tr.path = options.root + "/" + served;
        tr.block = 0;
        SendNumbered(tr, MakeAck(0), 0);
    } else {
        std::ifstream in(options.root + "/" + served, std::ios::binary);
        if (!in) {
            Send(tr, MakeError(1, "File not found"));
            tr.finished = true;
            return;
        }
        in.seekg(0, std::ios::end);
        tr.content.resize(static_cast<size_t>(std::max<std::streamoff>(0, in.tellg())));
        in.seekg(0);
        in.read(reinterpret_cast<char*>(tr.content.data()), static_cast<std::streamsize>(tr.content.size()));
        tr.block = 1;
        tr.offset = 0;
        SendReadBlock(tr);
    }
}

void Detector::Impl::Store(Transfer& t) {
    std::error_code ignored;
    const std::string part = t.path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(t.content.data()), static_cast<std::streamsize>(t.content.size()));
    }
    std::filesystem::rename(part, t.path, ignored);
}

void Detector::Impl::FromClient(Transfer& t, const std::vector<uint8_t>& p) {
    if (p.size() < 4) return;
    uint16_t opcode = Get16(p, 0), number = Get16(p, 2);
    if (opcode == kError) {
        t.finished = true;
        return;
    }
    if (t.silent) return;
    if (!t.write && opcode == kAck) {
        if (number == t.block) {
            if (LastReadBlockSent(t)) {
                t.finished = true;
                return;
            }
            t.offset += kBlock;
            ++t.block;
            t.retriesLeft = options.retries;
            SendReadBlock(t);
        } else if (number == static_cast<uint16_t>(t.block - 1) &&
                   NowUs() - t.lastSendUs >= static_cast<uint64_t>(options.resyncMs) * 1000) {
            // The reader timed out waiting for our block: it was lost, send it again now.
            // A duplicate that follows our packet closely is ignored (Sorcerer's Apprentice).
            Resend(t);
        }
    } else if (t.write && opcode == kData) {
        const size_t n = p.size() - 4;
        if (!t.dallying && number == static_cast<uint16_t>(t.block + 1)) {
            if (t.content.size() + n > kMaxStoredFile) {
                Send(t, MakeError(3, "Disk full or allocation exceeded"));
                t.finished = true;
                return;
            }
            t.content.insert(t.content.end(), p.begin() + 4, p.end());
            t.block = number;
            t.retriesLeft = options.retries;
            if (n < kBlock) {
                Store(t);
                t.dallying = true;
                t.closeAtUs = NowUs() + static_cast<uint64_t>(options.dallyMs) * 1000;
            }
            SendNumbered(t, MakeAck(number), number);
        } else if (number == t.block && t.block != 0) {
            // Our ACK was lost: acknowledge the repeated block again.
            Send(t, MakeAck(number));
        }
    }
}

void Detector::Impl::Received(sys::Socket s, sys::Endpoint local, const std::vector<uint8_t>& p, sys::Endpoint from) {
    if (s == tftp) {
        if (p.size() >= 2 && (Get16(p, 0) == kRrq || Get16(p, 0) == kWrq)) Request(p, from);
        else if (!faults.mute && !(p.size() >= 2 && Get16(p, 0) == kError))
            Emit(tftp, tftpLocal, from, MakeError(4, "Illegal TFTP operation"));
        return;
    }
    for (auto& t : transfers) {
        if (t->socket != s || t->finished) continue;
        if (from != t->client) {
            if (!(p.size() >= 2 && Get16(p, 0) == kError))
                Emit(t->socket, t->local, from, MakeError(5, "Unknown transfer ID"));
            return;
        }
        FromClient(*t, p);
        return;
    }
    (void)local;  // the stray sockets only listen, for the record
}

void Detector::Impl::TransferTimers() {
    const uint64_t now = NowUs();
    for (auto& tp : transfers) {
        Transfer& t = *tp;
        if (t.finished) continue;
        if (t.silent) {
            if (faults.chatterMs > 0 && now >= t.chatterAtUs) {
                Send(t, t.last);
                t.chatterAtUs = now + static_cast<uint64_t>(faults.chatterMs) * 1000;
            }
            if (now >= t.closeAtUs) t.finished = true;
        } else if (t.dallying) {
            if (now >= t.closeAtUs) t.finished = true;
        } else if (now >= t.retransmitAtUs) {
            if (t.retriesLeft-- > 0) Resend(t);
            else t.finished = true;
        }
    }
}

}  // namespace detector
