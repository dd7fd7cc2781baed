// The simulated flaw detector's server: one thread, one loop over its sockets and timers.
#include "detector.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

namespace detector {
namespace {

constexpr size_t kBlock = 512;
constexpr size_t kMaxDatagram = 65536;
constexpr size_t kMaxTransfers = 32;
constexpr size_t kMaxStoredFile = 16u << 20;
constexpr int kLoopTickMs = 20;

uint16_t Get16(const std::vector<uint8_t>& p, size_t at) {
    return static_cast<uint16_t>((p[at] << 8) | p[at + 1]);
}

void Put16(std::vector<uint8_t>* p, uint16_t value) {
    p->push_back(static_cast<uint8_t>(value >> 8));
    p->push_back(static_cast<uint8_t>(value & 0xFF));
}

std::vector<uint8_t> MakeAck(uint16_t block) {
    std::vector<uint8_t> p;
    Put16(&p, kAck);
    Put16(&p, block);
    return p;
}

std::vector<uint8_t> MakeData(uint16_t block, const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> p;
    p.reserve(4 + size);
    Put16(&p, kData);
    Put16(&p, block);
    p.insert(p.end(), bytes, bytes + size);
    return p;
}

std::vector<uint8_t> MakeError(uint16_t code, const std::string& message) {
    std::vector<uint8_t> p;
    Put16(&p, kError);
    Put16(&p, code);
    p.insert(p.end(), message.begin(), message.end());
    p.push_back(0);
    return p;
}

// The zero-terminated string at `at`, or false when the packet ends first.
bool TakeString(const std::vector<uint8_t>& p, size_t* at, std::string* out) {
    auto end = std::find(p.begin() + static_cast<std::ptrdiff_t>(*at), p.end(), 0);
    if (end == p.end()) return false;
    out->assign(p.begin() + static_cast<std::ptrdiff_t>(*at), end);
    *at = static_cast<size_t>(end - p.begin()) + 1;
    return true;
}

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

std::string FormatEndpoint(sys::Endpoint e) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u:%u", e.ip >> 24, (e.ip >> 16) & 255, (e.ip >> 8) & 255, e.ip & 255,
                  e.port);
    return text;
}

}  // namespace

std::string Describe(const std::vector<uint8_t>& p) {
    char text[96];
    if (p.size() < 2) {
        std::snprintf(text, sizeof text, "%zu bytes", p.size());
        return text;
    }
    uint16_t opcode = Get16(p, 0);
    if (opcode == kRrq || opcode == kWrq) {
        size_t at = 2;
        std::string name, mode;
        std::string out = opcode == kRrq ? "RRQ" : "WRQ";
        if (!TakeString(p, &at, &name) || !TakeString(p, &at, &mode)) return out + " (malformed)";
        out += " " + name + " " + mode;
        std::string option;
        while (at < p.size() && TakeString(p, &at, &option)) out += " " + option;
        return out;
    }
    if (p.size() < 4) {
        std::snprintf(text, sizeof text, "%zu bytes", p.size());
        return text;
    }
    uint16_t number = Get16(p, 2);
    switch (opcode) {
        case kData: std::snprintf(text, sizeof text, "DATA %u %zu", number, p.size() - 4); return text;
        case kAck:
            std::snprintf(text, sizeof text, p.size() == 4 ? "ACK %u" : "ACK %u (%zu bytes)", number, p.size());
            return text;
        case kError: {
            std::string message(p.begin() + 4, std::find(p.begin() + 4, p.end(), 0));
            std::snprintf(text, sizeof text, "ERROR %u ", number);
            return text + message;
        }
        default: std::snprintf(text, sizeof text, "opcode %u (%zu bytes)", opcode, p.size()); return text;
    }
}

std::string DescribeRecord(const PacketRecord& r) {
    std::string text = (r.sent ? "-> " : "<- ") + Describe(r.bytes);
    if (r.fate == Fate::Dropped) text += " (dropped)";
    if (r.fate == Fate::Injected) text += " (injected)";
    return text;
}

