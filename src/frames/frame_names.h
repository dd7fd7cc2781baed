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

// "Frame 007": the number list's item for `frame`, with the word for "frame" of the current
// language. The three digits keep the sorted list in number order.
std::u16string FrameItemText(const char16_t* frameWord, int frame);

// The number list's column width in pixels: 8 per character of its last item, and 16.
int FrameColumnWidth(const char16_t* frameWord);

// "Frame №7" while the frame is read, "Frame №7 - no" with a notice about it.
std::u16string FrameProgressText(const char16_t* frameWord, int frame);
std::u16string FrameNoticeText(const char16_t* frameWord, int frame, const char16_t* notice);
