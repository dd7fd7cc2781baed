// The detector's address as the IP address control holds it, and what the user may enter.
#include "settings/address_entry.h"

#include "core/ip_address.h"
#include "core/messages.h"
#include "core/text_format.h"

namespace {

uint32_t FirstField(uint32_t value) { return value >> 24; }

}  // namespace

// The program keeps the address with its first octet in the highest byte, as the control
// does; the socket layer alone puts it into network byte order. So the value passes field for
// field unchanged, both ways: reversing its bytes here would show 192.168.0.100 as
// 100.0.168.192.
uint32_t AddressControlValue(Ipv4 deviceIp) { return deviceIp; }

Ipv4 DeviceIpFromControlValue(uint32_t controlValue) { return controlValue; }

AddressVerdict CheckEnteredAddress(int filledFields, uint32_t controlValue) {
    if (filledFields < 4) return AddressVerdict::Incomplete;
    const uint32_t first = FirstField(controlValue);
    if (controlValue == 0 || controlValue == 0xFFFFFFFFu || (first >= 224 && first <= 239))
        return AddressVerdict::Unusable;
    return AddressVerdict::Accepted;
}

std::u16string AddressRefusal(AddressVerdict verdict, uint32_t controlValue) {
    switch (verdict) {
        case AddressVerdict::Incomplete:
            return CurrentTexts[kMsgAddressIncomplete];
        case AddressVerdict::Unusable:
            return FormatText(CurrentTexts[kMsgAddressNotUsable], {Widen(FormatIpAddress(controlValue))});
        case AddressVerdict::Accepted:
            break;
    }
    return u"";
}
