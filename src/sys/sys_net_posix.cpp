// The socket seam over BSD sockets, for the native build and its tests.
#include "sys/sys_net.h"
#include "sys/sys_testing.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace sys {
namespace {

sockaddr_in ToSockaddr(Endpoint e) {
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(e.port);
    a.sin_addr.s_addr = htonl(e.ip);
    return a;
}

Endpoint FromSockaddr(const sockaddr_in& a) { return {ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)}; }

int Fd(Socket s) { return static_cast<int>(s); }

std::atomic<int> g_failingUdpOpens{0};
std::atomic<int> g_failingTcpOpens{0};
std::atomic<int> g_tcpOpenDelayMs{0};
std::atomic<int> g_failingResetSwitches{0};
// Simulated resets belong to the thread that asked for them: the simulated detector of the
// tests, in the same process, receives on a thread of its own.
thread_local int t_resetsToReport = 0;
thread_local int t_resetAfterMs = 0;

}  // namespace

namespace testing {
void FailUdpSocketOpens(int count) { g_failingUdpOpens = count; }
void FailTcpSocketOpens(int count) { g_failingTcpOpens = count; }
void DelayTcpSocketOpens(int milliseconds) { g_tcpOpenDelayMs = milliseconds; }
void FailUdpResetSwitches(int count) { g_failingResetSwitches = count; }
void ReportUdpResets(int count, int afterMs) {
    t_resetsToReport = count;
    t_resetAfterMs = afterMs;
}
}  // namespace testing

bool NetStart() { return true; }
void NetStop() {}

int OpenUdpSocket(Socket* out, int* resetSwitchError) {
    // Linux reports no ICMP errors on an unconnected UDP socket: there is nothing to switch off.
    if (resetSwitchError) *resetSwitchError = 0;
    if (g_failingResetSwitches > 0 && resetSwitchError) {
        --g_failingResetSwitches;
        *resetSwitchError = EOPNOTSUPP;
    }
    if (g_failingUdpOpens > 0) {
        --g_failingUdpOpens;
        *out = kNoSocket;
        return EMFILE;
    }
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    *out = fd < 0 ? kNoSocket : fd;
    return fd < 0 ? errno : 0;
}

