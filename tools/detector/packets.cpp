// TFTP packets as the simulated detector builds, parses and describes them.
#include "packets.h"

#include <algorithm>
#include <cstdio>

#include "detector.h"

namespace detector {

uint16_t Get16(const std::vector<uint8_t>& p, size_t at) {
    return static_cast<uint16_t>((p[at] << 8) | p[at + 1]);
}

void Put16(std::vector<uint8_t>* p, uint16_t value) {
    p->push_back(static_cast<uint8_t>(value >> 8));
    p->push_back(static_cast<uint8_t>(value & 0xFF));
}

std::vector<uint8_t> MakeAck(uint16_t block) {
    std::vector<uint8_t> p;
    Put16(&p, kAck);
    Put16(&p, block);
    return p;
}

std::vector<uint8_t> MakeData(uint16_t block, const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> p;
    p.reserve(4 + size);
    Put16(&p, kData);
    Put16(&p, block);
    p.insert(p.end(), bytes, bytes + size);
    return p;
}

std::vector<uint8_t> MakeError(uint16_t code, const std::string& message) {
    std::vector<uint8_t> p;
    Put16(&p, kError);
    Put16(&p, code);
    p.insert(p.end(), message.begin(), message.end());
    p.push_back(0);
    return p;
}

bool TakeString(const std::vector<uint8_t>& p, size_t* at, std::string* out) {
    auto end = std::find(p.begin() + static_cast<std::ptrdiff_t>(*at), p.end(), 0);
    if (end == p.end()) return false;
    out->assign(p.begin() + static_cast<std::ptrdiff_t>(*at), end);
    *at = static_cast<size_t>(end - p.begin()) + 1;
    return true;
}

std::string FormatEndpoint(sys::Endpoint e) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u:%u", e.ip >> 24, (e.ip >> 16) & 255, (e.ip >> 8) & 255, e.ip & 255,
                  e.port);
    return text;
}

std::string Describe(const std::vector<uint8_t>& p) {
    char text[96];
    if (p.size() < 2) {
        std::snprintf(text, sizeof text, "%zu bytes", p.size());
        return text;
    }
    uint16_t opcode = Get16(p, 0);
    if (opcode == kRrq || opcode == kWrq) {
        size_t at = 2;
        std::string name, mode;
        std::string out = opcode == kRrq ? "RRQ" : "WRQ";
        if (!TakeString(p, &at, &name) || !TakeString(p, &at, &mode)) return out + " (malformed)";
        out += " " + name + " " + mode;
        std::string option;
        while (at < p.size() && TakeString(p, &at, &option)) out += " " + option;
        return out;
    }
    if (p.size() < 4) {
        std::snprintf(text, sizeof text, "%zu bytes", p.size());
        return text;
    }
    uint16_t number = Get16(p, 2);
    switch (opcode) {
        case kData: std::snprintf(text, sizeof text, "DATA %u %zu", number, p.size() - 4); return text;
        case kAck:
            std::snprintf(text, sizeof text, p.size() == 4 ? "ACK %u" : "ACK %u (%zu bytes)", number, p.size());
            return text;
        case kError: {
            std::string message(p.begin() + 4, std::find(p.begin() + 4, p.end(), 0));
            std::snprintf(text, sizeof text, "ERROR %u ", number);
            return text + message;
        }
        default: std::snprintf(text, sizeof text, "opcode %u (%zu bytes)", opcode, p.size()); return text;
    }
}

std::string DescribeRecord(const PacketRecord& r) {
    std::string text = (r.sent ? "-> " : "<- ") + Describe(r.bytes);
    if (r.fate == Fate::Dropped) text += " (dropped)";
    if (r.fate == Fate::Injected) text += " (injected)";
    return text;
}

}  // namespace detector
