// libFuzzer target: the TFTP client fed any sequence of datagrams from the device, from its
// other ports and from strangers, with time-outs between them. Under the address and
// undefined-behaviour sanitizers: no write outside the caller's buffer, no read outside the
// source, no ill-formed packet sent, and only the documented results; a file too long for the
// buffer is refused with an ERROR to the device, never cut.
//
// Input: byte 0 chooses read or write and the size; then records of
//   kind (1 byte: low 2 bits the sender, bit 2 a time-out instead of a datagram, bit 3 a
//   connection reset instead),
//   length (2 bytes, at most 600), bytes (a full 512-byte block is made by repeating them).
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fake_net.h"
#include "net/tftp_client.h"

namespace {

constexpr uint32_t kDevice = 0x7F000002;

uint16_t Take16(const uint8_t*& p, const uint8_t* end) {
    uint16_t v = 0;
    for (int i = 0; i < 2 && p < end; ++i) v = static_cast<uint16_t>((v << 8) | *p++);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    const uint8_t mode = *p++;
    const bool write = mode & 1;
    // Sizes around the block boundaries matter most.
    static const uint32_t sizes[] = {0, 1, 511, 512, 513, 1000, 1024, 1536, 4000, 50000};
    const uint32_t amount = sizes[(mode >> 1) % 10] + (mode >> 5);

    fake::arrivals.clear();
    fake::sent = 0;
    fake::refusals = 0;
    fake::deviceIp = kDevice;
    while (p < end && fake::arrivals.size() < 4096) {
        const uint8_t kind = *p++;
        fake::Arrival a;
        if (kind & 12) {
            a.timeout = (kind & 4) != 0;
            a.reset = !a.timeout;
            fake::arrivals.push_back(a);
            continue;
        }
        static const sys::Endpoint senders[] = {
            {kDevice, 50001}, {kDevice, 69}, {kDevice, 50002}, {0x7F000009, 50001}};
        a.from = senders[kind & 3];
        size_t length = Take16(p, end) % 601;
        const size_t available = static_cast<size_t>(end - p);
        const size_t taken = length < available ? length : available;
        a.bytes.assign(p, p + taken);
        p += taken;
        // Short on input, long on the wire: pad by repeating what there is.
        for (size_t i = taken; i < length && taken > 0; ++i) a.bytes.push_back(a.bytes[i % taken]);
        fake::arrivals.push_back(std::move(a));
    }

    TftpLink link;
    link.socket = 3;
    link.timeoutMs = 1000;
    sys::Endpoint peer = {kDevice, 69};
    if (write) {
        std::vector<uint8_t> source(amount);
        for (uint32_t i = 0; i < amount; ++i) source[i] = static_cast<uint8_t>(i * 7);
        // Exactly the source's size on the heap, so that reading past it is caught.
        uint8_t* exact = static_cast<uint8_t*>(std::malloc(amount ? amount : 1));
        if (amount) std::memcpy(exact, source.data(), amount);
        uint16_t result = TftpWriteFile(link, &peer, "/fds.sdb", exact, amount);
        std::free(exact);
        if (result != kTransferDone && result != kTransferDeviceError && result != kTransferNoAnswer) std::abort();
    } else {
        uint8_t* destination = static_cast<uint8_t*>(std::malloc(amount ? amount : 1));
        uint32_t length = amount;
        uint16_t result = TftpReadFile(link, &peer, "fds.sdb", destination, &length);
        std::free(destination);
        if (result != kTransferDone && result != kTransferDeviceError && result != kTransferProtocolError &&
            result != kTransferNoAnswer && result != kTransferTooLarge)
            std::abort();
        if ((result == kTransferTooLarge) != (fake::refusals == 1)) std::abort();
        if (result == kTransferDone && length > amount) std::abort();
        if (result != kTransferDone && length != amount) std::abort();
    }
    if (peer.ip != kDevice) std::abort();
    return 0;
}
