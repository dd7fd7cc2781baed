// The names and texts of reading frames.
#include "frames/frame_names.h"

#include "mainwnd/window_scale.h"

#include <algorithm>
#include <cstdio>
#include <string>

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

std::u16string FrameFilePattern(int frame) {
    char pattern[32];
    std::snprintf(pattern, sizeof pattern, "*~%3.3d*.png", frame);
    return Widen(pattern);
}

std::u16string FrameCopyName(const std::u16string& name, int copy) {
    const size_t dot = name.rfind(u'.');
    if (copy <= 1 || dot == std::u16string::npos) return name;
    return name.substr(0, dot) + u" (" + Widen(std::to_string(copy)) + u")" + name.substr(dot);
}

bool ParseFrameFileName(const std::u16string& name, FrameFileName* parsed) {
    // YYYY_MM_DD-HH-MM~NNN.png or YYYY_MM_DD-HH-MM~NNN (C).png, the year of four digits or
    // more, C from 2 on without leading zeros.
    size_t at = 0;
    auto number = [&](size_t least, size_t most, int* value) {
        size_t count = 0;
        *value = 0;
        while (at < name.size() && name[at] >= u'0' && name[at] <= u'9' && count < most) {
            *value = *value * 10 + (name[at++] - u'0');
            ++count;
        }
        return count >= least;
    };
    auto sign = [&](char16_t c) { return at < name.size() && name[at++] == c; };
    FrameFileName found;
    sys::LocalTime& t = found.time;
    if (!(number(4, 9, &t.year) && sign(u'_') && number(2, 2, &t.month) && sign(u'_') && number(2, 2, &t.day) &&
          sign(u'-') && number(2, 2, &t.hour) && sign(u'-') && number(2, 2, &t.minute) && sign(u'~') &&
          number(3, 3, &found.frame)))
        return false;
    if (at < name.size() && name[at] == u' ') {
        ++at;
        const bool leadingZero = at + 1 < name.size() && name[at + 1] == u'0';
        if (!sign(u'(') || leadingZero || !number(1, 4, &found.copy) || found.copy < 2 || !sign(u')')) return false;
    }
    std::u16string extension = name.substr(at);
    for (char16_t& c : extension)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    const bool inRange = t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour <= 23 &&
                         t.minute <= 59 && found.frame >= 1 && found.frame <= kDeviceFrameCount;
    if (extension != u".png" || !inRange) return false;
    if (parsed) *parsed = found;
    return true;
}

std::u16string FrameItemText(const char16_t* frameWord, int frame) {
    char number[16];
    std::snprintf(number, sizeof number, "%3.3d", frame);
    return FormatText(u"%s %s", {frameWord, Widen(number)});
}

int FrameColumnWidth(const char16_t* frameWord) {
    return 8 * static_cast<int>(FrameItemText(frameWord, kDeviceFrameCount).size()) + 16;
}

FrameColumns FitFrameColumns(const char16_t* frameWord, int widestItem, int itemHeight, int listWidth, int listHeight,
                             int dpi) {
    const double scale = dpi / static_cast<double>(kStandardDpi);
    // Room between one column's text and the next.
    const int margin = Scaled(8, scale);
    const int rows = std::max(1, listHeight / std::max(1, itemHeight));
    const int count = (kDeviceFrameCount + rows - 1) / rows;
    const int needed = widestItem + margin;
    const int specified = Scaled(FrameColumnWidth(frameWord), scale);
    FrameColumns columns;
    if (count * specified <= listWidth) {
        columns.width = specified;  // the specified width fits: kept
    } else if (count * needed <= listWidth) {
        columns.width = listWidth / count;  // narrower than specified, but every item whole
    } else {
        // Not even the items themselves fit side by side: the list (and its dialog) grow by
        // what is missing, so that no scroll bar hides a column.
        columns.width = needed;
        columns.widerBy = count * needed - listWidth;
    }
    return columns;
}

std::u16string FrameProgressText(const char16_t* frameWord, int frame) {
    return FormatText(u"%s \u2116%d", {frameWord, frame});
}

std::u16string FrameNoticeText(const char16_t* frameWord, int frame, const char16_t* notice) {
    return FormatText(u"%s \u2116%d - %s", {frameWord, frame, notice});
}
