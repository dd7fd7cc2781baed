// The one UDP socket of the file transfers.
#include "net/socket_setup.h"

#include "core/messages.h"
#include "core/text_format.h"

NetworkStartResult StartTransferSocket(sys::Socket* socket, sys::Endpoint* peer) {
    if (!sys::NetStart()) return kWinsockNotStarted;
    if (sys::OpenUdpSocket(socket) != 0) return kSocketNotOpened;
    *peer = sys::Endpoint{};
    int bound = sys::BindSocket(*socket, *peer);
    int timed = sys::SetReceiveTimeout(*socket, kTransferReceiveTimeoutMs);
    if (bound != 0 || timed != 0) return kSocketNotConfigured;
    peer->port = kTftpPort;
    return kNetworkStarted;
}

std::u16string FatalNetworkReport(int code) {
    if (code == kWinsockNotStarted)
        return FormatText(CurrentTexts[kMsgWinsockNotLaunched], {CurrentTexts[kMsgEmergencyExit], code});
    return FormatText(CurrentTexts[kMsgSocketNotOpen], {u"UDP", CurrentTexts[kMsgEmergencyExit], code});
}
