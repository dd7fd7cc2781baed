// The fuzzer's stand-in for the network: the datagrams that will "arrive", in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sys/sys_net.h"

namespace fake {

struct Arrival {
    bool timeout = false;  // nothing arrives within the wait
    bool reset = false;    // Windows reports an ICMP "port unreachable" instead
    sys::Endpoint from;
    std::vector<uint8_t> bytes;
};

extern std::deque<Arrival> arrivals;
extern size_t sent;
extern size_t refusals;  // ERROR 3 packets (file too large) the client sent to the device
extern uint32_t deviceIp;

}  // namespace fake
