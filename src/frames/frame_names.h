// Reading frames from the detector, the portable part: the frames' file names on the detector
// and in the frames folder, and the texts of the number list and of the progress.
#pragma once

#include <string>

#include "sys/sys.h"

// The detector keeps its frames under the numbers 1 to 100 and says nothing of which it holds.
constexpr int kDeviceFrameCount = 100;

// "/screenshots/7.png": the frame's file on the detector, 8-bit as TFTP sends it.
std::string RemoteFrameName(int frame);

// "2010_03_03-14-05~007.png": the frame's file in the frames folder, named by the local date
// and time it was read (to the minute) and its number on the detector.
std::u16string LocalFrameName(const sys::LocalTime& time, int frame);

// "*~007.png": the files of the frames folder that may hold frame `frame`.
std::u16string FrameFilePattern(int frame);
// Whether `name` is a name LocalFrameName makes for `frame` (any date and time; the extension
// in any letter case, as the file system compares it).
bool IsLocalFrameName(const std::u16string& name, int frame);

// "Frame 007": the number list's item for `frame`, with the word for "frame" of the current
// language. The three digits keep the sorted list in number order.
std::u16string FrameItemText(const char16_t* frameWord, int frame);

// The number list's column width in pixels: 8 per character of its last item, and 16.
int FrameColumnWidth(const char16_t* frameWord);

// The number list's columns as its font really draws the items: `widestItem` pixels for the
// widest, `itemHeight` per item, in a list whose inside is `listWidth` x `listHeight` pixels, on
// a screen of `dpi` (the specified width and the margins are pixels at 96 dpi).
struct FrameColumns {
    // Each column: the specified FrameColumnWidth where all the columns fit the list with it;
    // else as wide as the list allows, the widest item and a margin at least.
    int width = 0;
    int widerBy = 0;  // how much wider the list must be to show every column without scrolling
};
FrameColumns FitFrameColumns(const char16_t* frameWord, int widestItem, int itemHeight, int listWidth, int listHeight,
                             int dpi = 96);

// "Frame №7" while the frame is read, "Frame №7 - no" with a notice about it.
std::u16string FrameProgressText(const char16_t* frameWord, int frame);
std::u16string FrameNoticeText(const char16_t* frameWord, int frame, const char16_t* notice);
