// The TFTP client. One struct holds a whole transfer: the socket, the peer, the packet last
// sent (kept for re-sending) and the receive buffer. Packets are packed and parsed with
// explicit big-endian shifts.
#include "net/tftp_client.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/log.h"
#include "net/udp_socket.h"
#include "sys/cp1251.h"
#include "sys/sys.h"

namespace {

enum : uint16_t { kRrq = 1, kWrq = 2, kData = 3, kAck = 4, kError = 5 };

constexpr size_t kBlockSize = 512;
constexpr size_t kHeaderSize = 4;
constexpr size_t kMaxPacket = kHeaderSize + kBlockSize;
// One byte more than the largest packet, so that an oversized datagram shows.
constexpr size_t kReceiveSize = kMaxPacket + 1;
constexpr size_t kReadOutSize = 514;
constexpr size_t kWriteOutSize = kMaxPacket;
// Strangers answered with ERROR 5 per transfer; beyond that they are only ignored.
constexpr int kStrangerReplies = 64;
// Datagrams left over from an earlier transfer that are thrown away before a request.
constexpr int kStaleDatagrams = 64;

constexpr int kNoArrival = -1;
// Receive() when the wait gave up: the program is ending.
constexpr int kGivenUp = -2;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

void Put16(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value >> 8);
    p[1] = static_cast<uint8_t>(value & 0xFF);
}

// printf into a string of any length; the inserted texts are bytes as they are.
std::string Format(const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(&text[0], text.size() + 1, format, again);
    va_end(again);
    return text;
}

void Log(const std::string& text) { WriteLog((text + "\r\n").c_str()); }

// The log texts, in Russian and stored as Windows-1251 whatever the system's code page.
struct LogTexts {
    std::string readNoLink = ToCp1251(u"чтение файла %s - нет связи с прибором");
    std::string deviceMessage = ToCp1251(u"файл %s - %s");
    std::string otherOpcode = ToCp1251(u"файл %s - получен код %d протокола TFTP - выход из цикла.");
    std::string readDone = ToCp1251(u"файл %s - прочитан. Длина %d байт");
    std::string readTooLarge = ToCp1251(u"файл %s - длиннее буфера в %d байт, чтение прервано");
    std::string writeBlock = ToCp1251(u"Блок данных = %d");
    std::string writeDone = ToCp1251(u"файл %s - отослан. Длина %d байт");
    std::string writeNoLink = ToCp1251(u"запись файла %s - нет связи с прибором");
    std::string writeNoAck = ToCp1251(u"запись файла %s - нет подтверждения блока %d, передача прервана");
};

const LogTexts& Texts() {
    static const LogTexts texts;
    return texts;
}

// The port of the transfer before, which the next one must not take again.
uint16_t g_lastLocalPort = 0;

// A socket for one transfer, on the local address of `shared` and a port the system picks
// (never the one the transfer before had); kNoSocket when none can be set up.
sys::Socket OpenTransferSocket(sys::Socket shared, int timeoutMs) {
    const sys::Endpoint local = {shared == sys::kNoSocket ? 0u : sys::LocalEndpoint(shared).ip, 0};
    auto open = [&]() {
        sys::Socket s = sys::kNoSocket;
        if (OpenTransferUdpSocket(&s) != 0) return sys::kNoSocket;
        if (sys::BindSocket(s, local) != 0 || sys::SetReceiveTimeout(s, timeoutMs) != 0) {
            sys::CloseSocket(s);
            return sys::kNoSocket;
        }
        return s;
    };
    sys::Socket s = open();
    if (s != sys::kNoSocket && g_lastLocalPort != 0 && sys::LocalEndpoint(s).port == g_lastLocalPort) {
        // The system gave the old port back: while this one is held, the next is another.
        sys::Socket other = open();
        sys::CloseSocket(s);
        s = other;
    }
    if (s != sys::kNoSocket) g_lastLocalPort = sys::LocalEndpoint(s).port;
    return s;
}

struct Transfer {
    TftpLink link;           // link.socket is the socket this transfer uses
    sys::Socket own = sys::kNoSocket;  // the transfer's own socket, closed at its end
    sys::Endpoint* peer = nullptr;
    uint32_t deviceIp = 0;
    bool pinned = false;     // the device's transfer port is known
    uint8_t* out = nullptr;  // the packet last sent: request, ACK or DATA
    size_t outLength = 0;
    uint8_t* in = nullptr;   // the datagram received
    sys::Endpoint from;      // its sender
    uint64_t deadline = 0;
    int strangerReplies = 0;

    ~Transfer() {
        if (own != sys::kNoSocket) sys::CloseSocket(own);
        if (out) sys::HeapRelease(out);
        if (in) sys::HeapRelease(in);
    }

    // On the shared socket, whatever is still queued from an earlier transfer must not pass
    // for this one's answer.
    void DropStale() {
        for (int i = 0; i < kStaleDatagrams; ++i) {
            const int n = sys::ReceiveFrom(link.socket, in, kReceiveSize, nullptr, 0);
            if (n < 0 && n != sys::kRecvReset) return;
        }
    }

