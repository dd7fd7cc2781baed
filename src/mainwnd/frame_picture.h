// A frame's picture, decoded from its PNG file with GDI+: what the picture window paints and
// the printed page shows.
#pragma once

#include <windows.h>

#include <string>

#include "ui/gdiplus_holders.h"

// A rectangle of picture pixels, or of the units GDI+ draws in on a device context: pixels on
// a screen, 1/100 inch on a printer.
struct PictureRect {
    float x, y, width, height;
};

// The decoded picture and the file it came from. GDI+ keeps the file open while the picture
// is held, so an object lives no longer than one paint or one print: the frame reader must be
// able to replace the file meanwhile.
class FramePicture {
public:
    // Decodes the file at `path` in place of what was held. A missing or broken file leaves
    // the picture empty, 0 x 0.
    void Load(const std::u16string& path);

    const std::u16string& Path() const { return path_; }
    // In pixels.
    float Width() const { return width_; }
    float Height() const { return height_; }

    // The part of the detector's screen that is shown (frame_crop.h), with its top-left corner
    // at (x, y). Nothing for an empty picture or one too small to have anything left.
    void DrawCrop(HDC dc, float x, float y) const;
    // The part `source` of the picture into `destination`. Nothing for an empty picture.
    void Draw(HDC dc, const PictureRect& destination, const PictureRect& source) const;

private:
    std::u16string path_;
    ui::GdiplusImage image_;
    float width_ = 0;
    float height_ = 0;
};
