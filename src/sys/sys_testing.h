// Hooks that only the native test build offers, to reach failure paths on demand.
#pragma once

namespace sys::testing {

// The next `count` allocations succeed, every later one fails; a negative count restores
// normal behaviour.
void FailAllocationsAfter(int count);

// The next `count` UDP sockets cannot be opened (OpenUdpSocket fails); 0 restores normal
// behaviour.
void FailUdpSocketOpens(int count);
// The next `count` UDP sockets cannot switch Windows' reports of ICMP "port unreachable" off
// (OpenUdpSocket gives a `resetSwitchError`); 0 restores normal behaviour.
void FailUdpResetSwitches(int count);
// The next `count` receives on UDP sockets of the calling thread report a connection reset
// (kRecvReset), as Windows does after an ICMP "port unreachable": each comes `afterMs` after its
// receive began, or the receive times out first if its wait is shorter (the reset then comes
// with the next one). 0 restores normal behaviour.
void ReportUdpResets(int count, int afterMs);
// The same for TCP sockets (OpenTcpSocket).
void FailTcpSocketOpens(int count);
// Every TCP socket takes `milliseconds` to open, as on a busy machine; 0 restores normal
// behaviour.
void DelayTcpSocketOpens(int milliseconds);

// A disk that fills up once: the next `bytes` bytes written through WriteFile go to their
// files, the write that would go beyond them writes only up to there and fails, and after that
// one failure writes succeed again. A negative count restores normal behaviour.
void FailOneWriteAfter(long long bytes);

// The file name ProgramName() reports, in place of the test executable's own.
void SetProgramName(const char16_t* name);

}  // namespace sys::testing
