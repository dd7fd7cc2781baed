// A frame's picture, decoded from its PNG file with GDI+: what the picture window paints and
// the printed page shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/gdiplus_holders.h"

// A rectangle of picture pixels, or of the units GDI+ draws in on a device context: pixels on
// a screen, 1/100 inch on a printer.
struct PictureRect {
    float x, y, width, height;
};

// Which version of a file is on disk, told cheaply: its size and last write. A missing or
// unreachable file is a version of its own.
struct FileStamp {
    bool exists = false;
    uint64_t size = 0;
    uint64_t written = 0;  // FILETIME, 100 ns units

    bool operator==(const FileStamp& other) const {
        return exists == other.exists && size == other.size && written == other.written;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
FileStamp StampOfFile(const std::u16string& path);

// The decoded picture and the version of the file it came from. The file is read into memory
// and closed before it is decoded: while the picture is held, the frame reader may replace the
// file and the operator may delete it.
class FramePicture {
public:
    // Decodes the file at `path` in place of what was held. A missing, unreadable or broken
    // file leaves the picture empty, 0 x 0.
    void Load(const std::u16string& path);
    // Whether the file on disk is no longer the one decoded (replaced, changed or deleted).
    bool FileChanged() const { return StampOfFile(path_) != stamp_; }

    const std::u16string& Path() const { return path_; }
    // In pixels.
    float Width() const { return width_; }
    float Height() const { return height_; }

    // The part of the detector's screen that is shown (frame_crop.h), with its top-left corner
    // at (x, y), `scale` times its size. Nothing for an empty picture or one too small to have
    // anything left.
    void DrawCrop(HDC dc, float x, float y, float scale = 1) const;
    // The part `source` of the picture into `destination`; with `smooth`, in the best quality
    // GDI+ scales pictures in (otherwise as it draws by default). Nothing for an empty picture.
    void Draw(HDC dc, const PictureRect& destination, const PictureRect& source, bool smooth = false) const;

private:
    std::u16string path_;
    FileStamp stamp_;
    ui::GdiplusImage image_;
    float width_ = 0;
    float height_ = 0;
};
