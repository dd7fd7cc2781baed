// The main window at a screen's scale: the scale a monitor's dpi and work area give, and every
// place, size and font height of the window's fixed layout at it, rounded to whole pixels. At
// scale 1 every number is the 96-dpi layout's own.
#pragma once

#include <array>
#include <cstddef>

#include "mainwnd/field_layout.h"

constexpr int kStandardDpi = 96;
// The main window's size at 96 dpi, frame and menu included.
constexpr int kMainWindowWidth = 1024;
constexpr int kMainWindowHeight = 760;
// Below this the window would no longer be readable: it is left larger than a small screen.
constexpr double kSmallestScale = 0.75;

// A rectangle of the screen, in pixels.
struct ScreenArea {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// The scale on a monitor of `dpi` whose work area is `work`: the monitor's own (dpi / 96), made
// smaller where the window would not fit the work area, never below 0.75.
double MainWindowScale(int dpi, const ScreenArea& work);

// Where the window goes: at the work area's top-left corner, 1024 x 760 at the scale.
ScreenArea MainWindowPlace(const ScreenArea& work, double scale);

// `pixels` at `scale`, rounded to the nearest whole pixel.
int Scaled(int pixels, double scale);
// Each edge scaled on its own, so that what touches at 96 dpi touches at every scale.
FieldRect Scaled(const FieldRect& rect, double scale);

// The commentary fields and the labels of the frame view at the scale.
std::array<FieldRect, kFieldCount> ScaledFieldRects(const std::array<FieldRect, kFieldCount>& rects, double scale);
std::array<LabelPlace, kLabelCount> ScaledLabelPlaces(const std::array<LabelPlace, kLabelCount>& places,
                                                      double scale);
// A label of `characters` characters of RegularFont (the frame's title, prev and next).
int LabelWidthAt(size_t characters, double scale);

struct FontSize {
    int height, width;
};
// RegularFont and BoldFont (16 and 18 pixels high, 8 wide at 96 dpi), whose width is never
// rounded up, so that a field's longest text stays inside it; and the system's own font that
// the status line and the message window write with (16 high, 7 wide at 96 dpi).
struct WindowFonts {
    FontSize regular, bold, system;
};
WindowFonts FontsAt(double scale);
// The inner margins of a commentary field, left and right.
int FieldMarginAt(double scale);

// The picture window in the client area, and where the picture starts in it.
FieldRect PictureRectAt(double scale);
int PictureMarginAt(double scale);

// The frame's title label (its top-left corner), the prev and next labels and the scroll bar,
// whose places follow the client area's right edge.
struct TopRow {
    int titleLeft, top;
    int prevLeft, nextLeft;
    int scrollBarLeft, scrollBarTop;
    int labelHeight;
};
TopRow TopRowAt(int clientRight, double scale);

// The status line's strip at the bottom left of the client area; its text starts at the
// strip's top-left corner.
FieldRect StatusStripAt(int clientBottom, double scale);

// The message window of the start-up search, centred in the client area, and where its two
// lines start in its own client area.
FieldRect MessageWindowAt(int clientWidth, int clientHeight, double scale);
struct TextOrigin {
    int x, y;
};
std::array<TextOrigin, 2> MessageLinesAt(double scale);
