// IPv4 addresses as text: the classic inet_addr reading and the dotted-decimal form.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t kNoAddress = 0xFFFFFFFFu;

// Reads an address as inet_addr does: one to four parts, each decimal, octal (leading 0) or
// hexadecimal (leading 0x); the text ends at its end or at a blank or control byte. A text
// that is no address gives kNoAddress (255.255.255.255). The result has the first octet in
// its highest byte.
uint32_t ParseIpAddress(const char* text);

// "192.168.0.100".
std::string FormatIpAddress(uint32_t ip);
