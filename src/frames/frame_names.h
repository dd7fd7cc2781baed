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

// What the name of a frame file of the program's own making says.
struct FrameFileName {
    int frame = 0;               // its number on the detector, 1 to 100
    sys::LocalTime time = {};    // when it was read, to the minute (the second is 0)
    int copy = 1;                // 1 for the plain name, 2 for "... (2).png", and so on
};

// Whether `name` (without folder) is a name LocalFrameName makes, or a copy of one that
// FrameCopyName makes, with the extension in any letter case as the file system compares it;
// `parsed`, when given, then gets what it says. Every part that reads a frame's number or time
// from its name goes through here.
bool ParseFrameFileName(const std::u16string& name, FrameFileName* parsed);

// The name copy `copy` of a frame is stored under when its own name is taken by another
// picture, numbered as Windows numbers copies: "x~001.png" gives "x~001 (2).png" for copy 2.
// Copy 1 is the name itself.
std::u16string FrameCopyName(const std::u16string& name, int copy);

// Copies of one frame within one minute that a reading makes at most.
constexpr int kMaxFrameCopies = 99;

// "*~007*.png": the files of the frames folder that may hold frame `frame`, copies included.
std::u16string FrameFilePattern(int frame);

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
