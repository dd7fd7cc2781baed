// The seven values that Pelorin.cfg holds, with their defaults.
#pragma once

#include <cstdint>
#include <string>

// Interface language: 0 Russian, 1 English, 2 Turkish (other values may come from the file).
using LanguageId = uint8_t;

// An IPv4 address with the first octet in the highest byte (192.168.0.100 is 0xC0A80064).
using Ipv4 = uint32_t;

// Colour values are 0x00BBGGRR, red in the low byte, as Windows keeps them.
using ColorValue = uint32_t;

struct Settings {
    LanguageId CurrentLanguage = 0;
    Ipv4 DeviceIp = 0xC0A80064;
    int32_t StartupSearchFlag = 0;
    std::u16string FramesPath = u"FRAMES\\";  // always ends in a backslash
    std::u16string LogPath = u"LOG\\";        // always ends in a backslash
    ColorValue BackgroundColor = 0xC0C0C0;
    ColorValue ForegroundColor = 0x000000;
};
