// The detector's address: where it comes from, the one way it changes, and the link to it that
// the commands and the main window are handed.
#pragma once

#include <cstdint>

#include "net/device_link.h"

enum class AddressSource {
    Configuration,  // Pelorin.cfg at start-up
    StartupSearch,  // the detector answered there
    AddressDialog,  // the user confirmed it (also the same one again)
};

// Makes `ip` (first octet highest) the detector's address. Found or entered while the program
// runs, it is written back to Pelorin.cfg at the shut-down.
void SetDeviceAddress(uint32_t ip, AddressSource source);

// The transfer socket, the detector's address now and the program's 300 ms wait.
DeviceLink CurrentDeviceLink();
