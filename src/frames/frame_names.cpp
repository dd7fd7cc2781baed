// The names and texts of reading frames.
#include "frames/frame_names.h"

#include <cstdio>

#include "core/text_format.h"

std::string RemoteFrameName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/screenshots/%d.png", frame);
    return name;
}

std::u16string LocalFrameName(const sys::LocalTime& time, int frame) {
    char name[96];
    std::snprintf(name, sizeof name, "%4.4d_%2.2d_%2.2d-%2.2d-%2.2d~%3.3d.png", time.year, time.month, time.day,
                  time.hour, time.minute, frame);
    return Widen(name);
}

std::u16string FrameItemText(const char16_t* frameWord, int frame) {
    char number[16];
    std::snprintf(number, sizeof number, "%3.3d", frame);
    return FormatText(u"%s %s", {frameWord, Widen(number)});
}

int FrameColumnWidth(const char16_t* frameWord) {
    return 8 * static_cast<int>(FrameItemText(frameWord, kDeviceFrameCount).size()) + 16;
}

std::u16string FrameProgressText(const char16_t* frameWord, int frame) {
    return FormatText(u"%s \u2116%d", {frameWord, frame});
}

std::u16string FrameNoticeText(const char16_t* frameWord, int frame, const char16_t* notice) {
    return FormatText(u"%s \u2116%d - %s", {frameWord, frame, notice});
}