struct Detector::Impl {
    struct Transfer {
        sys::Socket socket = sys::kNoSocket;
        sys::Endpoint local, client;
        bool write = false;
        std::string path;
        std::vector<uint8_t> content;  // read: the file; write: what arrived so far
        uint16_t block = 0;            // read: the DATA awaiting its ACK; write: the last ACK
        size_t offset = 0;             // read: where DATA `block` starts
        std::vector<uint8_t> last;     // the last packet sent, for re-sending
        uint64_t lastSendUs = 0, retransmitAtUs = 0, closeAtUs = 0, chatterAtUs = 0;
        int retriesLeft = 0;
        bool finished = false;  // to be removed
        bool dallying = false;  // a completed write waiting for a repeated last DATA
        bool silent = false;
        bool wrongPortDone = false;
    };
    struct Pending {
        uint64_t dueUs;
        sys::Socket socket;
        sys::Endpoint local, to;
        std::vector<uint8_t> bytes;
        Fate fate;
    };

    Options options;
    Faults faults;  // the rules' counts go down as they are used
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    sys::Socket tftp = sys::kNoSocket, listener = sys::kNoSocket;
    sys::Socket ignoredListener = sys::kNoSocket, stuffer = sys::kNoSocket;
    sys::Socket strayPort = sys::kNoSocket, strayAddress = sys::kNoSocket;
    sys::Endpoint tftpLocal, tcpLocal, strayPortLocal, strayAddressLocal;
    std::vector<std::unique_ptr<Transfer>> transfers;
    std::vector<Pending> pending;
    std::mt19937 random;
    uint64_t sentCount = 0;
    std::thread thread;
    std::atomic<bool> stopping{false};
    std::atomic<int> accepted{0};
    std::atomic<int> active{0};
    mutable std::mutex recordLock;
    std::vector<PacketRecord> record;
    FILE* log = nullptr;

