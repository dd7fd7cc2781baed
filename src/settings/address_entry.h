// The detector's address as the IP address control holds it, and what the user may enter.
#pragma once

#include <cstdint>
#include <string>

#include "core/settings.h"

// The IP address control's value: the first field in the highest byte, the fourth in the
// lowest (as MAKEIPADDRESS builds it).
uint32_t AddressControlValue(Ipv4 deviceIp);
Ipv4 DeviceIpFromControlValue(uint32_t controlValue);

enum class AddressVerdict {
    Accepted,
    Incomplete,  // a field is blank
    Unusable,    // 0.0.0.0, 255.255.255.255 or a multicast address (224 to 239)
};

// What to make of the address the user entered: `filledFields` is how many of the four
// fields hold a number (the control's own count).
AddressVerdict CheckEnteredAddress(int filledFields, uint32_t controlValue);

// The text that says why an address is refused, in the current language; empty when it is
// accepted.
std::u16string AddressRefusal(AddressVerdict verdict, uint32_t controlValue);
