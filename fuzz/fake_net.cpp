// A socket layer without sockets for the fuzzer: receives come from a script of datagrams,
// sends are checked and counted. Time goes on as usual, but nothing ever waits.
#include "fake_net.h"

#include <cstdlib>
#include <cstring>

#include "sys/sys_net.h"

namespace fake {
std::deque<Arrival> arrivals;
size_t sent = 0;
size_t refusals = 0;
uint32_t deviceIp = 0;
}  // namespace fake

namespace sys {

bool NetStart() { return true; }
void NetStop() {}
int OpenUdpSocket(Socket* out, int* resetSwitchError) {
    if (resetSwitchError) *resetSwitchError = 0;
    *out = 3;
    return 0;
}
int OpenTcpSocket(Socket* out) {
    *out = 4;
    return 0;
}
int BindSocket(Socket, Endpoint) { return 0; }
int SetReceiveTimeout(Socket, int) { return 0; }
int SetNonBlocking(Socket) { return 0; }
void CloseSocket(Socket) {}
void ShutdownAndClose(Socket) {}
Endpoint LocalEndpoint(Socket) { return {0x7F000001, 40000}; }

bool SendTo(Socket, const void* data, size_t size, Endpoint to) {
    // Whatever the client sends is a whole, well-formed packet of at most 516 bytes.
    const uint8_t* p = static_cast<const uint8_t*>(data);
    if (size < 4 || size > 516 || p[0] != 0 || p[1] < 1 || p[1] > 5) std::abort();
    if (p[1] == 4 && size != 4) std::abort();
    if (p[1] != 5 && to.ip != fake::deviceIp) std::abort();  // only errors go to strangers
    if (p[1] == 5 && p[2] == 0 && p[3] == 3 && to.ip == fake::deviceIp) ++fake::refusals;
    ++fake::sent;
    return true;
}

int ReceiveFrom(Socket, void* buffer, size_t capacity, Endpoint* from, int timeoutMs) {
    // A look without waiting is how the client clears what an earlier transfer left: the
    // script starts after the request.
    if (timeoutMs == 0 || fake::arrivals.empty()) return kRecvTimeout;
    fake::Arrival a = std::move(fake::arrivals.front());
    fake::arrivals.pop_front();
    if (a.timeout) return kRecvTimeout;
    if (a.reset) return kRecvReset;
    size_t n = a.bytes.size() < capacity ? a.bytes.size() : capacity;
    if (n) std::memcpy(buffer, a.bytes.data(), n);
    if (from) *from = a.from;
    return static_cast<int>(n);
}

ConnectStart StartConnect(Socket, Endpoint) { return ConnectStart::Failed; }
bool WaitConnected(Socket, int) { return false; }
int WaitConnections(const Socket*, ConnectState*, size_t, int) { return 0; }
int SetReuseAddress(Socket) { return 0; }
int ListenOn(Socket, int) { return 0; }
Socket AcceptConnection(Socket) { return kNoSocket; }
int WaitReadable(const Socket*, size_t, bool*, int) { return 0; }

}  // namespace sys