    uint64_t NowUs() const {
        return static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count());
    }

    bool Chance(double p) { return p > 0 && std::uniform_real_distribution<double>(0, 1)(random) < p; }

    static bool TakeRule(std::vector<PacketRule>* rules, bool outgoing, const std::vector<uint8_t>& p) {
        if (p.size() < 4) return false;
        for (PacketRule& r : *rules) {
            if (r.count > 0 && r.outgoing == outgoing && r.opcode == Get16(p, 0) && r.block == Get16(p, 2)) {
                --r.count;
                return true;
            }
        }
        return false;
    }

    void Record(bool sent, Fate fate, sys::Endpoint local, sys::Endpoint remote, const std::vector<uint8_t>& bytes) {
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

    void Transmit(sys::Socket s, sys::Endpoint local, sys::Endpoint to, const std::vector<uint8_t>& bytes, Fate fate) {
        if (faults.delayMs > 0) {
            pending.push_back({NowUs() + static_cast<uint64_t>(faults.delayMs) * 1000, s, local, to, bytes, fate});
            return;
        }
        Record(true, fate, local, to, bytes);
        sys::SendTo(s, bytes.data(), bytes.size(), to);
    }

    // Sends one packet through the faults of the wire: lost, doubled, late.
    void Emit(sys::Socket s, sys::Endpoint local, sys::Endpoint to, const std::vector<uint8_t>& bytes,
              Fate fate = Fate::Passed) {
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

    void Send(Transfer& t, const std::vector<uint8_t>& bytes) { Emit(t.socket, t.local, t.client, bytes); }

    void Remember(Transfer& t, const std::vector<uint8_t>& bytes) {
        t.last = bytes;
        t.lastSendUs = NowUs();
        t.retransmitAtUs = t.lastSendUs + static_cast<uint64_t>(options.retransmitMs) * 1000;
    }

    // The first sending of packet `number` of a transfer, where the per-transfer faults act.
    void SendNumbered(Transfer& t, std::vector<uint8_t> packet, uint16_t number) {
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

    void Resend(Transfer& t) {
        Send(t, t.last);
        t.lastSendUs = NowUs();
        t.retransmitAtUs = t.lastSendUs + static_cast<uint64_t>(options.retransmitMs) * 1000;
    }

    void SendReadBlock(Transfer& t) {
        size_t n = std::min(kBlock, t.content.size() - t.offset);
        SendNumbered(t, MakeData(t.block, t.content.data() + t.offset, n), t.block);
    }

    bool LastReadBlockSent(const Transfer& t) const { return t.content.size() - t.offset < kBlock; }

    void Request(const std::vector<uint8_t>& p, sys::Endpoint from) {
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

    void Store(Transfer& t) {
        std::error_code ignored;
        const std::string part = t.path + ".part";
        {
            std::ofstream out(part, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(t.content.data()), static_cast<std::streamsize>(t.content.size()));
        }
        std::filesystem::rename(part, t.path, ignored);
    }

    void FromClient(Transfer& t, const std::vector<uint8_t>& p) {
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

    void Received(sys::Socket s, sys::Endpoint local, const std::vector<uint8_t>& p, sys::Endpoint from) {
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

    void Drain(sys::Socket s, sys::Endpoint local, std::vector<uint8_t>* buffer) {
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

    void Timers() {
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
        transfers.erase(std::remove_if(transfers.begin(), transfers.end(),
                                       [](const std::unique_ptr<Transfer>& t) {
                                           if (t->finished) sys::CloseSocket(t->socket);
                                           return t->finished;
                                       }),
                        transfers.end());
        active = static_cast<int>(transfers.size());
    }

    int NextWaitMs() const {
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

    void Loop() {
        std::vector<uint8_t> buffer(kMaxDatagram);
        std::vector<sys::Socket> sockets;
        std::vector<sys::Endpoint> locals;
        std::vector<char> ready;
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
                    for (int k = 0; k < 16; ++k) {
                        sys::Socket c = sys::AcceptConnection(listener);
                        if (c == sys::kNoSocket) break;
                        ++accepted;
                        sys::ShutdownAndClose(c);
                    }
                } else {
                    Drain(sockets[i], locals[i], &buffer);
                }
            }
            Timers();
        }
    }

    bool OpenUdp(sys::Socket* s, sys::Endpoint at, sys::Endpoint* local, std::string* error) {
        if (sys::OpenUdpSocket(s) != 0 || sys::BindSocket(*s, at) != 0) {
            if (error) *error = "cannot bind UDP " + FormatEndpoint(at);
            return false;
        }
        *local = sys::LocalEndpoint(*s);
        return true;
    }

    bool OpenTcp(std::string* error) {
        const sys::Endpoint at = {options.address, options.tcpPort};
        if (sys::OpenTcpSocket(&listener) != 0) {
            *error = "cannot open a TCP socket";
            return false;
        }
        sys::SetReuseAddress(listener);
        if (sys::BindSocket(listener, at) != 0 ||
            sys::ListenOn(listener, options.tcp == TcpMode::Ignore ? 0 : 16) != 0) {
            *error = "cannot listen on TCP " + FormatEndpoint(at);
            return false;
        }
        tcpLocal = sys::LocalEndpoint(listener);
        sys::SetNonBlocking(listener);
        if (options.tcp == TcpMode::Ignore) {
            // A listener whose queue is full and never emptied lets further connection
            // attempts go unanswered, like a host that is switched off. We fill it ourselves.
            if (sys::OpenTcpSocket(&stuffer) != 0 || sys::SetNonBlocking(stuffer) != 0 ||
                sys::StartConnect(stuffer, tcpLocal) == sys::ConnectStart::Failed) {
                *error = "cannot fill the TCP queue";
                return false;
            }
            sys::WaitConnected(stuffer, 1000);
            // Kept out of the loop: nothing is ever accepted from it.
            ignoredListener = listener;
            listener = sys::kNoSocket;
        }
        return true;
    }

    void CloseAll() {
        for (auto& t : transfers) sys::CloseSocket(t->socket);
        transfers.clear();
        for (sys::Socket* s : {&tftp, &listener, &ignoredListener, &stuffer, &strayPort, &strayAddress}) {
            sys::CloseSocket(*s);
            *s = sys::kNoSocket;
        }
        if (log) std::fclose(log);
        log = nullptr;
    }
};

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