    // Sends the kept packet; the wait for its answer starts now.
    void SendKept() {
        sys::SendTo(link.socket, out, outLength, *peer);
        deadline = sys::MonotonicMs() + static_cast<uint64_t>(link.timeoutMs);
    }

    // Tells the device that the transfer is over on our side, so that it stops re-sending.
    void SendError(uint16_t code, const char* message) {
        uint8_t packet[kMaxPacket];
        const size_t size = std::strlen(message) + 1;
        Put16(packet, kError);
        Put16(packet + 2, code);
        std::memcpy(packet + kHeaderSize, message, size);
        sys::SendTo(link.socket, packet, kHeaderSize + size, *peer);
    }

    // Sends the kept packet again without moving the deadline: an answer to a repeat from
    // the device, which must not let a chattering device hold the transfer forever.
    void RepeatKept() { sys::SendTo(link.socket, out, outLength, *peer); }

    void Pin() {
        peer->port = from.port;
        pinned = true;
    }

    void AnswerStranger(int length) {
        if (length >= 2 && Get16(in) == kError) return;  // an error is never answered
        if (strangerReplies >= kStrangerReplies) return;
        ++strangerReplies;
        static const char message[] = "Unknown transfer ID";
        uint8_t packet[kHeaderSize + sizeof message];
        Put16(packet, kError);
        Put16(packet + 2, 5);
        std::memcpy(packet + kHeaderSize, message, sizeof message);
        sys::SendTo(link.socket, packet, sizeof packet, from);
    }

    // Waits until the deadline for a datagram from the device that is at least a header long
    // and no longer than a packet. Strangers are answered with ERROR 5, odd datagrams and
    // Windows' reports of an ICMP "port unreachable" (a late answer to a packet sent to a port
    // that has since closed, never the end of this transfer) ignored; none of them moves the
    // deadline. Returns the length, kNoArrival, or kGivenUp when the wait gave up.
    int Receive() {
        for (;;) {
            const uint64_t now = sys::MonotonicMs();
            if (now >= deadline) return kNoArrival;
            const int left = static_cast<int>(deadline - now);
            int n;
            if (link.wait) {
                // The wait may end early (it served the windows): the deadline stays where it was.
                const SocketWaitResult waited = link.wait(link.socket, left);
                if (waited == SocketWaitResult::GiveUp) return kGivenUp;
                if (waited != SocketWaitResult::Readable) continue;
                n = sys::ReceiveFrom(link.socket, in, kReceiveSize, &from, 0);
                if (n == sys::kRecvTimeout) continue;
            } else {
                n = sys::ReceiveFrom(link.socket, in, kReceiveSize, &from, left);
            }
            if (n == sys::kRecvReset) continue;
            if (n < 0) return kNoArrival;
            if (from.ip != deviceIp || (pinned && from.port != peer->port)) {
                AnswerStranger(n);
                continue;
            }
            if (n < static_cast<int>(kHeaderSize) || n > static_cast<int>(kMaxPacket)) continue;
            return n;
        }
    }

    // The message of the ERROR packet in `in`: up to its zero byte or the datagram's end.
    std::string ErrorMessage(int length) const {
        const char* text = reinterpret_cast<const char*>(in + kHeaderSize);
        size_t size = static_cast<size_t>(length) - kHeaderSize;
        const void* zero = std::memchr(text, 0, size);
        return std::string(text, zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : size);
    }

    // The program is ending: a device that is sending is told to stop, and nothing else happens.
    uint16_t Abandon() {
        if (pinned) SendError(0, "Transfer abandoned");
        return kTransferAbandoned;
    }

    // Takes the buffers and sends the request (RRQ or WRQ) for `name` to the device at `p`.
    // False, with nothing sent, when the name does not fit the request or there is no memory.
    bool Begin(const TftpLink& l, sys::Endpoint* p, uint16_t opcode, const char* name, size_t maxName,
               size_t outSize) {
        const size_t nameLength = std::strlen(name);
        if (nameLength > maxName) return false;
        out = static_cast<uint8_t*>(sys::HeapAllocZeroed(outSize));
        in = static_cast<uint8_t*>(sys::HeapAllocZeroed(kReceiveSize));
        if (!out || !in) return false;
        link = l;
        own = OpenTransferSocket(l.socket, l.timeoutMs);
        if (own != sys::kNoSocket) link.socket = own;
        else DropStale();
        peer = p;
        deviceIp = p->ip;
        Put16(out, opcode);
        std::memcpy(out + 2, name, nameLength + 1);
        std::memcpy(out + 2 + nameLength + 1, "octet", 6);
        outLength = nameLength + 9;
        SendKept();
        return true;
    }
};

}  // namespace

