// The names and texts of reading frames.
#include "frames/frame_names.h"

#include "mainwnd/window_scale.h"

#include <algorithm>
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

std::u16string FrameFilePattern(int frame) {
    char pattern[32];
    std::snprintf(pattern, sizeof pattern, "*~%3.3d.png", frame);
    return Widen(pattern);
}

bool IsLocalFrameName(const std::u16string& name, int frame) {
    // YYYY_MM_DD-HH-MM~NNN.png, the year of four digits or more.
    size_t at = 0;
    auto digits = [&](size_t least, size_t most) {
        size_t count = 0;
        while (at < name.size() && name[at] >= u'0' && name[at] <= u'9' && count < most) ++at, ++count;
        return count >= least;
    };
    auto sign = [&](char16_t c) { return at < name.size() && name[at++] == c; };
    if (!(digits(4, 9) && sign(u'_') && digits(2, 2) && sign(u'_') && digits(2, 2) && sign(u'-') && digits(2, 2) &&
          sign(u'-') && digits(2, 2) && sign(u'~')))
        return false;
    const size_t number = at;
    if (!digits(3, 3)) return false;
    const int n = (name[number] - u'0') * 100 + (name[number + 1] - u'0') * 10 + (name[number + 2] - u'0');
    std::u16string extension = name.substr(at);
    for (char16_t& c : extension)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return n == frame && extension == u".png";
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
