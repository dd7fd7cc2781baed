// IPv4 addresses as text.
#include "core/ip_address.h"

#include <cstdio>

namespace {

bool IsDigitOfBase(char c, int base) {
    if (base == 16) return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (base == 8) return c >= '0' && c <= '7';
    return c >= '0' && c <= '9';
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

}  // namespace

uint32_t ParseIpAddress(const char* text) {
    uint64_t parts[4] = {};
    int count = 0;
    const char* p = text;
    for (;;) {
        if (count == 4) return kNoAddress;
        int base = 10;
        if (*p == '0') {
            base = 8;
            if (p[1] == 'x' || p[1] == 'X') {
                base = 16;
                p += 2;
            }
        }
        if (base != 16 && !IsDigitOfBase(*p, 10)) return kNoAddress;
        uint64_t value = 0;
        bool any = base == 8;  // a lone "0" is a number
        while (IsDigitOfBase(*p, base)) {
            value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(DigitValue(*p));
            if (value > 0xFFFFFFFFu) return kNoAddress;
            any = true;
            ++p;
        }
        if (!any) return kNoAddress;
        parts[count++] = value;
        if (*p != '.') break;
        ++p;
    }
    unsigned char end = static_cast<unsigned char>(*p);
    if (end != 0 && end > ' ') return kNoAddress;
    static const uint64_t kLimit[4][4] = {
        {0xFFFFFFFFu, 0, 0, 0}, {0xFF, 0xFFFFFF, 0, 0}, {0xFF, 0xFF, 0xFFFF, 0}, {0xFF, 0xFF, 0xFF, 0xFF}};
    uint32_t result = 0;
    for (int i = 0; i < count; ++i) {
        if (parts[i] > kLimit[count - 1][i]) return kNoAddress;
    }
    switch (count) {
        case 1: result = static_cast<uint32_t>(parts[0]); break;
        case 2: result = static_cast<uint32_t>(parts[0] << 24 | parts[1]); break;
        case 3: result = static_cast<uint32_t>(parts[0] << 24 | parts[1] << 16 | parts[2]); break;
        default: result = static_cast<uint32_t>(parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3]); break;
    }
    return result;
}

std::string FormatIpAddress(uint32_t ip) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF, ip & 0xFF);
    return text;
}