uint16_t TftpReadFile(const TftpLink& link, sys::Endpoint* peer, const char* name, uint8_t* destination,
                      uint32_t* length) {
    Transfer t;
    if (!t.Begin(link, peer, kRrq, name, kMaxReadName, kReadOutSize)) return kTransferNoMemory;

    const uint32_t capacity = *length;
    uint32_t stored = 0;
    uint16_t expected = 1;
    bool started = false;  // a first DATA arrived: from now on a lost packet is worth a re-send
    int resends = 0;
    for (;;) {
        const int n = t.Receive();
        if (n == kGivenUp) return t.Abandon();
        if (n == kNoArrival) {
            if (!started || resends == kReadResends) {
                Log(Format(Texts().readNoLink.c_str(), name));
                return kTransferNoAnswer;
            }
            ++resends;
            t.SendKept();
            continue;
        }
        const uint16_t opcode = Get16(t.in);
        if (opcode == kError) {
            t.Pin();
            Log(Format(Texts().deviceMessage.c_str(), name, t.ErrorMessage(n).c_str()));
            return kTransferDeviceError;
        }
        if (opcode != kData) {
            t.Pin();
            Log(Format(Texts().otherOpcode.c_str(), name, opcode));
            return kTransferProtocolError;
        }
        const uint16_t block = Get16(t.in + 2);
        if (block == expected) {
            t.Pin();
            const uint32_t size = static_cast<uint32_t>(n) - kHeaderSize;
            if (size > capacity - stored) {
                // A cut file would be stored as if it were whole: the read fails instead.
                t.SendError(3, "File too large for the receiver");
                Log(Format(Texts().readTooLarge.c_str(), name, static_cast<int>(capacity)));
                return kTransferTooLarge;
            }
            std::memcpy(destination + stored, t.in + kHeaderSize, size);
            stored += size;
            ++expected;
            Put16(t.out, kAck);
            Put16(t.out + 2, block);
            t.outLength = kHeaderSize;
            t.SendKept();
            started = true;
            resends = 0;
            // A file that fills the capacity with full blocks is whole only once the short (empty)
            // block that ends it has come.
            if (size < kBlockSize) {
                *length = stored;
                Log(Format(Texts().readDone.c_str(), name, static_cast<int>(stored)));
                return kTransferDone;
            }
        } else if (started && block == static_cast<uint16_t>(expected - 1)) {
            // The device did not get our ACK and sent the block again: the kept ACK is its.
            t.RepeatKept();
        }
        // Any other block is out of place and ignored.
    }
}

uint16_t TftpWriteFile(const TftpLink& link, sys::Endpoint* peer, const char* name, const uint8_t* source,
                       uint32_t length) {
    return TftpWriteFile(link, peer, name, source, length, nullptr);
}

uint16_t TftpWriteFile(const TftpLink& link, sys::Endpoint* peer, const char* name, const uint8_t* source,
                       uint32_t length, std::string* deviceMessage) {
    Transfer t;
    if (!t.Begin(link, peer, kWrq, name, kMaxWriteName, kWriteOutSize)) return kTransferNoMemory;

    uint32_t sent = 0;
    uint16_t block = 0;          // the number the next ACK must carry; 0 answers the request
    bool answered = false;       // the request was acknowledged
    size_t lastSize = 0;         // data bytes in the DATA awaiting its ACK
    int resends = 0;
    for (;;) {
        const int n = t.Receive();
        if (n == kGivenUp) return t.Abandon();
        if (n == kNoArrival) {
            if (!answered) {
                Log(Format(Texts().writeNoLink.c_str(), name));
                return kTransferNoAnswer;
            }
            if (resends == kWriteResends) {
                Log(Format(Texts().writeNoAck.c_str(), name, static_cast<int>(block)));
                return kTransferNoAnswer;
            }
            ++resends;
            t.SendKept();
            continue;
        }
        const uint16_t opcode = Get16(t.in);
        if (opcode == kError) {
            t.Pin();
            if (deviceMessage) *deviceMessage = t.ErrorMessage(n);
            Log(Format(Texts().deviceMessage.c_str(), name, t.ErrorMessage(n).c_str()) + "\r\n" +
                Format(Texts().writeBlock.c_str(), static_cast<int>(block)));
            return kTransferDeviceError;
        }
        // Only the ACK of the packet last sent moves the transfer; a repeated (old) ACK is
        // ignored, never answered with a DATA (that would double every packet after it).
        if (opcode != kAck || Get16(t.in + 2) != block) continue;
        t.Pin();
        if (answered && lastSize < kBlockSize) {
            Log(Format(Texts().writeDone.c_str(), name, static_cast<int>(sent)));
            if (lastSize > 0) {
                // Every write is closed with one empty block as well, as the detector has
                // always been sent; it goes once, and one receive is all that follows it.
                Put16(t.out, kData);
                Put16(t.out + 2, static_cast<uint16_t>(block + 1));
                t.outLength = kHeaderSize;
                t.SendKept();
                t.Receive();
            }
            return kTransferDone;
        }
        answered = true;
        const uint32_t left = length - sent;
        lastSize = left < kBlockSize ? left : kBlockSize;
        ++block;
        Put16(t.out, kData);
        Put16(t.out + 2, block);
        if (lastSize > 0) std::memcpy(t.out + kHeaderSize, source + sent, lastSize);
        sent += static_cast<uint32_t>(lastSize);
        t.outLength = kHeaderSize + lastSize;
        resends = 0;
        t.SendKept();
    }
}
