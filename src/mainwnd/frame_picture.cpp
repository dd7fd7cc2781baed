// A frame's picture, decoded and drawn with GDI+.
#include "mainwnd/frame_picture.h"

#include "mainwnd/frame_crop.h"
#include "ui/wide.h"

void FramePicture::Load(const std::u16string& path) {
    path_ = path;
    image_ = ui::GdiplusImage(W(path));
    Gdiplus::GpRectF bounds(0.0f, 0.0f, 0.0f, 0.0f);
    Gdiplus::GpUnit unit = Gdiplus::UnitPixel;
    if (image_) Gdiplus::DllExports::GdipGetImageBounds(image_.get(), &bounds, &unit);
    width_ = bounds.Width;
    height_ = bounds.Height;
}

void FramePicture::DrawCrop(HDC dc, float x, float y) const {
    // A picture narrower than the cut-away panel or lower than the bottom strip has nothing to
    // show; negative sizes would draw it mirrored.
    const FrameCrop crop = CropFrame(width_, height_);
    if (crop.drawable)
        Draw(dc, {x, y, crop.width, crop.height}, {crop.sourceX, crop.sourceY, crop.sourceWidth, crop.sourceHeight});
}

void FramePicture::Draw(HDC dc, const PictureRect& destination, const PictureRect& source) const {
    if (!image_) return;
    ui::GdiplusGraphics graphics(dc);
    if (!graphics) return;
    Gdiplus::DllExports::GdipDrawImageRectRect(graphics.get(), image_.get(), destination.x, destination.y,
                                               destination.width, destination.height, source.x, source.y,
                                               source.width, source.height, Gdiplus::UnitPixel, nullptr, nullptr,
                                               nullptr);
}