int OpenTcpSocket(Socket* out) {
    if (g_tcpOpenDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(g_tcpOpenDelayMs));
    if (g_failingTcpOpens > 0) {
        --g_failingTcpOpens;
        *out = kNoSocket;
        return EMFILE;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    *out = fd < 0 ? kNoSocket : fd;
    return fd < 0 ? errno : 0;
}

int BindSocket(Socket s, Endpoint local) {
    sockaddr_in a = ToSockaddr(local);
    return ::bind(Fd(s), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 0 : errno;
}

int SetReceiveTimeout(Socket s, int milliseconds) {
    timeval tv = {milliseconds / 1000, (milliseconds % 1000) * 1000};
    return ::setsockopt(Fd(s), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0 ? 0 : errno;
}

int SetNonBlocking(Socket s) {
    int flags = ::fcntl(Fd(s), F_GETFL);
    if (flags < 0) return errno;
    return ::fcntl(Fd(s), F_SETFL, flags | O_NONBLOCK) == 0 ? 0 : errno;
}

void CloseSocket(Socket s) {
    if (s != kNoSocket) ::close(Fd(s));
}

void ShutdownAndClose(Socket s) {
    if (s == kNoSocket) return;
    ::shutdown(Fd(s), SHUT_RDWR);
    ::close(Fd(s));
}

Endpoint LocalEndpoint(Socket s) {
    sockaddr_in a;
    socklen_t len = sizeof a;
    std::memset(&a, 0, sizeof a);
    if (::getsockname(Fd(s), reinterpret_cast<sockaddr*>(&a), &len) != 0) return {};
    return FromSockaddr(a);
}

bool SendTo(Socket s, const void* data, size_t size, Endpoint to) {
    sockaddr_in a = ToSockaddr(to);
    return ::sendto(Fd(s), data, size, 0, reinterpret_cast<sockaddr*>(&a), sizeof a) == static_cast<ssize_t>(size);
}

int ReceiveFrom(Socket s, void* buffer, size_t capacity, Endpoint* from, int timeoutMs) {
    if (t_resetsToReport > 0) {
        const int wait = timeoutMs < 0 ? 0 : timeoutMs;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(wait, t_resetAfterMs)));
        if (wait < t_resetAfterMs) return kRecvTimeout;
        --t_resetsToReport;
        return kRecvReset;
    }
    pollfd p = {Fd(s), POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return kRecvError;
    if (ready == 0) return kRecvTimeout;
    sockaddr_in a;
    socklen_t len = sizeof a;
    std::memset(&a, 0, sizeof a);
    ssize_t n = ::recvfrom(Fd(s), buffer, capacity, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&a), &len);
    if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? kRecvTimeout : kRecvError;
    if (from) *from = FromSockaddr(a);
    return static_cast<int>(n);
}

ConnectStart StartConnect(Socket s, Endpoint to) {
    sockaddr_in a = ToSockaddr(to);
    if (::connect(Fd(s), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return ConnectStart::Connected;
    return errno == EINPROGRESS ? ConnectStart::InProgress : ConnectStart::Failed;
}

bool WaitConnected(Socket s, int timeoutMs) {
    pollfd p = {Fd(s), POLLIN | POLLOUT, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return false;
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(Fd(s), SOL_SOCKET, SO_ERROR, &error, &len) != 0) return false;
    return error == 0;
}

int WaitConnections(const Socket* sockets, ConnectState* states, size_t count, int timeoutMs) {
    if (count > kMaxWaitedConnections) return -1;
    std::vector<pollfd> polled;
    std::vector<size_t> index;
    for (size_t i = 0; i < count; ++i) {
        if (states[i] != ConnectState::Pending || sockets[i] == kNoSocket) continue;
        polled.push_back({Fd(sockets[i]), POLLOUT, 0});
        index.push_back(i);
    }
    if (polled.empty()) return 0;
    int ready;
    do {
        ready = ::poll(polled.data(), polled.size(), timeoutMs < 0 ? 0 : timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return -1;
    int settled = 0;
    for (size_t k = 0; k < polled.size(); ++k) {
        if (polled[k].revents == 0) continue;
        // A refused attempt reports ready too; only the socket's own error tells them apart.
        int error = 0;
        socklen_t len = sizeof error;
        const bool ok = (polled[k].revents & (POLLERR | POLLHUP)) == 0 &&
                        ::getsockopt(polled[k].fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
        states[index[k]] = ok ? ConnectState::Connected : ConnectState::Failed;
        ++settled;
    }
    return settled;
}

int SetReuseAddress(Socket s) {
    int on = 1;
    return ::setsockopt(Fd(s), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 ? 0 : errno;
}

int ListenOn(Socket s, int backlog) { return ::listen(Fd(s), backlog) == 0 ? 0 : errno; }

Socket AcceptConnection(Socket s) {
    int fd = ::accept4(Fd(s), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    return fd < 0 ? kNoSocket : fd;
}

int WaitReadable(const Socket* sockets, size_t count, bool* readable, int timeoutMs) {
    std::vector<pollfd> polled(count);
    for (size_t i = 0; i < count; ++i) polled[i] = {Fd(sockets[i]), POLLIN, 0};
    int ready;
    do {
        ready = ::poll(polled.data(), polled.size(), timeoutMs < 0 ? 0 : timeoutMs);
    } while (ready < 0 && errno == EINTR);
    for (size_t i = 0; i < count; ++i) readable[i] = ready > 0 && (polled[i].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
    return ready < 0 ? -1 : ready;
}

}  // namespace sys
