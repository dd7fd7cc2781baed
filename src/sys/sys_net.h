// The seam to the socket layer (Winsock on Windows, BSD sockets elsewhere) for the portable
// network code. Addresses and ports are plain host-order integers here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sys {

using Socket = intptr_t;
constexpr Socket kNoSocket = -1;

// An IPv4 address and port; ip holds the first octet in its highest byte (127.0.0.1 is
// 0x7F000001), port is an ordinary number (69).
struct Endpoint {
    uint32_t ip = 0;
    uint16_t port = 0;
};

inline bool operator==(const Endpoint& a, const Endpoint& b) { return a.ip == b.ip && a.port == b.port; }
inline bool operator!=(const Endpoint& a, const Endpoint& b) { return !(a == b); }

// Starts the socket layer (WSAStartup 2.0 on Windows). True on success.
bool NetStart();
void NetStop();

// Each returns 0 on success, otherwise the system's error code of the failed call.
// A UDP socket: on Windows an ICMP "port unreachable" that answered an earlier datagram would
// make the next receive fail (WSAECONNRESET), and that report is switched off. When it cannot
// be, `resetSwitchError` (if given) gets the system's error code, else 0; the socket works all
// the same, and a reset then comes as kRecvReset.
int OpenUdpSocket(Socket* out, int* resetSwitchError = nullptr);
int OpenTcpSocket(Socket* out);
int BindSocket(Socket s, Endpoint local);
int SetReceiveTimeout(Socket s, int milliseconds);
int SetNonBlocking(Socket s);
void CloseSocket(Socket s);
// Shuts both directions down, then closes.
void ShutdownAndClose(Socket s);

// The local address a socket is bound to (its port is what a test needs to know).
Endpoint LocalEndpoint(Socket s);

// Sends one datagram; false when the send failed.
bool SendTo(Socket s, const void* data, size_t size, Endpoint to);

enum : int { kRecvTimeout = -1, kRecvError = -2, kRecvReset = -3 };
// Waits at most `timeoutMs` for one datagram. Returns its length (0 for an empty datagram),
// kRecvTimeout, kRecvError, or kRecvReset: no datagram, but Windows' report that an earlier
// datagram was answered with ICMP "port unreachable" (the socket goes on working). `from`
// receives the sender.
int ReceiveFrom(Socket s, void* buffer, size_t capacity, Endpoint* from, int timeoutMs);

enum class ConnectStart { Connected, InProgress, Failed };
// Starts a connection on a non-blocking stream socket.
ConnectStart StartConnect(Socket s, Endpoint to);
// Waits at most `timeoutMs` for a started connection. True only when the connection was
// established (a refused or failed attempt is false even when the socket reports ready).
bool WaitConnected(Socket s, int timeoutMs);

enum class ConnectState { Pending, Connected, Failed };
// The most started connections that WaitConnections looks at in one call.
constexpr size_t kMaxWaitedConnections = 256;
// Looks at `count` started connections and waits at most `timeoutMs` (0: not at all) until one
// of those still pending is settled. Only entries whose state is Pending and whose socket is
// not kNoSocket are looked at; each is updated: Connected once established, Failed when refused
// or broken. Returns how many were settled by this call, or -1 when the wait failed (or more
// than kMaxWaitedConnections were given).
int WaitConnections(const Socket* sockets, ConnectState* states, size_t count, int timeoutMs);

// ---- Serving (the simulated detector) ------------------------------------------------------

// Lets a listener take its port again while old connections linger (a no-op on Windows,
// where the option would let others take the port away).
int SetReuseAddress(Socket s);
// Starts listening on a bound stream socket; 0 or the system's error code.
int ListenOn(Socket s, int backlog);
// Takes one waiting connection from a listening socket; kNoSocket when there is none.
Socket AcceptConnection(Socket s);
// Waits at most `timeoutMs` until one of the `count` sockets has something to read, and marks
// those in `readable`. Returns the number of such sockets, 0 on time-out, -1 on error.
int WaitReadable(const Socket* sockets, size_t count, bool* readable, int timeoutMs);

}  // namespace sys
