// The detector's address and the link to it.
#include "app/device_address.h"

#include "core/app_state.h"
#include "ui/transfer_wait.h"

void SetDeviceAddress(uint32_t ip, AddressSource source) {
    App.DeviceIp = ip;
    if (source != AddressSource::Configuration) App.ConfigChanged = 1;
}

DeviceLink CurrentDeviceLink() {
    DeviceLink link;
    link.socket = App.TransferSocket;
    link.device = {App.DeviceIp, kTftpPort};
    link.timeoutMs = kTransferReceiveTimeoutMs;
    // The transfers run on the window's thread: while they wait, the windows are painted.
    link.wait = ui::WaitForDatagram;
    return link;
}
