// Where everything stands on the printed page of a frame.
#include "frames/print_layout.h"

#include "mainwnd/frame_crop.h"

#include <cmath>
#include <string>

namespace {

// Points to inches.
constexpr int kPointsPerInch = 72;
// GDI+ places the picture in hundredths of an inch.
constexpr int kHundredthsPerInch = 100;

// Where the frame, cropped as on screen, starts on the page (1/100 inch).
constexpr float kPictureLeft = 5.0f;
constexpr float kPictureTop = 20.0f;

// The heading and the text inside the boxes, in dots at the base resolution.
constexpr int kHeadingAt = 30;
constexpr int kTextInset = 6;

// The labels of the form, in drawing order, at the base resolution. The place of "mm" depends
// on the length of the coordinates label and is filled in below.
constexpr int kMillimetreEntry = 10;
constexpr int kCoordinatesEntry = 8;
constexpr PageLabel kLabels[kPrintedLabelCount] = {
    {5, {30, 2880}},    // Item
    {6, {30, 3060}},    // Monitoring date
    {7, {30, 3240}},    // Operator
    {8, {30, 3420}},    // Defect coordinates (depth)
    {10, {0, 3420}},    // mm
    {9, {30, 3600}},    // The note
    {11, {3840, 180}},  // The additional commentary
    {12, {3600, 360}},  // Operator code
    {13, {3600, 540}},  // Object
    {14, {3600, 720}},  // type
    {15, {3600, 900}},  // Number
    {16, {3600, 1080}},  // material
    {17, {3600, 1260}},  // thickness
    {18, {3840, 1740}},  // The conclusion of an operator
    {19, {3600, 1920}},  // Defect type (code)
    {20, {3600, 2640}},  // Additional information
    {21, {3840, 3780}},  // Signature: no field, the place stays empty for a hand-written one
};
constexpr int kMillimetreBase = 690;

// value * numerator / denominator, rounded to the nearest whole number (halves away from 0).
int ScaleRounded(long long value, long long numerator, long long denominator) {
    long long product = value * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : -((-product + half) / denominator));
}

long Length(const char16_t* text) { return static_cast<long>(std::char_traits<char16_t>::length(text)); }

}  // namespace

int PageLayout::ScaleX(long base) const { return ScaleRounded(base, dpiX, kPrintBaseDpi); }
int PageLayout::ScaleY(long base) const { return ScaleRounded(base, dpiY, kPrintBaseDpi); }

PageLayout LayOutPrintedPage(int dpiX, int dpiY, const char16_t* const* texts,
                             const std::array<FieldRect, kFieldCount>& fields) {
    PageLayout page;
    page.dpiX = dpiX;
    page.dpiY = dpiY;
    page.heading = {page.ScaleX(kHeadingAt), page.ScaleY(kHeadingAt)};
    for (int i = 0; i < kPrintedLabelCount; ++i) {
        PageLabel label = kLabels[i];
        if (label.entry == kMillimetreEntry)
            label.at.x = kRightAlignCharEstimate * Length(texts[kCoordinatesEntry]) + kMillimetreBase;
        page.labels[i] = {label.entry, {page.ScaleX(label.at.x), page.ScaleY(label.at.y)}};
    }
    for (int i = 0; i < kFieldCount; ++i) {
        const FieldRect& r = fields[i];
        page.boxes[i] = {page.ScaleX(kFieldToBaseDots * r.left), page.ScaleY(kFieldToBaseDots * r.top),
                         page.ScaleX(kFieldToBaseDots * r.right), page.ScaleY(kFieldToBaseDots * r.bottom)};
    }
    page.fontHeight = -ScaleRounded(kPrintFontPoints, dpiY, kPointsPerInch);
    page.fontWidth = page.ScaleX(kPrintCharWidth);
    return page;
}

PagePoint FieldTextOrigin(const PageLayout& layout, int index, size_t length) {
    // The box's corner is scaled on its own, so that the text keeps its inset from the line.
    const PageBox& box = layout.boxes[index];
    const int top = box.top + layout.ScaleY(kTextInset);
    if (index != kRightAlignedField) return {box.left + layout.ScaleX(kTextInset), top};
    const long width = kRightAlignCharEstimate * static_cast<long>(length);
    return {box.right - layout.ScaleX(width) + layout.ScaleX(kTextInset), top};
}

bool FieldWraps(int index) { return index == 4 || index == 10 || index == 11; }

PageBox WrappedTextBox(const PageLayout& layout, int index) {
    const PageBox& box = layout.boxes[index];
    const int insetX = layout.ScaleX(kTextInset), insetY = layout.ScaleY(kTextInset);
    return {box.left + insetX, box.top + insetY, box.right - insetX, box.bottom - insetY};
}

PicturePlacement PlacePicture(float width, float height) {
    const FrameCrop crop = CropFrame(width, height);
    PicturePlacement placement;
    placement.source = {crop.sourceX, crop.sourceY, crop.sourceWidth, crop.sourceHeight};
    placement.destination = {kPictureLeft, kPictureTop, crop.width, crop.height};
    placement.printed = crop.drawable;
    return placement;
}

PageBox HundredthsToDots(const PageLayout& layout, const PageRectF& rect) {
    auto dots = [](float hundredths, int dpi) {
        return ScaleRounded(std::llround(hundredths * 100.0f), dpi, 100LL * kHundredthsPerInch);
    };
    return {dots(rect.x, layout.dpiX), dots(rect.y, layout.dpiY), dots(rect.x + rect.width, layout.dpiX),
            dots(rect.y + rect.height, layout.dpiY)};
}
