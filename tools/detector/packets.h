// TFTP packets as the simulated detector builds, parses and describes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sys/sys_net.h"

namespace detector {

uint16_t Get16(const std::vector<uint8_t>& p, size_t at);
void Put16(std::vector<uint8_t>* p, uint16_t value);

std::vector<uint8_t> MakeAck(uint16_t block);
std::vector<uint8_t> MakeData(uint16_t block, const uint8_t* bytes, size_t size);
std::vector<uint8_t> MakeError(uint16_t code, const std::string& message);

// The zero-terminated string at `at`, or false when the packet ends first.
bool TakeString(const std::vector<uint8_t>& p, size_t* at, std::string* out);

// "127.0.0.2:69".
std::string FormatEndpoint(sys::Endpoint e);

}  // namespace detector
