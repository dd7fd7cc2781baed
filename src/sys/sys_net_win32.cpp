// The socket seam over Winsock 2.
#include "sys/sys_net.h"

// Winsock's sets hold 64 sockets unless told otherwise; the start-up search waits on 100.
#define FD_SETSIZE 256

#include <winsock2.h>
#include <mstcpip.h>
#include <ws2tcpip.h>

#include <cstring>

#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

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

SOCKET S(Socket s) { return static_cast<SOCKET>(s); }

}  // namespace

bool NetStart() {
    WSADATA data;
    return WSAStartup(0x0002, &data) == 0;
}

void NetStop() { WSACleanup(); }

int OpenUdpSocket(Socket* out, int* resetSwitchError) {
    if (resetSwitchError) *resetSwitchError = 0;
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        *out = kNoSocket;
        return WSAGetLastError();
    }
    // Without this, an ICMP "port unreachable" left over from an earlier exchange makes the
    // next receive fail with WSAECONNRESET.
    BOOL report = FALSE;
    DWORD returned = 0;
    if (WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr) ==
            SOCKET_ERROR &&
        resetSwitchError)
        *resetSwitchError = WSAGetLastError();
    *out = static_cast<Socket>(s);
    return 0;
}

int OpenTcpSocket(Socket* out) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    *out = s == INVALID_SOCKET ? kNoSocket : static_cast<Socket>(s);
    return s == INVALID_SOCKET ? WSAGetLastError() : 0;
}

int BindSocket(Socket s, Endpoint local) {
    sockaddr_in a = ToSockaddr(local);
    return ::bind(S(s), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 0 : WSAGetLastError();
}

int SetReceiveTimeout(Socket s, int milliseconds) {
    int value = milliseconds;
    return ::setsockopt(S(s), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value), sizeof value) == 0
               ? 0
               : WSAGetLastError();
}

int SetNonBlocking(Socket s) {
    u_long on = 1;
    return ioctlsocket(S(s), FIONBIO, &on) == 0 ? 0 : WSAGetLastError();
}

void CloseSocket(Socket s) {
    if (s != kNoSocket) closesocket(S(s));
}

void ShutdownAndClose(Socket s) {
    if (s == kNoSocket) return;
    ::shutdown(S(s), SD_BOTH);
    closesocket(S(s));
}

Endpoint LocalEndpoint(Socket s) {
    sockaddr_in a;
    int len = sizeof a;
    std::memset(&a, 0, sizeof a);
    if (::getsockname(S(s), reinterpret_cast<sockaddr*>(&a), &len) != 0) return {};
    return {ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

bool SendTo(Socket s, const void* data, size_t size, Endpoint to) {
    sockaddr_in a = ToSockaddr(to);
    return ::sendto(S(s), static_cast<const char*>(data), static_cast<int>(size), 0, reinterpret_cast<sockaddr*>(&a),
                    sizeof a) == static_cast<int>(size);
}

int ReceiveFrom(Socket s, void* buffer, size_t capacity, Endpoint* from, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(S(s), &readable);
    timeval tv = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    if (timeoutMs < 0) tv = {0, 0};
    int ready = ::select(0, &readable, nullptr, nullptr, &tv);
    if (ready == SOCKET_ERROR) return kRecvError;
    if (ready == 0) return kRecvTimeout;
    sockaddr_in a;
    int len = sizeof a;
    std::memset(&a, 0, sizeof a);
    int n = ::recvfrom(S(s), static_cast<char*>(buffer), static_cast<int>(capacity), 0, reinterpret_cast<sockaddr*>(&a),
                       &len);
    if (n == SOCKET_ERROR) {
        int error = WSAGetLastError();
        // A datagram longer than the buffer arrives cut; that is for the caller to judge.
        if (error == WSAEMSGSIZE) n = static_cast<int>(capacity);
        // An ICMP "port unreachable" that answered an earlier datagram, reported where the
        // switch did not take: nothing arrived, the socket goes on.
        else if (error == WSAECONNRESET) return kRecvReset;
        else return error == WSAETIMEDOUT || error == WSAEWOULDBLOCK ? kRecvTimeout : kRecvError;
    }
    if (from) *from = {ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
    return n;
}

ConnectStart StartConnect(Socket s, Endpoint to) {
    sockaddr_in a = ToSockaddr(to);
    if (::connect(S(s), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return ConnectStart::Connected;
    return WSAGetLastError() == WSAEWOULDBLOCK ? ConnectStart::InProgress : ConnectStart::Failed;
}

bool WaitConnected(Socket s, int timeoutMs) {
    fd_set readable, writable, failed;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(S(s), &readable);
    FD_SET(S(s), &writable);
    FD_SET(S(s), &failed);
    timeval tv = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = ::select(0, &readable, &writable, &failed, &tv);
    if (ready <= 0 || FD_ISSET(S(s), &failed)) return false;
    int error = 0;
    int len = sizeof error;
    if (::getsockopt(S(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) != 0) return false;
    return error == 0;
}

int WaitConnections(const Socket* sockets, ConnectState* states, size_t count, int timeoutMs) {
    static_assert(kMaxWaitedConnections <= FD_SETSIZE, "a set holds every socket waited on");
    if (count > kMaxWaitedConnections) return -1;
    fd_set writable, broken;
    FD_ZERO(&writable);
    FD_ZERO(&broken);
    for (size_t i = 0; i < count; ++i) {
        if (states[i] != ConnectState::Pending || sockets[i] == kNoSocket) continue;
        FD_SET(S(sockets[i]), &writable);
        FD_SET(S(sockets[i]), &broken);
    }
    if (writable.fd_count == 0) return 0;  // select refuses empty sets
    if (timeoutMs < 0) timeoutMs = 0;
    timeval tv = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    // Winsock reports an established connection as writable and a refused one in the
    // exception set.
    int ready = ::select(0, nullptr, &writable, &broken, &tv);
    if (ready == SOCKET_ERROR) return -1;
    int settled = 0;
    for (size_t i = 0; i < count && ready > 0; ++i) {
        if (states[i] != ConnectState::Pending || sockets[i] == kNoSocket) continue;
        const SOCKET s = S(sockets[i]);
        const bool failed = FD_ISSET(s, &broken) != 0;
        if (!failed && !FD_ISSET(s, &writable)) continue;
        int error = 0;
        int len = sizeof error;
        const bool ok = !failed && ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) == 0 &&
                        error == 0;
        states[i] = ok ? ConnectState::Connected : ConnectState::Failed;
        ++settled;
    }
    return settled;
}

int SetReuseAddress(Socket) { return 0; }

int ListenOn(Socket s, int backlog) { return ::listen(S(s), backlog) == 0 ? 0 : WSAGetLastError(); }

Socket AcceptConnection(Socket s) {
    SOCKET accepted = ::accept(S(s), nullptr, nullptr);
    return accepted == INVALID_SOCKET ? kNoSocket : static_cast<Socket>(accepted);
}

int WaitReadable(const Socket* sockets, size_t count, bool* readable, int timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    for (size_t i = 0; i < count && i < FD_SETSIZE; ++i) FD_SET(S(sockets[i]), &set);
    if (timeoutMs < 0) timeoutMs = 0;
    timeval tv = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = ::select(0, &set, nullptr, nullptr, &tv);
    for (size_t i = 0; i < count; ++i) readable[i] = ready > 0 && FD_ISSET(S(sockets[i]), &set);
    return ready == SOCKET_ERROR ? -1 : ready;
}

}  // namespace sys
