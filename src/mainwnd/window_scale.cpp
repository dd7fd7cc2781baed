// The main window's layout at a screen's scale.
#include "mainwnd/window_scale.h"

#include <algorithm>
#include <cmath>

namespace {

// The 96-dpi numbers of what the layout tables of field_layout do not hold.
constexpr int kRegularHeight = 16, kBoldHeight = 18, kCharWidth = 8, kSystemHeight = 16, kSystemWidth = 7;
constexpr int kFieldMargin = 2;
constexpr FieldRect kPicture = {5, 30, 522, 452};
constexpr int kPictureMargin = 5;
constexpr int kEdge = 5;                           // the title's, prev/next's and the bar's top
constexpr int kPrevFromRight = 120, kNextFromRight = 40, kScrollBarFromRight = 78;
constexpr int kStatusWidth = 300, kStatusHeight = 20;
constexpr int kMessageWidth = 440, kMessageHeight = 160;
constexpr int kMessageLine1 = 30, kMessageLine2 = 46;

// Never rounded up: at least one pixel.
int Floored(int pixels, double scale) { return std::max(1, static_cast<int>(std::floor(pixels * scale))); }

}  // namespace

double MainWindowScale(int dpi, const ScreenArea& work) {
    const double monitor = (dpi > 0 ? dpi : kStandardDpi) / static_cast<double>(kStandardDpi);
    const double fitting = std::min(work.Width() / static_cast<double>(kMainWindowWidth),
                                    work.Height() / static_cast<double>(kMainWindowHeight));
    return std::max(kSmallestScale, std::min(monitor, fitting));
}

ScreenArea MainWindowPlace(const ScreenArea& work, double scale) {
    return {work.left, work.top, work.left + Scaled(kMainWindowWidth, scale),
            work.top + Scaled(kMainWindowHeight, scale)};
}

int Scaled(int pixels, double scale) { return static_cast<int>(std::lround(pixels * scale)); }

FieldRect Scaled(const FieldRect& rect, double scale) {
    return {Scaled(rect.left, scale), Scaled(rect.top, scale), Scaled(rect.right, scale), Scaled(rect.bottom, scale)};
}

std::array<FieldRect, kFieldCount> ScaledFieldRects(const std::array<FieldRect, kFieldCount>& rects, double scale) {
    std::array<FieldRect, kFieldCount> scaled;
    for (int i = 0; i < kFieldCount; ++i) scaled[i] = Scaled(rects[i], scale);
    return scaled;
}

std::array<LabelPlace, kLabelCount> ScaledLabelPlaces(const std::array<LabelPlace, kLabelCount>& places,
                                                      double scale) {
    std::array<LabelPlace, kLabelCount> scaled = places;
    for (LabelPlace& p : scaled) {
        p.left = Scaled(p.left, scale);
        p.top = Scaled(p.top, scale);
        p.width = Scaled(p.width, scale);
        p.height = Scaled(p.height, scale);
    }
    return scaled;
}

int LabelWidthAt(size_t characters, double scale) { return Scaled(LabelWidth(characters), scale); }

WindowFonts FontsAt(double scale) {
    const int width = Floored(kCharWidth, scale);
    return {{Scaled(kRegularHeight, scale), width},
            {Scaled(kBoldHeight, scale), width},
            {Scaled(kSystemHeight, scale), Scaled(kSystemWidth, scale)}};
}

int FieldMarginAt(double scale) { return Floored(kFieldMargin, scale); }

FieldRect PictureRectAt(double scale) { return Scaled(kPicture, scale); }

int PictureMarginAt(double scale) { return Scaled(kPictureMargin, scale); }

TopRow TopRowAt(int clientRight, double scale) {
    const int edge = Scaled(kEdge, scale);
    return {edge,
            edge,
            clientRight - Scaled(kPrevFromRight, scale),
            clientRight - Scaled(kNextFromRight, scale),
            clientRight - Scaled(kScrollBarFromRight, scale),
            edge,
            Scaled(kLabelHeight, scale)};
}

FieldRect StatusStripAt(int clientBottom, double scale) {
    const int left = Scaled(kEdge, scale);
    return {left, clientBottom - Scaled(kStatusHeight, scale), left + Scaled(kStatusWidth, scale), clientBottom};
}

FieldRect MessageWindowAt(int clientWidth, int clientHeight, double scale) {
    const int width = Scaled(kMessageWidth, scale), height = Scaled(kMessageHeight, scale);
    // The halves rounded toward zero, as the window has always been placed.
    const int left = clientWidth / 2 - width / 2, top = clientHeight / 2 - height / 2;
    return {left, top, left + width, top + height};
}

std::array<TextOrigin, 2> MessageLinesAt(double scale) {
    const int x = Scaled(kEdge, scale);
    return {{{x, Scaled(kMessageLine1, scale)}, {x, Scaled(kMessageLine2, scale)}}};
}
