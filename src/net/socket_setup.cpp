// The one UDP socket of the file transfers.
#include "net/socket_setup.h"

#include "core/messages.h"
#include "core/text_format.h"
#include "net/udp_socket.h"

NetworkStartResult StartTransferSocket(sys::Socket* socket) {
    if (!sys::NetStart()) return kWinsockNotStarted;
    if (OpenTransferUdpSocket(socket) != 0) return kSocketNotOpened;
    int bound = sys::BindSocket(*socket, sys::Endpoint{});
    int timed = sys::SetReceiveTimeout(*socket, kTransferReceiveTimeoutMs);
    if (bound != 0 || timed != 0) return kSocketNotConfigured;
    return kNetworkStarted;
}

std::u16string FatalNetworkReport(int code) {
    if (code == kWinsockNotStarted)
        return FormatText(CurrentTexts[kMsgWinsockNotLaunched], {CurrentTexts[kMsgEmergencyExit], code});
    return FormatText(CurrentTexts[kMsgSocketNotOpen], {u"UDP", CurrentTexts[kMsgEmergencyExit], code});
}
