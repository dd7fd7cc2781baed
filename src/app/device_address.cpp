// The detector's address and the link to it.
#include "app/device_address.h"

#include "core/app_state.h"
#include "ui/program_end.h"
#include "ui/transfer_wait.h"

namespace {

// The transfers run on the window's thread: while they wait, the windows are painted. Once the
// program is ending (the Windows session ends) a transfer does not wait for anything more.
SocketWaitResult WaitOnWindowThread(sys::Socket socket, int milliseconds) {
    if (ui::QuitPosted()) return SocketWaitResult::GiveUp;
    const bool readable = ui::WaitForDatagram(socket, milliseconds);
    if (ui::QuitPosted()) return SocketWaitResult::GiveUp;
    return readable ? SocketWaitResult::Readable : SocketWaitResult::NotYet;
}

}  // namespace

void SetDeviceAddress(uint32_t ip, AddressSource source) {
    App.DeviceIp = ip;
    if (source != AddressSource::Configuration) App.ConfigChanged = 1;
}

DeviceLink CurrentDeviceLink() {
    DeviceLink link;
    link.socket = App.TransferSocket;
    link.device = {App.DeviceIp, kTftpPort};
    link.timeoutMs = kTransferReceiveTimeoutMs;
    link.wait = WaitOnWindowThread;
    return link;
}
