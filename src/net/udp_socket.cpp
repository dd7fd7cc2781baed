// The UDP sockets of the file transfers.
#include "net/udp_socket.h"

#include <string>

#include "core/log.h"
#include "sys/cp1251.h"

namespace {

bool g_resetSwitchFailureLogged = false;

}  // namespace

int OpenTransferUdpSocket(sys::Socket* socket) {
    int switchError = 0;
    const int opened = sys::OpenUdpSocket(socket, &switchError);
    if (opened == 0 && switchError != 0 && !g_resetSwitchFailureLogged) {
        g_resetSwitchFailureLogged = true;
        // "UDP socket: ICMP port-unreachable reports not switched off, error %d"
        WriteLog((ToCp1251(u"UDP сокет: сообщения ICMP о недоступном порте не отключены, ошибка ") +
                  std::to_string(switchError) + "\r\n")
                     .c_str());
    }
    return opened;
}
