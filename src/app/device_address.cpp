// The detector's address and the link to it.
#include "app/device_address.h"

#include "core/app_state.h"

void SetDeviceAddress(uint32_t ip, AddressSource source) {
    App.DeviceIp = ip;
    if (source != AddressSource::Configuration) App.ConfigChanged = 1;
}

DeviceLink CurrentDeviceLink() {
    DeviceLink link;
    link.socket = App.TransferSocket;
    link.device = {App.DeviceIp, kTftpPort};
    link.timeoutMs = kTransferReceiveTimeoutMs;
    return link;
}
