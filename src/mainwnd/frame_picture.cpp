// A frame's picture, decoded and drawn with GDI+.
#include "mainwnd/frame_picture.h"

#include <vector>

#include "mainwnd/frame_crop.h"
#include "sys/sys.h"
#include "ui/wide.h"

namespace {

// Far above any detector screenshot (the frame reader stores at most 4,000,000 bytes): a file
// beyond it is not taken into memory and shows nothing.
constexpr int64_t kMaxPictureBytes = 64 * 1024 * 1024;

// The whole file, or nothing when it cannot be read or is too large.
std::vector<char> ReadPictureFile(const std::u16string& path) {
    sys::FileHolder file = sys::OpenFile(path, sys::OpenMode::Read);
    if (!file) return {};
    const int64_t size = sys::FileSize(file.get());
    if (size <= 0 || size > kMaxPictureBytes) return {};
    std::vector<char> bytes(static_cast<size_t>(size));
    if (sys::ReadFile(file.get(), bytes.data(), bytes.size()) != size) return {};
    return bytes;
}

}  // namespace

FileStamp StampOfFile(const std::u16string& path) {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(W(path), GetFileExInfoStandard, &data)) return stamp;
    stamp.exists = true;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

void FramePicture::Load(const std::u16string& path) {
    path_ = path;
    // Taken before the read: a file replaced meanwhile is seen as changed at the next look.
    stamp_ = StampOfFile(path);
    image_ = ui::GdiplusImage();
    const std::vector<char> bytes = ReadPictureFile(path);
    if (!bytes.empty()) image_ = ui::GdiplusImage(bytes.data(), static_cast<UINT>(bytes.size()));
    Gdiplus::GpRectF bounds(0.0f, 0.0f, 0.0f, 0.0f);
    Gdiplus::GpUnit unit = Gdiplus::UnitPixel;
    if (image_) Gdiplus::DllExports::GdipGetImageBounds(image_.get(), &bounds, &unit);
    width_ = bounds.Width;
    height_ = bounds.Height;
}

void FramePicture::DrawCrop(HDC dc, float x, float y, float scale) const {
    // A picture narrower than the cut-away panel or lower than the bottom strip has nothing to
    // show; negative sizes would draw it mirrored.
    const FrameCrop crop = CropFrame(width_, height_);
    if (crop.drawable)
        Draw(dc, {x, y, crop.width * scale, crop.height * scale},
             {crop.sourceX, crop.sourceY, crop.sourceWidth, crop.sourceHeight}, scale != 1);
}

void FramePicture::Draw(HDC dc, const PictureRect& destination, const PictureRect& source, bool smooth) const {
    if (!image_) return;
    ui::GdiplusGraphics graphics(dc);
    if (!graphics) return;
    if (smooth) {
        Gdiplus::DllExports::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
        Gdiplus::DllExports::GdipSetPixelOffsetMode(graphics.get(), Gdiplus::PixelOffsetModeHighQuality);
    }
    Gdiplus::DllExports::GdipDrawImageRectRect(graphics.get(), image_.get(), destination.x, destination.y,
                                               destination.width, destination.height, source.x, source.y,
                                               source.width, source.height, Gdiplus::UnitPixel, nullptr, nullptr,
                                               nullptr);
}
