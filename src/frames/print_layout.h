// Where everything stands on the printed page of a frame: the heading, the picture, the labels
// of the commentary form and the framed boxes of the twelve fields, for a printer's resolution.
//
// The page is drawn in printer dots (x to the right, y downwards, from the top-left of the
// printable area). Its positions are given for a 600-dot-per-inch printer and scaled to the
// printer's own resolution, each axis by its dots per inch over 600, so that the page looks the
// same on every printer. The picture is placed in 1/100 inch, GDI+'s unit on a printer, and so
// needs no scaling.
#pragma once

#include <array>
#include <cstddef>

#include "mainwnd/field_layout.h"

// The resolution the positions are given for.
constexpr int kPrintBaseDpi = 600;
// Screen pixels of the field rectangles to dots at the base resolution.
constexpr int kFieldToBaseDots = 6;
// Width of a character of the printed text, and the estimate with which the right-aligned
// field places its text, in dots at the base resolution.
constexpr int kPrintCharWidth = 48;
constexpr int kRightAlignCharEstimate = 54;
// Height of the printed characters, in points (1/72 inch).
constexpr int kPrintFontPoints = 10;
constexpr int kPrintedLabelCount = 17;
// The field whose text is right-aligned in its box (defect coordinates).
constexpr int kRightAlignedField = 3;

struct PagePoint {
    int x, y;
};

struct PageLabel {
    int entry;  // message table entry of the text
    PagePoint at;
};

struct PageBox {
    int left, top, right, bottom;
};

// Floating-point rectangle, as GDI+ takes it.
struct PageRectF {
    float x, y, width, height;
};

// The part of the frame that is printed (image pixels) and where it goes (1/100 inch); the
// same crop as on screen, 20 hundredths from the top. A frame too small for the crop (or one
// that could not be read) leaves nothing to print.
struct PicturePlacement {
    bool printed;
    PageRectF source;
    PageRectF destination;
};

struct PageLayout {
    int dpiX = 0, dpiY = 0;
    PagePoint heading = {};
    std::array<PageLabel, kPrintedLabelCount> labels = {};  // in drawing order
    std::array<PageBox, kFieldCount> boxes = {};            // in field order
    // The font: character height (negative: without the internal leading) and average width,
    // in dots.
    int fontHeight = 0;
    int fontWidth = 0;

    // A length in dots at the base resolution, in dots of this printer.
    int ScaleX(long base) const;
    int ScaleY(long base) const;
};

// The page for a printer of dpiX x dpiY dots per inch (both above 0), the label texts `texts`
// (the current language's message table) and the fields' rectangles in the main window.
PageLayout LayOutPrintedPage(int dpiX, int dpiY, const char16_t* const* texts,
                             const std::array<FieldRect, kFieldCount>& fields);

// Where the one-line text of field `index` starts, for a text of `length` characters. The
// right-aligned field estimates its text's width, so a long text may start left of its box.
PagePoint FieldTextOrigin(const PageLayout& layout, int index, size_t length);

// The fields that are several lines high on screen (the note, the defect type, the additional
// information) wrap their text inside their boxes on paper too; the others print one line.
bool FieldWraps(int index);
// Where the wrapped text of such a field goes: its box less the inset on every side.
PageBox WrappedTextBox(const PageLayout& layout, int index);

// The crop and the place of a W x H pixel frame (0 x 0 when it could not be read).
PicturePlacement PlacePicture(float width, float height);

// A rectangle in 1/100 inch, in dots of the page.
PageBox HundredthsToDots(const PageLayout& layout, const PageRectF& rect);
